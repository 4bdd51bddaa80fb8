// Key tables, note tokens, sound paths, plates, and which keys are usable.
#include <QTest>

#include "keys/MidiKeys.h"
#include "keys/PcKeyMap.h"
#include "support/GameRig.h"

using namespace zv;
using namespace zv::test;

class PianoKeysTest : public QObject {
    Q_OBJECT

private slots:
    void soundTables() {
        GameRig rig;
        const std::array<const char*, 14> whites = {"do", "re", "mi", "fa", "so", "ra", "si",
                                                    "+do", "+re", "+mi", "+fa", "+so", "+ra", "+si"};
        const std::array<const char*, 10> blacks = {"do#", "re#", "fa#", "so#", "ra#",
                                                    "+do#", "+re#", "+fa#", "+so#", "+ra#"};
        const KeySounds& sounds = rig.game.sounds();
        for (int i = 0; i < 14; ++i) QCOMPARE(sounds.whiteNames()[i], std::string(whites[i]));
        for (int i = 0; i < 10; ++i) QCOMPARE(sounds.blackNames()[i], std::string(blacks[i]));
        QCOMPARE(sounds.folder(), std::string("/opt/zorvanta/sound/"));
        QCOMPARE(sounds.path("+do"), std::string("/opt/zorvanta/sound/+do"));
        QCOMPARE(sounds.allPaths().size(), size_t(25));  // decoded up front: every key and the chime
        QCOMPARE(sounds.allPaths().back(), std::string("/opt/zorvanta/sound/+++do"));
    }

    void rootFolderStillReachesSoundFolder() {
        GameRig rig(false);
        rig.app.appDir = std::string(1, '/');  // (a literal trips a false -Wrestrict in GCC 12)
        rig.game.load();
        QCOMPARE(rig.game.sounds().folder(), std::string("//sound/"));
        // POSIX treats the doubled separator as one: the path names /sound/do.
        QCOMPARE(QDir::cleanPath(QString::fromStdString(rig.game.sounds().path("do"))), QString("/sound/do"));
    }

    void platesPrintedOnceOnWhite() {
        GameRig rig;
        const std::array<const char*, 14> names = {"ド ", "レ ", "ミ ", "ファ", "ソ ", "ラ ", "シ ",
                                                   "ド ", "レ ", "ミ ", "ファ", "ソ ", "ラ ", "シ "};
        for (int i = 0; i < 14; ++i) {
            QCOMPARE(rig.ui.notePlates[i]->printedText(), std::string(names[i]));
            QCOMPARE(rig.ui.notePlates[i]->backColor(), colors::White);
            QVERIFY(!rig.ui.notePlates[i]->visible());
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

    void unlockKeyRangeRanges_data() {
        QTest::addColumn<int>("range");
        QTest::addColumn<int>("usable");
        QTest::newRow("all") << 0 << 24;
        QTest::newRow("white") << 1 << 14;
        QTest::newRow("octave") << 2 << 12;
        QTest::newRow("octave white") << 3 << 7;
    }
    void unlockKeyRangeRanges() {
        QFETCH(int, range);
        QFETCH(int, usable);
        GameRig rig;
        rig.game.lockKeys();
        rig.settings.keyRange = static_cast<std::uint8_t>(range);
        rig.game.unlockKeyRange();
        QVERIFY(rig.keysMatchRange(static_cast<std::uint8_t>(range)));
        int count = 0;
        for (Control* k : rig.ui.whiteKeys) count += k->enabled();
        for (Control* k : rig.ui.blackKeys) count += k->enabled();
        QCOMPARE(count, usable);
        QVERIFY(rig.ui.replay->visible());
        rig.game.unlockKeyRange();  // idempotent
        QVERIFY(rig.keysMatchRange(static_cast<std::uint8_t>(range)));
    }

    void unlockingDuringDemonstrationLeavesReplayHidden() {
        GameRig rig;
        rig.state.phase = Phase::Demonstration;
        rig.ui.whiteKeys[3]->setBackColor(colors::Blue);
        rig.ui.whiteKeyMarks[3]->setCaption("2");
        rig.game.unlockKeyRange();
        QVERIFY(!rig.ui.replay->visible());
        QCOMPARE(rig.ui.whiteKeys[3]->backColor(), colors::White);
        QCOMPARE(rig.ui.whiteKeyMarks[3]->caption(), std::string("2"));
    }

    void lockKeysLocksEverything() {
        GameRig rig;
        rig.ui.replay->setVisible(true);
        rig.ui.notePlates[0]->setVisible(true);
        rig.state.notePos = 3;
        rig.game.lockKeys();
        QVERIFY(rig.allKeysLocked());
        QVERIFY(!rig.ui.replay->visible());
        QVERIFY(rig.ui.notePlates[0]->visible());
        QCOMPARE(rig.state.notePos, 3);
    }

    void noteNameDisplayShowsAllPlates() {
        GameRig rig;
        rig.startGame();  // keys locked mid-game
        rig.setNoteNames(true);
        for (Control* p : rig.ui.notePlates) QVERIFY(p->visible());
        rig.setNoteNames(false);
        for (Control* p : rig.ui.notePlates) QVERIFY(!p->visible());
    }

    // A semitone (a MIDI note folded into the piano) presses the same piano key as
    // the PC key of that pitch: the PC keys in pitch order, lowest first.
    void semitonesPressTheKeysOfTheirPcKeys() {
        const char pcKeysByPitch[] = "Q2W3ER5T6Y7UZSXDCVGBHNJM";
        for (int semitone = 0; semitone < 24; ++semitone)
            QCOMPARE(pianoKeyForSemitone(semitone), *pianoKeyForKeyCode(pcKeysByPitch[semitone]));
        QCOMPARE(pianoKeyForSemitone(-1).index, -1);
        QCOMPARE(pianoKeyForSemitone(24).index, -1);
    }
    // Every note lands on the key of its pitch class, in the piano's own octave when
    // it has one, else in the nearer of the two.
    void everyNoteReachesItsPitchOnThePiano() {
        for (int note = 0; note <= 127; ++note) {
            const int key = semitoneOfNote(note);
            QVERIFY2(key >= 0 && key < kKeyCount, qPrintable(QString::number(note)));
            QCOMPARE(key % 12, note % 12);
            if (note >= 60 && note <= 83)
                QCOMPARE(key, note - 60);
            else
                QCOMPARE(key >= 12, note > 83);
        }
        const std::vector<std::pair<int, int>> named{{48, 0}, {59, 11}, {84, 12}, {96, 12}, {0, 0}, {127, 19}};
        for (auto [note, key] : named) QCOMPARE(semitoneOfNote(note), key);
        QCOMPARE(semitoneOfNote(-1), -1);
        QCOMPARE(semitoneOfNote(128), -1);
    }

};

QTEST_APPLESS_MAIN(PianoKeysTest)
#include "tst_piano_keys.moc"
