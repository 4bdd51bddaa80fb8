// Key tables, note tokens, sound paths, plates, and which keys are usable.
#include <QTest>

#include "support/GameRig.h"

using namespace zv;
using namespace zv::test;

class KeyModelTest : public QObject {
    Q_OBJECT

private slots:
    void soundTables() {
        GameRig rig;
        const std::array<const char*, 14> whites = {"do", "re", "mi", "fa", "so", "ra", "si",
                                                    "+do", "+re", "+mi", "+fa", "+so", "+ra", "+si"};
        const std::array<const char*, 10> blacks = {"do#", "re#", "fa#", "so#", "ra#",
                                                    "+do#", "+re#", "+fa#", "+so#", "+ra#"};
        for (int i = 0; i < 14; ++i) QCOMPARE(rig.v.WhiteSound[i], std::string(whites[i]));
        for (int i = 0; i < 10; ++i) QCOMPARE(rig.v.BlackSound[i], std::string(blacks[i]));
        QCOMPARE(rig.v.SoundDir, std::string("/opt/zorvanta/sound/"));
        QCOMPARE(soundPath(rig.v, "+do"), std::string("/opt/zorvanta/sound/+do"));
    }

    void rootFolderStillReachesSoundFolder() {
        GameRig rig(false);
        rig.app.appDir = std::string(1, '/');  // (a literal trips a false -Wrestrict in GCC 12)
        rig.form.Form_Load();
        QCOMPARE(rig.v.SoundDir, std::string("//sound/"));
        // POSIX treats the doubled separator as one: the path names /sound/do.
        QCOMPARE(QDir::cleanPath(QString::fromStdString(soundPath(rig.v, "do"))), QString("/sound/do"));
    }

    void platesPrintedOnceOnWhite() {
        GameRig rig;
        const std::array<const char*, 14> names = {"ド ", "レ ", "ミ ", "ファ", "ソ ", "ラ ", "シ ",
                                                   "ド ", "レ ", "ミ ", "ファ", "ソ ", "ラ ", "シ "};
        for (int i = 0; i < 14; ++i) {
            QCOMPARE(rig.ui.Picture3[i]->printedText(), std::string(names[i]));
            QCOMPARE(rig.ui.Picture3[i]->backColor(), colors::White);
            QVERIFY(!rig.ui.Picture3[i]->visible());
        }
    }

    void tokens_data() {
        QTest::addColumn<QString>("token");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<bool>("white");
        QTest::addColumn<int>("index");
        QTest::newRow("white 0") << "白0" << true << true << 0;
        QTest::newRow("white 10") << "白10" << true << true << 10;
        QTest::newRow("white 13") << "白13" << true << true << 13;
        QTest::newRow("black 0") << "黒0" << true << false << 0;
        QTest::newRow("black 9") << "黒9" << true << false << 9;
        QTest::newRow("empty") << "" << false << false << 0;
        QTest::newRow("mark only") << "白" << false << false << 0;
        QTest::newRow("white 14") << "白14" << false << false << 0;
        QTest::newRow("black 10") << "黒10" << false << false << 0;
        QTest::newRow("not digits") << "白a" << false << false << 0;
        QTest::newRow("three digits") << "白100" << false << false << 0;
        QTest::newRow("broken utf-8") << QString::fromLatin1("\xe7") << false << false << 0;
    }
    void tokens() {
        QFETCH(QString, token);
        QFETCH(bool, valid);
        QFETCH(bool, white);
        QFETCH(int, index);
        const std::string t = token == QString::fromLatin1("\xe7") ? std::string("\xe7") : token.toStdString();
        const auto key = readToken(t);
        QCOMPARE(key.has_value(), valid);
        if (!valid) return;
        QCOMPARE(key->color == KeyColor::White, white);
        QCOMPARE(key->index, index);
        QCOMPARE(makeToken(*key), t);
    }

    void kenbanRanges_data() {
        QTest::addColumn<int>("range");
        QTest::addColumn<int>("usable");
        QTest::newRow("all") << 0 << 24;
        QTest::newRow("white") << 1 << 14;
        QTest::newRow("octave") << 2 << 12;
        QTest::newRow("octave white") << 3 << 7;
    }
    void kenbanRanges() {
        QFETCH(int, range);
        QFETCH(int, usable);
        GameRig rig;
        rig.form.SiyouHuka();
        rig.form.kenban(static_cast<std::uint8_t>(range));
        QVERIFY(rig.keysMatchRange(static_cast<std::uint8_t>(range)));
        int count = 0;
        for (Control* k : rig.ui.Command1) count += k->enabled();
        for (Control* k : rig.ui.Command2) count += k->enabled();
        QCOMPARE(count, usable);
        QVERIFY(rig.ui.Command4->visible());
        rig.form.kenban(static_cast<std::uint8_t>(range));  // idempotent
        QVERIFY(rig.keysMatchRange(static_cast<std::uint8_t>(range)));
    }

    void kenbanDuringDemonstrationLeavesReplayHidden() {
        GameRig rig;
        rig.v.Phase = phase::Demonstration;
        rig.ui.Command1[3]->setBackColor(colors::Blue);
        rig.ui.Label7[3]->setCaption("2");
        rig.form.kenban(0);
        QVERIFY(!rig.ui.Command4->visible());
        QCOMPARE(rig.ui.Command1[3]->backColor(), colors::White);
        QCOMPARE(rig.ui.Label7[3]->caption(), std::string("2"));
    }

    void siyouHukaLocksEverything() {
        GameRig rig;
        rig.ui.Command4->setVisible(true);
        rig.ui.Picture3[0]->setVisible(true);
        rig.v.NotePos = 3;
        rig.form.SiyouHuka();
        QVERIFY(rig.allKeysLocked());
        QVERIFY(!rig.ui.Command4->visible());
        QVERIFY(rig.ui.Picture3[0]->visible());
        QCOMPARE(rig.v.NotePos, 3);
    }

    void noteNameDisplayShowsAllPlates() {
        GameRig rig;
        rig.startGame();  // keys locked mid-game
        rig.ui.Check2->setValue(1);
        rig.form.Check2_Click();
        for (Control* p : rig.ui.Picture3) QVERIFY(p->visible());
        rig.ui.Check2->setValue(0);
        rig.form.Check2_Click();
        for (Control* p : rig.ui.Picture3) QVERIFY(!p->visible());
    }
};

QTEST_APPLESS_MAIN(KeyModelTest)
#include "tst_key_model.moc"
