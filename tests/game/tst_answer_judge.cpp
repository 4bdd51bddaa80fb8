// Verdicts, counters and the text of the end-of-game summary.
#include <QTest>

#include "support/GameRig.h"

using namespace zv;
using namespace zv::test;

class AnswerJudgeTest : public QObject {
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
        QCOMPARE(QString::fromStdString(AnswerJudge::rateText(questions, rights)), rate);
    }

    void summaryCaptionAndText() {
        QCOMPARE(AnswerJudge::summaryCaption(5, 30), std::string("5音メロディー:30秒"));
        QCOMPARE(AnswerJudge::summaryCaption(8, 90), std::string("8音メロディー:90秒"));
        QCOMPARE(AnswerJudge::summaryCaption(1, 30), std::string("単音:30秒"));
        QCOMPARE(AnswerJudge::summaryText(10, 7), std::string("問題数:10\r\n正解数:7\r\n正解率:70%"));
    }

    void judgeAnswerRightAndWrong() {
        GameRig rig;
        rig.game.judgeAnswer(true);
        QCOMPARE(rig.rights(), 1);
        QCOMPARE(rig.questions(), 0);  // the question was counted when it was played
        QVERIFY(rig.ui.verdictPicture->visible());
        QCOMPARE(rig.ui.verdictPicture->picture(), rig.ui.storedPictures[0]->picture());
        QCOMPARE(rig.stepTimer.interval(), 200);
        QVERIFY(rig.stepTimer.enabled());
        QCOMPARE(rig.state.phase, Phase::VerdictPause);
        QVERIFY(rig.allKeysLocked());
        rig.game.judgeAnswer(false);
        QCOMPARE(rig.rights(), 1);
        QCOMPARE(rig.ui.verdictPicture->picture(), rig.ui.storedPictures[1]->picture());
    }

    // Whole games with no limit (the countdown stays out of the way), ended by STOP or
    // Esc: the summary counts every question played, a replay played to its end too.
    void summaryOfAWholeGame_data() {
        QTest::addColumn<QString>("script");  // per question: R right, W wrong; P replays it first
        QTest::addColumn<bool>("byEsc");
        QTest::addColumn<QString>("text");
        QTest::newRow("four melodies, one replayed") << "RRPRR" << false << "問題数:5\r\n正解数:4\r\n正解率:80%";
        QTest::newRow("ten questions, seven right") << "RRRRRRRWWW" << true << "問題数:10\r\n正解数:7\r\n正解率:70%";
    }
    void summaryOfAWholeGame() {
        QFETCH(QString, script);
        QFETCH(bool, byEsc);
        QFETCH(QString, text);
        GameRig rig;
        rig.setNoLimit(true);
        rig.startAndPlayFirstQuestion();
        for (int i = 0; i < script.size(); ++i) {
            if (script[i] == 'P') {
                rig.game.replayClicked();
                rig.playUntilSequencerStops();
                continue;
            }
            if (script[i] == 'R')
                rig.answerRight();
            else
                rig.pressToken(rig.wrongTokenFor(rig.state.melody[0]));
            if (i + 1 < script.size()) rig.playUntilSequencerStops();  // the pause, then the next question
        }
        if (byEsc)
            rig.game.pcKeyPressed(27, 0);
        else
            rig.game.startStopClicked();
        rig.clock.advance(1000);
        QCOMPARE(rig.boxes.shown.size(), size_t(1));
        QCOMPARE(rig.boxes.shown[0].text, text.toStdString());
        // With the limit off, the caption still names the scroll bar's seconds.
        QCOMPARE(rig.boxes.shown[0].caption, std::string("5音メロディー:30秒"));
    }

    void demonstrationQuestionNoGoesOn() {
        GameRig rig;
        rig.askBeforeDemonstrating(MessageBoxes::kNo);
        rig.startAndPlayFirstQuestion();
        rig.answerRight();
        rig.tickStep();
        const auto closed = rig.clock.now();
        QCOMPARE(rig.boxes.shown.size(), size_t(1));
        QCOMPARE(rig.state.phase, Phase::Question);
        rig.sound.clear();
        rig.tickStep();
        QCOMPARE(rig.clock.now(), closed + 500);
        QCOMPARE(rig.sound.played.size(), size_t(1));
    }
};

QTEST_APPLESS_MAIN(AnswerJudgeTest)
#include "tst_answer_judge.moc"
