// Verdicts, counters and the text of the end-of-game summary.
#include <QTest>

#include "support/GameRig.h"

using namespace zv;
using namespace zv::test;

class JudgmentTest : public QObject {
    Q_OBJECT

private slots:
    void rateText_data() {
        QTest::addColumn<int>("questions");
        QTest::addColumn<int>("rights");
        QTest::addColumn<QString>("rate");
        QTest::newRow("10/7") << 10 << 7 << "70";
        QTest::newRow("3/2 cut, not rounded") << 3 << 2 << "66.6";
        QTest::newRow("7/1") << 7 << 1 << "14.2";
        QTest::newRow("8/1") << 8 << 1 << "12.5";
        QTest::newRow("4/0") << 4 << 0 << "0";
        QTest::newRow("5/5") << 5 << 5 << "100";
        QTest::newRow("5/4") << 5 << 4 << "80";
        QTest::newRow("3/1") << 3 << 1 << "33.3";
        QTest::newRow("1000/1") << 1000 << 1 << "0.1";
        QTest::newRow("1001/1") << 1001 << 1 << "0";
        QTest::newRow("6/5") << 6 << 5 << "83.3";
    }
    void rateText() {
        QFETCH(int, questions);
        QFETCH(int, rights);
        QFETCH(QString, rate);
        QCOMPARE(QString::fromStdString(Judgment::rateText(questions, rights)), rate);
    }

    void summaryCaptionAndText() {
        QCOMPARE(Judgment::summaryCaption(5, 30), std::string("5音メロディー:30秒"));
        QCOMPARE(Judgment::summaryCaption(8, 90), std::string("8音メロディー:90秒"));
        QCOMPARE(Judgment::summaryCaption(1, 30), std::string("単音:30秒"));
        QCOMPARE(Judgment::summaryText("10", "7"), std::string("問題数:10\r\n正解数:7\r\n正解率:70%"));
    }

    void seikaiHandanRightAndWrong() {
        GameRig rig;
        std::int16_t right = kTrue, wrong = kFalse;
        rig.form.SeikaiHandan(right);
        QCOMPARE(rig.rights(), 1);
        QCOMPARE(rig.questions(), 0);  // the question was counted when it was played
        QVERIFY(rig.ui.Picture1->visible());
        QCOMPARE(rig.ui.Picture1->picture(), rig.ui.Picture2[0]->picture());
        QCOMPARE(rig.timer1.interval(), 200);
        QVERIFY(rig.timer1.enabled());
        QCOMPARE(rig.v.Phase, phase::Pause);
        QVERIFY(rig.allKeysLocked());
        rig.form.SeikaiHandan(wrong);
        QCOMPARE(rig.rights(), 1);
        QCOMPARE(rig.ui.Picture1->picture(), rig.ui.Picture2[1]->picture());
    }

    // Four melodies, one replayed once, all answered right: 5 questions, 4 right, 80%.
    void fourMelodiesOneReplayed() {
        GameRig rig;
        rig.ui.Check1->setValue(1);  // no limit: the countdown stays out of the way
        rig.form.Check1_Click();
        rig.startAndPlayFirstQuestion();
        for (int m = 0; m < 4; ++m) {
            if (m == 2) {
                rig.form.Command4_Click();
                rig.playUntilSequencerStops();
            }
            rig.answerRight();
            if (m < 3) {
                rig.tick1();  // pause
                rig.playUntilSequencerStops();
            }
        }
        rig.form.Command3_Click();
        rig.clock.advance(1000);
        QCOMPARE(rig.boxes.shown.size(), size_t(1));
        QCOMPARE(rig.boxes.shown[0].text, std::string("問題数:5\r\n正解数:4\r\n正解率:80%"));
        // With the limit off, the caption still names the scroll bar's seconds.
        QCOMPARE(rig.boxes.shown[0].caption, std::string("5音メロディー:30秒"));
    }

    void tenQuestionsSevenRight() {
        GameRig rig;
        rig.ui.Check1->setValue(1);
        rig.form.Check1_Click();
        rig.startAndPlayFirstQuestion();
        for (int q = 0; q < 10; ++q) {
            if (q < 7)
                rig.answerRight();
            else
                rig.pressToken(rig.wrongTokenFor(rig.v.Melody[0]));
            if (q < 9) {
                rig.tick1();
                rig.playUntilSequencerStops();
            }
        }
        rig.form.Form_KeyDown(27, 0);
        rig.clock.advance(1000);
        QCOMPARE(rig.boxes.shown.size(), size_t(1));
        QCOMPARE(rig.boxes.shown[0].caption, std::string("5音メロディー:30秒"));
        QCOMPARE(rig.boxes.shown[0].text, std::string("問題数:10\r\n正解数:7\r\n正解率:70%"));
    }

    void demonstrationQuestionNoGoesOn() {
        GameRig rig;
        rig.ui.Check3->setValue(1);
        rig.boxes.answers = {MessageBoxes::kNo};
        rig.startAndPlayFirstQuestion();
        rig.answerRight();
        rig.tick1();
        const auto closed = rig.clock.now();
        QCOMPARE(rig.boxes.shown.size(), size_t(1));
        QCOMPARE(rig.v.Phase, phase::Question);
        rig.sound.clear();
        rig.tick1();
        QCOMPARE(rig.clock.now(), closed + 500);
        QCOMPARE(rig.sound.played.size(), size_t(1));
    }
};

QTEST_APPLESS_MAIN(JudgmentTest)
#include "tst_judgment.moc"
