// Presses by mouse-down, plate and PC key: what sounds, what is judged.
#include <QTest>

#include "keys/MidiKeys.h"
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
        rig.game.pcKeyPressed(code, 1 /* Shift: ignored */);
        QCOMPARE(rig.sound.names(), std::vector<std::string>{sound.toStdString()});
    }

    void unmappedKeysAreIgnored() {
        GameRig rig;
        for (int code : std::initializer_list<int>{'1', '4', '8', '9', '0', 'A', 'F', 'I', 'K', 'L', 'O', 'P', 37, 112, 96, 98, 0})
            rig.game.pcKeyPressed(code, 0);
        rig.game.whiteKeyPressed(14);  // indexes the piano lacks
        rig.game.blackKeyPressed(10);
        QVERIFY(rig.sound.played.empty());
        QCOMPARE(rig.app.quits, 0);
    }

    void lockedKeysSilentOnPcKeyAndPlate() {
        GameRig rig;
        rig.game.keyRangeChosen(2);  // one octave: Z..M and S D G H J locked
        rig.sound.clear();
        for (int code : {'Z', 'X', 'C', 'V', 'B', 'N', 'M', 'S', 'D', 'G', 'H', 'J'}) rig.game.pcKeyPressed(code, 0);
        QVERIFY(rig.sound.played.empty());
        rig.setNoteNames(true);
        rig.game.notePlatePressed(9);
        QVERIFY(rig.sound.played.empty());
        rig.game.notePlatePressed(2, MouseDown{2} /* right button */);
        QCOMPARE(rig.sound.names(), std::vector<std::string>{"mi"});
    }

    // A plate pressed right after a complete eight-note answer must not judge again
    // (the note position then equals 8, one past the melody's last slot).
    void plateAfterCompleteAnswerDoesNotJudge() {
        GameRig rig;
        rig.chooseDifficulty(2);
        rig.setNoteNames(true);
        rig.startAndPlayFirstQuestion();
        QCOMPARE(rig.settings.notesPerQuestion, 8);
        rig.answerRight();
        QCOMPARE(rig.state.notePos, 8);
        rig.game.notePlatePressed(0);
        QCOMPARE(rig.rights(), 1);
        QCOMPARE(rig.state.notePos, 8);
        QCOMPARE(rig.state.phase, Phase::VerdictPause);
    }

    void pressesOutsideAGameOnlySound() {
        GameRig rig;
        rig.game.whiteKeyPressed(0, MouseDown{4} /* middle */);
        rig.game.startStopClicked();
        rig.clock.advance(300);  // banner
        rig.game.blackKeyPressed(9);
        QCOMPARE(rig.sound.names(), (std::vector<std::string>{"do", "+++do", "+ra#"}));
        QVERIFY(!rig.ui.verdictPicture->visible());
        QCOMPARE(rig.state.notePos, 0);
    }

    void pressGivesFocusToWindowBeforeSound() {
        GameRig rig;
        std::vector<std::string> order;
        rig.ui.table.setFocusListener([&] { order.push_back("focus:" + std::to_string(rig.sound.played.size())); });
        rig.game.whiteKeyPressed(4);
        QCOMPARE(order, std::vector<std::string>{"focus:0"});
        QCOMPARE(rig.sound.played.size(), size_t(1));
    }

    void autoRepeatIsEachAPress() {
        GameRig rig;
        scriptMelody(rig.random, {"白0", "白0", "白0", "白1", "白1"});
        rig.startAndPlayFirstQuestion();
        for (int i = 0; i < 3; ++i) rig.game.pcKeyPressed('Q', 0);
        QCOMPARE(rig.state.notePos, 3);
        rig.game.pcKeyPressed('Q', 0);  // a fourth repeat is wrong
        QCOMPARE(rig.state.phase, Phase::VerdictPause);
        QCOMPARE(rig.rights(), 0);
    }

    // Sung notes (MIDI numbers, as offsets from the expected note; 99: the black key
    // beside it) are judged by pitch class, sound nothing, and while no answer is
    // awaited only show a key, one a click could press: none with every key of their
    // class locked (greyed, or all of them while the question plays).
    void sungNotesJudgedByPitchClass_data() {
        QTest::addColumn<int>("range");
        QTest::addColumn<int>("stage");  // 0 idle, 1 the question playing, 2 answering
        QTest::addColumn<std::vector<int>>("offsets");
        QTest::addColumn<int>("rights");
        QTest::addColumn<bool>("judged");
        QTest::addColumn<bool>("shown");
        QTest::newRow("right, each in another octave") << 0 << 2 << std::vector<int>{-24, -12, 0, 12, -36} << 1 << true << true;
        QTest::newRow("a semitone off is wrong") << 0 << 2 << std::vector<int>{0, 1} << 0 << true << true;
        QTest::newRow("its octave locked, the other not: wrong") << 2 << 2 << std::vector<int>{13} << 0 << true << true;
        QTest::newRow("every key of its class locked: nothing") << 1 << 2 << std::vector<int>{99} << 0 << false << false;
        QTest::newRow("the question playing: nothing") << 0 << 1 << std::vector<int>{0, 0, 0, 0, 0} << 0 << false << false;
        QTest::newRow("idle window: shown") << 0 << 0 << std::vector<int>{0} << 0 << false << true;
        QTest::newRow("idle window, a greyed key: nothing") << 1 << 0 << std::vector<int>{99} << 0 << false << false;
    }
    void sungNotesJudgedByPitchClass() {
        QFETCH(int, range);
        QFETCH(int, stage);
        QFETCH(std::vector<int>, offsets);
        QFETCH(int, rights);
        QFETCH(bool, judged);
        QFETCH(bool, shown);
        GameRig rig;
        rig.chooseKeyRange(range);
        if (stage == 1) rig.startGame();
        if (stage == 2) rig.startAndPlayFirstQuestion();
        const auto melody = rig.state.melody;
        const std::size_t sounds = rig.sound.played.size();
        for (std::size_t i = 0; i < offsets.size(); ++i) {
            const auto expected = readToken(melody[std::min<std::size_t>(i, 4)]).value_or(PianoKey{KeyColor::White, 0});
            const int note = kLowestNote + semitoneOfKey(expected);
            const int sung = offsets[i] != 99 ? note + offsets[i] : note + (note % 12 == 4 || note % 12 == 11 ? -1 : 1);
            const auto key = rig.game.sungNote(sung);
            QCOMPARE(key.has_value(), shown);
            if (key) QCOMPARE(semitoneOfKey(*key) % 12, sung % 12);
            if (key && stage == 2 && offsets[i] % 12 == 0) QCOMPARE(*key, expected);
        }
        QCOMPARE(rig.sound.played.size(), sounds);
        QCOMPARE(rig.rights(), rights);
        QCOMPARE(rig.state.phase == Phase::VerdictPause, judged);
    }
};

QTEST_APPLESS_MAIN(KeyInputTest)
#include "tst_piano_input.moc"
