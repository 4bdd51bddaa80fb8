// The settings panel and the time limit.
#include <QTest>

#include "support/GameRig.h"

using namespace zv;
using namespace zv::test;

class SettingsTest : public QObject {
    Q_OBJECT

    static void select(GameRig& rig, std::array<Control*, 3>& options, int i) { options[i]->setValue(1); (void)rig; }

private slots:
    void difficultyFeedbackAndCount() {
        GameRig rig;
        const int notes[3] = {3, 5, 8};
        const char* sounds[3] = {"do", "mi", "so"};
        for (int i = 0; i < 3; ++i) {
            rig.sound.clear();
            rig.form.Option1_Click(i);
            QCOMPARE(rig.v.NoteCount, notes[i]);
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
        select(rig, rig.ui.Option1, difficulty);
        rig.form.Option1_Click(difficulty);
        rig.ui.Option2[1]->setValue(1);
        rig.sound.clear();
        rig.form.Option2_Click(1);
        QCOMPARE(rig.v.NoteCount, 1);
        QVERIFY(!rig.ui.Frame1->enabled());
        QCOMPARE(rig.ui.Option1[difficulty]->value(), 1);
        rig.ui.Option2[0]->setValue(1);
        rig.form.Option2_Click(0);
        QCOMPARE(rig.v.NoteCount, notes);
        QVERIFY(rig.ui.Frame1->enabled());
        QCOMPARE(rig.sound.names(), (std::vector<std::string>{"so", "mi"}));
    }

    void keyRangeAppliesAtOnceAndHidesReplay() {
        GameRig rig;
        const char* sounds[4] = {"re", "mi", "fa", "so"};
        for (int i : {1, 2, 3, 0}) {
            rig.sound.clear();
            rig.form.Option3_Click(i);
            QCOMPARE(rig.v.KeyRange, i);
            QVERIFY(rig.keysMatchRange(static_cast<std::uint8_t>(i)));
            QVERIFY(!rig.ui.Command4->visible());
            QCOMPARE(rig.sound.names(), std::vector<std::string>{sounds[i]});
        }
    }

    void gameUsesRangeAndReturnsToIt() {
        GameRig rig;
        rig.form.Option3_Click(3);
        rig.startAndPlayFirstQuestion();
        for (const auto& t : rig.melody()) {
            const auto key = readToken(t);
            QVERIFY(key && key->color == KeyColor::White && key->index < 7);
        }
        QVERIFY(rig.keysMatchRange(3));
        rig.form.GameOver();
        rig.clock.advance(1000);
        QVERIFY(rig.keysMatchRange(3));
        QVERIFY(!rig.ui.Command4->visible());
    }

    void limitOffAndOn() {
        GameRig rig;
        QCOMPARE(rig.ui.Label6->caption(), std::string("30"));
        rig.ui.Check1->setValue(1);
        rig.form.Check1_Click();
        QCOMPARE(rig.ui.Label6->caption(), std::string("∞"));
        QCOMPARE(rig.ui.Label2->caption(), std::string("∞"));
        QCOMPARE(rig.v.TimeLeft, 30);
        rig.startAndPlayFirstQuestion();
        QVERIFY(!rig.timer2.enabled());
        QCOMPARE(rig.ui.Label2->caption(), std::string("∞"));
        rig.clock.advance(120000);
        QCOMPARE(rig.v.Phase, phase::Question);  // no limit: the game waits for the answer
        rig.form.Command3_Click();
        rig.clock.advance(1000);
        QVERIFY(rig.isIdle());
        rig.ui.Check1->setValue(0);
        rig.form.Check1_Click();
        QCOMPARE(rig.ui.Label6->caption(), std::string("30"));
        QCOMPARE(rig.ui.Label2->caption(), std::string("30"));
    }

    void scrollSwitchesLimitOn() {
        GameRig rig;
        rig.ui.Check1->setValue(1);
        rig.form.Check1_Click();
        rig.ui.VScroll1->setValue(55);
        rig.form.VScroll1_Change();
        QCOMPARE(rig.ui.Check1->value(), 0);
        QCOMPARE(rig.ui.Label6->caption(), std::string("45"));
        QCOMPARE(rig.ui.Label2->caption(), std::string("45"));
        QCOMPARE(rig.v.TimeLeft, 45);
        // Dragging: each scroll event updates the labels.
        for (int v = 56; v <= 60; ++v) {
            rig.ui.VScroll1->setValue(v);
            rig.form.VScroll1_Scroll();
            QCOMPARE(rig.ui.Label6->caption(), std::to_string(100 - v));
        }
    }

    void scrollRangeFitsEveryLimit() {
        GameRig rig;
        Control& s = *rig.ui.VScroll1;
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
