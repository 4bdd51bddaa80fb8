// Presses by mouse-down, plate and PC key: what sounds, what is judged.
#include <QTest>

#include "support/GameRig.h"

using namespace zv;
using namespace zv::test;

class KeyInputTest : public QObject {
    Q_OBJECT

private slots:
    void keyMap_data() {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("sound");
        const char* rows[][2] = {{"Q", "do"},   {"W", "re"},   {"E", "mi"},   {"R", "fa"},   {"T", "so"},
                                 {"Y", "ra"},   {"U", "si"},   {"Z", "+do"},  {"X", "+re"},  {"C", "+mi"},
                                 {"V", "+fa"},  {"B", "+so"},  {"N", "+ra"},  {"M", "+si"},  {"2", "do#"},
                                 {"3", "re#"},  {"5", "fa#"},  {"6", "so#"},  {"7", "ra#"},  {"S", "+do#"},
                                 {"D", "+re#"}, {"G", "+fa#"}, {"H", "+so#"}, {"J", "+ra#"}};
        for (auto& r : rows) QTest::newRow(r[0]) << int(r[0][0]) << r[1];
    }
    void keyMap() {
        QFETCH(int, code);
        QFETCH(QString, sound);
        GameRig rig;
        rig.form.Form_KeyDown(code, 1 /* Shift: ignored */);
        QCOMPARE(rig.sound.names(), std::vector<std::string>{sound.toStdString()});
    }

    void unmappedKeysAreIgnored() {
        GameRig rig;
        for (int code : std::initializer_list<int>{'1', '4', '8', '9', '0', 'A', 'F', 'I', 'K', 'L', 'O', 'P', 37, 112, 96, 98, 0})
            rig.form.Form_KeyDown(code, 0);
        QVERIFY(rig.sound.played.empty());
        QCOMPARE(rig.app.quits, 0);
    }

    void lockedKeysSilentOnPcKeyAndPlate() {
        GameRig rig;
        rig.form.Option3_Click(2);  // one octave: Z..M and S D G H J locked
        rig.sound.clear();
        for (int code : {'Z', 'X', 'C', 'V', 'B', 'N', 'M', 'S', 'D', 'G', 'H', 'J'}) rig.form.Form_KeyDown(code, 0);
        QVERIFY(rig.sound.played.empty());
        rig.ui.Check2->setValue(1);
        rig.form.Check2_Click();
        rig.form.Picture3_MouseDown(9);
        QVERIFY(rig.sound.played.empty());
        rig.form.Picture3_MouseDown(2, 2 /* right button */);
        QCOMPARE(rig.sound.names(), std::vector<std::string>{"mi"});
    }

    // A plate pressed right after a complete eight-note answer must not judge again
    // (NotePos then equals 8, one past Melody's last slot).
    void plateAfterCompleteAnswerDoesNotJudge() {
        GameRig rig;
        rig.form.Option1_Click(2);
        rig.ui.Option1[2]->setValue(1);
        rig.ui.Check2->setValue(1);
        rig.form.Check2_Click();
        rig.startAndPlayFirstQuestion();
        QCOMPARE(rig.v.NoteCount, 8);
        rig.answerRight();
        QCOMPARE(rig.v.NotePos, 8);
        rig.form.Picture3_MouseDown(0);
        QCOMPARE(rig.rights(), 1);
        QCOMPARE(rig.v.NotePos, 8);
        QCOMPARE(rig.v.Phase, phase::Pause);
    }

    void pressesOutsideAGameOnlySound() {
        GameRig rig;
        rig.form.Command1_MouseDown(0, 4 /* middle */);
        rig.form.Command3_Click();
        rig.clock.advance(300);  // banner
        rig.form.Command2_MouseDown(9);
        QCOMPARE(rig.sound.names(), (std::vector<std::string>{"do", "+++do", "+ra#"}));
        QVERIFY(!rig.ui.Picture1->visible());
        QCOMPARE(rig.v.NotePos, 0);
    }

    void pressGivesFocusToWindowBeforeSound() {
        GameRig rig;
        std::vector<std::string> order;
        rig.ui.table.setFocusListener([&] { order.push_back("focus:" + std::to_string(rig.sound.played.size())); });
        rig.form.Command1_MouseDown(4);
        QCOMPARE(order, std::vector<std::string>{"focus:0"});
        QCOMPARE(rig.sound.played.size(), size_t(1));
    }

    void autoRepeatIsEachAPress() {
        GameRig rig;
        scriptMelody(rig.random, {"白0", "白0", "白0", "白1", "白1"});
        rig.startAndPlayFirstQuestion();
        for (int i = 0; i < 3; ++i) rig.form.Form_KeyDown('Q', 0);
        QCOMPARE(rig.v.NotePos, 3);
        rig.form.Form_KeyDown('Q', 0);  // a fourth repeat is wrong
        QCOMPARE(rig.v.Phase, phase::Pause);
        QCOMPARE(rig.rights(), 0);
    }
};

QTEST_APPLESS_MAIN(KeyInputTest)
#include "tst_key_input.moc"
