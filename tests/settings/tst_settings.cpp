// The settings panel and the time limit.
#include <QTest>

#include "support/GameRig.h"

using namespace zv;
using namespace zv::test;

class SettingsTest : public QObject {
    Q_OBJECT

private slots:
    void difficultyFeedbackAndCount() {
        GameRig rig;
        const int notes[3] = {3, 5, 8};
        const char* sounds[3] = {"do", "mi", "so"};
        for (int i = 0; i < 3; ++i) {
            rig.sound.clear();
            rig.game.difficultyChosen(i);
            QCOMPARE(rig.settings.notesPerQuestion, notes[i]);
            QCOMPARE(rig.sound.names(), std::vector<std::string>{sounds[i]});
        }
    }

    void singleNoteThenMelodyRestoresDifficulty_data() {
        QTest::addColumn<int>("difficulty");
        QTest::addColumn<int>("notes");
        QTest::newRow("Easy") << 0 << 3;
        QTest::newRow("Nomal") << 1 << 5;
        QTest::newRow("Difficult") << 2 << 8;
    }
    void singleNoteThenMelodyRestoresDifficulty() {
        QFETCH(int, difficulty);
        QFETCH(int, notes);
        GameRig rig;
        rig.chooseDifficulty(difficulty);
        rig.sound.clear();
        rig.chooseMode(1);
        QCOMPARE(rig.settings.notesPerQuestion, 1);
        QVERIFY(!rig.ui.difficultyFrame->enabled());
        QCOMPARE(rig.ui.difficultyOptions[difficulty]->value(), 1);
        rig.chooseMode(0);
        QCOMPARE(rig.settings.notesPerQuestion, notes);
        QVERIFY(rig.ui.difficultyFrame->enabled());
        QCOMPARE(rig.sound.names(), (std::vector<std::string>{"so", "mi"}));
    }

    void keyRangeAppliesAtOnceAndHidesReplay() {
        GameRig rig;
        const char* sounds[4] = {"re", "mi", "fa", "so"};
        for (int i : {1, 2, 3, 0}) {
            rig.sound.clear();
            rig.game.keyRangeChosen(i);
            QCOMPARE(rig.settings.keyRange, i);
            QVERIFY(rig.keysMatchRange(static_cast<std::uint8_t>(i)));
            QVERIFY(!rig.ui.replay->visible());
            QCOMPARE(rig.sound.names(), std::vector<std::string>{sounds[i]});
        }
    }

    void gameUsesRangeAndReturnsToIt() {
        GameRig rig;
        rig.game.keyRangeChosen(3);
        rig.startAndPlayFirstQuestion();
        for (const auto& t : rig.melody()) {
            const auto key = readToken(t);
            QVERIFY(key && key->color == KeyColor::White && key->index < 7);
        }
        QVERIFY(rig.keysMatchRange(3));
        rig.game.endGame();
        rig.clock.advance(1000);
        QVERIFY(rig.keysMatchRange(3));
        QVERIFY(!rig.ui.replay->visible());
    }

    void limitOffAndOn() {
        GameRig rig;
        QCOMPARE(rig.ui.limitLabel->caption(), std::string("30"));
        rig.setNoLimit(true);
        QCOMPARE(rig.ui.limitLabel->caption(), std::string("∞"));
        QCOMPARE(rig.ui.countdown->caption(), std::string("∞"));
        QCOMPARE(rig.state.secondsLeft, 30);
        rig.startAndPlayFirstQuestion();
        QVERIFY(!rig.countdownTimer.enabled());
        QCOMPARE(rig.ui.countdown->caption(), std::string("∞"));
        rig.clock.advance(120000);
        QCOMPARE(rig.state.phase, Phase::Question);  // no limit: the game waits for the answer
        rig.game.startStopClicked();
        rig.clock.advance(1000);
        QVERIFY(rig.isIdle());
        rig.setNoLimit(false);
        QCOMPARE(rig.ui.limitLabel->caption(), std::string("30"));
        QCOMPARE(rig.ui.countdown->caption(), std::string("30"));
    }

    void scrollSwitchesLimitOn() {
        GameRig rig;
        rig.setNoLimit(true);
        rig.setTimeLimitBar(55);
        QCOMPARE(rig.ui.noLimitCheck->value(), 0);
        QVERIFY(!rig.settings.noTimeLimit);
        QCOMPARE(rig.ui.limitLabel->caption(), std::string("45"));
        QCOMPARE(rig.ui.countdown->caption(), std::string("45"));
        QCOMPARE(rig.state.secondsLeft, 45);
        // Dragging: each scroll event updates the labels.
        for (int v = 56; v <= 60; ++v) {
            rig.ui.timeLimitBar->setValue(v);
            rig.game.timeLimitDragged();
            QCOMPARE(rig.ui.limitLabel->caption(), std::to_string(100 - v));
        }
    }

    void scrollRangeFitsEveryLimit() {
        GameRig rig;
        Control& s = *rig.ui.timeLimitBar;
        QCOMPARE(s.minimum(), 10);
        QCOMPARE(s.maximum(), 90);
        s.setValue(0);
        QCOMPARE(s.value(), 10);  // clamped: 90 s at most
        s.setValue(200);
        QCOMPARE(s.value(), 90);  // 10 s at least
    }
};

QTEST_APPLESS_MAIN(SettingsTest)
#include "tst_settings.moc"
