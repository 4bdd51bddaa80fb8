// Whole games in virtual time: START to the first note, questions, judgments,
// replays, demonstrations and the end of a game, checked at the moments they happen.
#include <QTest>

#include "support/GameRig.h"

using namespace zv;
using namespace zv::test;

class GameFlowTest : public QObject {
    Q_OBJECT

private slots:
    void idleWindowAfterLoad() {
        GameRig rig;
        QVERIFY(rig.isIdle());
        QCOMPARE(rig.settings.notesPerQuestion, 5);
        QCOMPARE(rig.state.secondsLeft, 30);
        QCOMPARE(rig.ui.difficultyOptions[1]->value(), 1);
        QVERIFY(rig.sound.played.empty());  // selecting the default difficulty makes no sound
        QCOMPARE(rig.stepTimer.interval(), 10);
        QCOMPARE(rig.countdownTimer.interval(), 1000);
        QVERIFY(rig.ui.storedPictures[0]->picture() && rig.ui.storedPictures[1]->picture() && rig.ui.storedPictures[2]->picture());
    }

    // Each picture comes from the current folder, or else from beside the program.
    void picturesFromCurrentFolderFirst() {
        GameRig rig(false);
        for (const char* f : {"maru.jpg", "batu.jpg", "gameover.jpg"}) rig.pictures.existing.insert(rig.app.appDir + "/" + f);
        rig.pictures.existing.erase(rig.app.cwd + "/batu.jpg");
        QVERIFY(!rig.game.load());
        const auto from = [&](int i) { return static_cast<const FakePicture&>(*rig.ui.storedPictures[i]->picture()).path; };
        QCOMPARE(from(0), rig.app.cwd + "/maru.jpg");
        QCOMPARE(from(1), rig.app.appDir + "/batu.jpg");
    }

    void bannerSlideToFirstNote() {
        GameRig rig;
        rig.game.startStopClicked();
        QCOMPARE(rig.sound.names(), std::vector<std::string>{"+++do"});
        QVERIFY(rig.ui.banner->visible());
        QVERIFY(!rig.ui.difficultyFrame->enabled() && !rig.ui.modeFrame->enabled() && !rig.ui.timeLimitFrame->enabled() &&
                !rig.ui.keyRangeFrame->enabled());
        QCOMPARE(rig.stepTimer.interval(), 30);
        QCOMPARE(rig.state.phase, Phase::Banner);
        // 16 ticks: the banner is at 9525 - 16*300 = 4725, labels still hidden.
        for (int i = 0; i < 16; ++i) QVERIFY(rig.tickStep());
        QCOMPARE(rig.ui.banner->left(), 4725);
        QVERIFY(!rig.ui.countdown->visible());
        QCOMPARE(rig.ui.startStop->caption(), std::string("START"));
        // Tick 17 (510 ms): left 4425 < 4500, everything appears on this one tick.
        QVERIFY(rig.tickStep());
        QCOMPARE(rig.clock.now(), 510);
        QVERIFY(rig.ui.countdown->visible() && rig.ui.rights->visible() && rig.ui.questions->visible() &&
                rig.ui.scoreSeparator->visible());
        QVERIFY(!rig.ui.timeLimitFrame->visible());
        QVERIFY(rig.ui.replay->visible());
        QCOMPARE(rig.ui.startStop->caption(), std::string("STOP"));
        QCOMPARE(rig.state.answering, false);
        // Tick 50 leaves the banner at -5475, not yet past -5505.
        for (int i = 17; i < 50; ++i) QVERIFY(rig.tickStep());
        QCOMPARE(rig.state.answering, false);
        QCOMPARE(rig.state.phase, Phase::Banner);
        QVERIFY(rig.tickStep());  // tick 51, 1530 ms: -5775 < -5505
        QCOMPARE(rig.clock.now(), 1530);
        QCOMPARE(rig.state.answering, true);
        QVERIFY(rig.countdownTimer.enabled());
        QCOMPARE(rig.stepTimer.interval(), 500);
        QCOMPARE(rig.state.phase, Phase::Question);
        QVERIFY(rig.allKeysLocked());
        QVERIFY(!rig.ui.replay->visible());
        QCOMPARE(rig.sound.played.size(), size_t(1));
        QVERIFY(rig.tickStep());
        QCOMPARE(rig.clock.now(), 2030);  // the first note, 500 ms after the banner left
        QCOMPARE(rig.sound.played.size(), size_t(2));
    }

    void fiveNoteQuestionUnlocksOnLastNote() {
        GameRig rig;
        scriptMelody(rig.random, {"白0", "黒3", "白13", "白13", "黒9"});
        rig.startGame();
        const auto start = rig.clock.now();
        rig.sound.clear();
        for (int n = 1; n <= 5; ++n) {
            QVERIFY(rig.tickStep());
            QCOMPARE(rig.clock.now(), start + 500 * n);
            QCOMPARE(rig.sound.played.size(), size_t(n));
            if (n < 5) {
                QVERIFY(rig.allKeysLocked());
                QCOMPARE(rig.questions(), 0);
            }
        }
        QCOMPARE(rig.sound.names(), (std::vector<std::string>{"do", "so#", "+si", "+si", "+ra#"}));
        QCOMPARE(rig.melody(), (std::vector<std::string>{"白0", "黒3", "白13", "白13", "黒9"}));
        QVERIFY(!rig.stepTimer.enabled());
        QVERIFY(rig.keysMatchRange(0));
        QVERIFY(rig.ui.replay->visible());
        QCOMPARE(rig.questions(), 1);
        QCOMPARE(rig.state.notePos, 0);
    }

    void rightAnswerPictureThenNextQuestion() {
        GameRig rig;
        rig.startAndPlayFirstQuestion();
        rig.clock.advance(3000);  // the player thinks; nothing runs
        const auto t = rig.clock.now();
        rig.sound.clear();
        rig.answerRight();
        QCOMPARE(rig.sound.played.size(), size_t(5));  // every press sounds, the last one first
        QCOMPARE(rig.rights(), 1);
        QVERIFY(rig.ui.verdictPicture->visible());
        QCOMPARE(rig.ui.verdictPicture->picture(), rig.ui.storedPictures[0]->picture());
        QVERIFY(rig.allKeysLocked());
        QCOMPARE(rig.state.phase, Phase::VerdictPause);
        QCOMPARE(rig.stepTimer.interval(), 200);
        QVERIFY(rig.tickStep());
        QCOMPARE(rig.clock.now(), t + 200);
        QVERIFY(!rig.ui.verdictPicture->visible());
        QCOMPARE(rig.state.phase, Phase::Question);
        QVERIFY(rig.allKeysLocked());
        QVERIFY(rig.tickStep());
        QCOMPARE(rig.clock.now(), t + 700);
        QCOMPARE(rig.sound.played.size(), size_t(6));
    }

    void wrongFirstNoteEndsAnswerAtOnce() {
        GameRig rig;
        scriptMelody(rig.random, {"白5", "白5", "白5", "白5", "白5"});
        rig.startAndPlayFirstQuestion();
        rig.pressToken("黒0");
        QCOMPARE(rig.state.notePos, 0);
        QCOMPARE(rig.rights(), 0);
        QCOMPARE(rig.ui.verdictPicture->picture(), rig.ui.storedPictures[1]->picture());
        QVERIFY(rig.allKeysLocked());
        QCOMPARE(rig.state.phase, Phase::VerdictPause);
    }

    void repeatedKeyAdvancesOnEachPress() {
        GameRig rig;
        scriptMelody(rig.random, {"白3", "白3", "黒1", "白3", "白3"});
        rig.startAndPlayFirstQuestion();
        rig.pressToken("白3");
        rig.pressToken("白3");
        QCOMPARE(rig.state.notePos, 2);
        rig.pressToken("黒1");
        rig.pressToken("白3");
        QCOMPARE(rig.state.phase, Phase::Question);
        rig.pressToken("白3");
        QCOMPARE(rig.state.phase, Phase::VerdictPause);
        QCOMPARE(rig.rights(), 1);
    }

    void replayAfterTwoRightNotesRestartsTheAnswer() {
        GameRig rig;
        rig.startAndPlayFirstQuestion();
        const auto melody = rig.melody();
        rig.pressToken(melody[0]);
        rig.pressToken(melody[1]);
        QCOMPARE(rig.state.notePos, 2);
        rig.sound.clear();
        rig.game.replayClicked();
        QCOMPARE(rig.state.notePos, 0);
        QCOMPARE(rig.state.phase, Phase::Replay);
        QVERIFY(rig.allKeysLocked());
        QVERIFY(!rig.ui.replay->visible());
        const auto t = rig.clock.now();
        rig.playUntilSequencerStops();
        QCOMPARE(rig.clock.now(), t + 2500);
        std::vector<std::string> expected;
        for (const auto& token : melody) expected.push_back(rig.game.sounds().nameOf(*readToken(token)));
        QCOMPARE(rig.sound.names(), expected);
        QCOMPARE(rig.questions(), 2);  // a replay played to its end counts as a question
        QVERIFY(rig.keysMatchRange(0));
        QCOMPARE(rig.melody(), melody);
        rig.answerRight();
        QCOMPARE(rig.rights(), 1);
    }

    void demonstrationMarksKeysAndOffersTwoButtons() {
        GameRig rig;
        scriptMelody(rig.random, {"白0", "白4", "黒2", "白6", "白4"});
        rig.askBeforeDemonstrating(MessageBoxes::kYes);
        rig.startAndPlayFirstQuestion();
        rig.pressToken("白1");  // wrong
        rig.tickStep();       // the pause tick asks
        QCOMPARE(rig.boxes.shown.size(), size_t(1));
        QVERIFY(rig.boxes.shown[0].yesNo);
        QCOMPARE(rig.boxes.shown[0].text, std::string("正解を表示しますか?"));
        QCOMPARE(rig.boxes.shown[0].caption, std::string("Zorvanta"));
        QCOMPARE(rig.state.phase, Phase::Demonstration);
        QVERIFY(rig.allKeysLocked());
        rig.tickStep();  // first demonstrated note
        QCOMPARE(rig.ui.whiteKeys[0]->backColor(), colors::Blue);
        QCOMPARE(rig.ui.whiteKeyMarks[0]->caption(), std::string("1"));
        rig.tickStep();
        rig.tickStep();
        QCOMPARE(rig.ui.blackKeys[2]->backColor(), colors::Blue);
        QCOMPARE(rig.ui.blackKeyMarks[2]->caption(), std::string("3"));
        rig.playUntilSequencerStops();
        QCOMPARE(rig.ui.whiteKeyMarks[4]->caption(), std::string("2,5"));
        QCOMPARE(rig.ui.whiteKeyMarks[6]->caption(), std::string("4"));
        QCOMPARE(rig.ui.whiteKeyMarks[1]->caption(), std::string(""));
        QVERIFY(rig.keysMatchRange(0));  // blue marks gone, positions stay
        QVERIFY(!rig.ui.replay->visible());
        QVERIFY(rig.ui.showAnswer->visible() && rig.ui.nextQuestion->visible());
        QCOMPARE(rig.questions(), 1);
        // Presses now only sound, also the right notes in order.
        const auto before = rig.sound.played.size();
        for (const char* t : {"白0", "白4", "黒2", "白6", "白4"}) rig.pressToken(t);
        QCOMPARE(rig.sound.played.size(), before + 5);
        QCOMPARE(rig.rights(), 0);
        QCOMPARE(rig.state.notePos, 0);

        // "正解表示" demonstrates again: labels cleared and refilled, counter unchanged.
        rig.game.showAnswerClicked();
        QVERIFY(!rig.ui.showAnswer->visible() && !rig.ui.nextQuestion->visible());
        QVERIFY(rig.keysMatchRange(0));
        rig.tickStep();
        QCOMPARE(rig.ui.whiteKeyMarks[4]->caption(), std::string(""));
        QCOMPARE(rig.ui.blackKeyMarks[2]->caption(), std::string(""));
        rig.playUntilSequencerStops();
        QCOMPARE(rig.ui.whiteKeyMarks[4]->caption(), std::string("2,5"));
        QCOMPARE(rig.questions(), 1);

        // "次の問題" plays a new question; the marks stay until its first note.
        rig.game.nextQuestionClicked();
        QCOMPARE(rig.state.phase, Phase::Question);
        QCOMPARE(rig.ui.whiteKeyMarks[4]->caption(), std::string("2,5"));
        rig.tickStep();
        QCOMPARE(rig.ui.whiteKeyMarks[4]->caption(), std::string(""));
        rig.playUntilSequencerStops();
        QCOMPARE(rig.questions(), 2);
    }

    // A question started by "次の問題" plays with the keys locked, so no press can be
    // judged against a note of the previous question (which could score a question
    // that was never counted).
    void nextQuestionButtonLocksKeysWhilePlaying() {
        GameRig rig;
        scriptMelody(rig.random, {"白0", "白0", "白0", "白0", "白0", "白2", "白2", "白2", "白2", "白2"});
        rig.askBeforeDemonstrating(MessageBoxes::kYes);
        rig.startAndPlayFirstQuestion();
        rig.pressToken("白1");
        rig.playUntilSequencerStops();  // pause tick, then the demonstration
        QVERIFY(rig.ui.nextQuestion->visible());
        rig.game.nextQuestionClicked();
        QVERIFY(rig.allKeysLocked());
        // The PC keyboard cannot reach a locked key; the old melody's first note is 白0.
        rig.game.pcKeyPressed('Q', 0);
        QCOMPARE(rig.state.notePos, 0);
        QCOMPARE(rig.state.phase, Phase::Question);
        rig.tickStep();
        QVERIFY(rig.allKeysLocked());
        rig.playUntilSequencerStops();
        QVERIFY(rig.keysMatchRange(0));
        QCOMPARE(rig.melody(), (std::vector<std::string>{"白2", "白2", "白2", "白2", "白2"}));
    }

    void stopDuringBannerShowsNoSummary() {
        GameRig rig;
        rig.game.startStopClicked();
        for (int i = 0; i < 20; ++i) rig.tickStep();
        QCOMPARE(rig.ui.startStop->caption(), std::string("STOP"));
        rig.game.startStopClicked();
        QVERIFY(rig.ui.verdictPicture->visible());
        QCOMPARE(rig.ui.verdictPicture->picture(), rig.ui.storedPictures[2]->picture());
        const auto t = rig.clock.now();
        rig.tickStep();
        QCOMPARE(rig.clock.now(), t + 1000);
        QVERIFY(rig.boxes.shown.empty());
        QVERIFY(rig.isIdle());
        QCOMPARE(rig.ui.banner->left(), 9525);  // parked just outside the window's frame
        QVERIFY(rig.keysMatchRange(0));
        QVERIFY(rig.ui.difficultyFrame->enabled() && rig.ui.timeLimitFrame->visible());
    }

    void startAgainDuringBannerCarriesOn() {
        GameRig rig;
        rig.game.startStopClicked();
        for (int i = 0; i < 5; ++i) rig.tickStep();
        const int left = rig.ui.banner->left();
        rig.game.startStopClicked();
        QCOMPARE(rig.sound.names(), (std::vector<std::string>{"+++do", "+++do"}));
        QCOMPARE(rig.ui.banner->left(), left);
        QCOMPARE(rig.state.phase, Phase::Banner);
    }

    // REPLAY shows during the banner before any question exists: pressing it must
    // neither read the empty melody nor stall the game.
    void replayDuringBannerIsIgnored() {
        GameRig rig;
        rig.game.startStopClicked();
        for (int i = 0; i < 20; ++i) rig.tickStep();
        QVERIFY(rig.ui.replay->visible());
        rig.game.replayClicked();
        QCOMPARE(rig.state.phase, Phase::Banner);
        rig.playUntilSequencerStops();
        QCOMPARE(rig.state.answering, true);
        QCOMPARE(rig.questions(), 1);
        rig.game.startStopClicked();  // STOP still ends the game
        rig.clock.advance(1000);
        QVERIFY(rig.isIdle());
        QCOMPARE(rig.boxes.shown.size(), size_t(1));
    }

    void stopTwiceDuringGameOverPauseGivesOneSummary() {
        GameRig rig;
        rig.startAndPlayFirstQuestion();
        QVERIFY(rig.sound.keptReady);  // the sound output stays ready from START to the idle window
        rig.game.startStopClicked();
        rig.clock.advance(600);
        rig.game.startStopClicked();  // STOP again: the pause starts over
        rig.clock.advance(900);
        QVERIFY(rig.boxes.shown.empty());
        QVERIFY(!rig.isIdle() && rig.sound.keptReady);
        rig.clock.advance(100);
        QCOMPARE(rig.boxes.shown.size(), size_t(1));
        QVERIFY(rig.isIdle() && !rig.sound.keptReady);
        rig.clock.advance(5000);
        QCOMPARE(rig.boxes.shown.size(), size_t(1));
    }

    void gameOverMidQuestionIsNotCounted() {
        GameRig rig;
        rig.startAndPlayFirstQuestion();
        rig.answerRight();
        rig.tickStep();  // pause tick
        rig.tickStep();  // first note of question 2
        rig.tickStep();
        rig.game.endGame();
        QCOMPARE(rig.questions(), 1);
        rig.clock.advance(1000);
        QCOMPARE(rig.boxes.shown.size(), size_t(1));
        QCOMPARE(rig.boxes.shown[0].caption, std::string("5音メロディー:30秒"));
        QCOMPARE(rig.boxes.shown[0].text, std::string("問題数:1\r\n正解数:1\r\n正解率:100%"));
        QVERIFY(rig.isIdle());
        QCOMPARE(rig.questions(), 0);
        QVERIFY(!rig.ui.rights->visible());
    }

    void countdownEndsTheGame() {
        GameRig rig;
        rig.setTimeLimitBar(90);  // 10 seconds
        rig.startAndPlayFirstQuestion();
        const auto bannerEnd = 1530;
        rig.clock.advanceTo(bannerEnd + 9000);
        QCOMPARE(rig.ui.countdown->caption(), std::string("1"));
        rig.clock.advanceTo(bannerEnd + 10000);
        QCOMPARE(rig.ui.countdown->caption(), std::string("0"));
        QVERIFY(!rig.countdownTimer.enabled());
        QCOMPARE(rig.state.phase, Phase::GameOverPause);
        QCOMPARE(rig.stepTimer.interval(), 1000);
        rig.clock.advance(1000);
        QCOMPARE(rig.boxes.shown.size(), size_t(1));
        QCOMPARE(rig.boxes.shown[0].caption, std::string("5音メロディー:10秒"));
        QVERIFY(rig.isIdle());
        QCOMPARE(rig.state.secondsLeft, 10);
    }

    // Ticks keep coming while a box is open. The demonstration question held open for
    // three seconds opens no second box; a countdown that ends the game meanwhile
    // keeps it ended, and the game closes with exactly one summary.
    void ticksUnderDemonstrationQuestion() {
        GameRig rig;
        rig.setTimeLimitBar(88);  // 12 s
        rig.askBeforeDemonstrating(MessageBoxes::kYes);
        rig.startAndPlayFirstQuestion();  // ends 1530 + 2500
        rig.clock.advanceTo(1530 + 9000);
        rig.pressToken(rig.wrongTokenFor(rig.state.melody[0]));
        int opened = 0;
        rig.boxes.whileOpen = [&] {
            if (++opened == 1) rig.clock.advance(4000);  // the countdown runs out under the box
        };
        rig.clock.advance(200);
        QCOMPARE(rig.boxes.maxOpenAtOnce, 1);
        QCOMPARE(rig.boxes.shown.size(), size_t(1));
        QCOMPARE(rig.state.phase, Phase::GameOverPause);  // not the demonstration: the game is over
        QCOMPARE(rig.stepTimer.interval(), 1000);
        rig.clock.advance(1000);
        QCOMPARE(rig.boxes.shown.size(), size_t(2));
        QVERIFY(!rig.boxes.shown[1].yesNo);
        rig.clock.advance(5000);
        QCOMPARE(rig.boxes.shown.size(), size_t(2));
        QVERIFY(rig.isIdle());
    }

    // STOP with one second left: the countdown reaches zero under the summary and
    // calls GameOver again; still exactly one summary, and the window ends idle.
    void countdownUnderSummary() {
        GameRig rig;
        rig.setTimeLimitBar(90);
        rig.startAndPlayFirstQuestion();
        rig.clock.advanceTo(1530 + 8500);
        rig.game.startStopClicked();  // STOP with 1.5 s left
        rig.boxes.whileOpen = [&] { rig.clock.advance(3000); };
        rig.clock.advance(1000);
        QCOMPARE(rig.boxes.shown.size(), size_t(1));
        QVERIFY(rig.isIdle());
        QVERIFY(!rig.ui.verdictPicture->visible());
        rig.boxes.whileOpen = nullptr;
        rig.clock.advance(10000);
        QCOMPARE(rig.boxes.shown.size(), size_t(1));
    }

    void escWithStopEndsGameAndEscIdleQuits() {
        GameRig rig;
        rig.game.pcKeyPressed(27, 0);
        QCOMPARE(rig.app.quits, 1);
        rig.startAndPlayFirstQuestion();
        rig.game.pcKeyPressed(27, 0);
        QCOMPARE(rig.app.quits, 1);
        QCOMPARE(rig.state.phase, Phase::GameOverPause);
        QCOMPARE(rig.stepTimer.interval(), 1000);
        rig.clock.advance(1000);
        QCOMPARE(rig.boxes.shown.size(), size_t(1));
    }

    void escInBannerQuitsUntilStopShows() {
        for (const int ms : {300, 510}) {  // tick 17 at 510: STOP shown, the banner still sliding
            GameRig rig;
            rig.game.startStopClicked();
            rig.clock.advance(ms);
            rig.game.pcKeyPressed(27, 0);
            QCOMPARE(rig.app.quits, ms < 510 ? 1 : 0);
            if (ms == 510) QCOMPARE(rig.state.phase, Phase::GameOverPause);
        }
    }

    void answerButtonsIgnoredDuringGameOverPause() {
        GameRig rig;
        rig.askBeforeDemonstrating(MessageBoxes::kYes);
        rig.startAndPlayFirstQuestion();
        rig.pressToken(rig.wrongTokenFor(rig.state.melody[0]));
        rig.playUntilSequencerStops();
        QVERIFY(rig.ui.nextQuestion->visible());
        rig.game.endGame();
        rig.game.nextQuestionClicked();
        QCOMPARE(rig.state.phase, Phase::GameOverPause);
        rig.clock.advance(1000);
        QVERIFY(rig.isIdle());
        QCOMPARE(rig.boxes.shown.size(), size_t(2));  // the question and one summary
    }

    void singleNoteQuestionIsOneTick() {
        GameRig rig;
        rig.chooseMode(1);
        rig.startGame();
        rig.sound.clear();
        rig.tickStep();
        QCOMPARE(rig.sound.played.size(), size_t(1));
        QCOMPARE(rig.questions(), 1);
        QVERIFY(!rig.stepTimer.enabled());
        rig.pressToken(rig.state.melody[0]);
        QCOMPARE(rig.rights(), 1);
        rig.game.endGame();
        rig.clock.advance(1000);
        QCOMPARE(rig.boxes.shown[0].caption, std::string("単音:30秒"));
        QVERIFY(!rig.ui.difficultyFrame->enabled());  // single-note mode keeps the difficulty frame off
    }

    void tickWithUnknownPhaseDoesNothing() {
        GameRig rig;
        rig.state.phase = static_cast<Phase>(7);
        rig.stepTimer.setInterval(500);
        rig.stepTimer.setEnabled(true);
        rig.clock.advance(2000);
        QVERIFY(rig.sound.played.empty());
        QVERIFY(rig.keysMatchRange(0));
    }

    // The PC key of a key outside the chosen range does nothing during a game: no
    // sound, no verdict, the answer still waits for its first note.
    void keysOutsideTheRangeDoNothing_data() {
        QTest::addColumn<int>("range");
        QTest::addColumn<QString>("keys");
        QTest::newRow("white keys") << 1 << "23567SDGHJ";
        QTest::newRow("lower octave") << 2 << "ZXCVBNMSDGHJ";
        QTest::newRow("lower octave's white keys") << 3 << "23567ZXCVBNMSDGHJ";
    }
    void keysOutsideTheRangeDoNothing() {
        QFETCH(int, range);
        QFETCH(QString, keys);
        GameRig rig;
        rig.game.keyRangeChosen(range);
        rig.startAndPlayFirstQuestion();
        rig.sound.clear();
        for (const QChar key : keys) rig.game.pcKeyPressed(key.toLatin1(), 0);
        QVERIFY(rig.sound.played.empty());
        QCOMPARE(rig.state.notePos, 0);
        QVERIFY(!rig.ui.verdictPicture->visible());
        QVERIFY(rig.keysMatchRange(static_cast<std::uint8_t>(range)));
    }

    // STOP with half a second left: the countdown reaches zero inside the pause after
    // game over and ends the game again; there is still exactly one summary and the
    // game stays over.
    void stopWithUnderASecondLeft() {
        GameRig rig;
        rig.setTimeLimitBar(90);  // 10 s, counting from the banner's end at 1530
        rig.startAndPlayFirstQuestion();
        rig.clock.advanceTo(1530 + 9500);
        rig.game.startStopClicked();
        rig.clock.advanceTo(1530 + 10000);
        QCOMPARE(rig.ui.countdown->caption(), std::string("0"));
        QCOMPARE(rig.state.phase, Phase::GameOverPause);
        QCOMPARE(rig.boxes.shown.size(), size_t(0));
        rig.clock.advance(1000);
        QCOMPARE(rig.boxes.shown.size(), size_t(1));
        QVERIFY(rig.isIdle());
        rig.clock.advance(10000);
        QCOMPARE(rig.boxes.shown.size(), size_t(1));
        QVERIFY(rig.isIdle());
    }

    // Whole games answered right, each 120 ms after its question, until the countdown
    // runs out: it ends the game while a question is still playing, through the
    // countdown timer. That question is not counted and plays no further note.
    void countdownEndsAWholeGameMidQuestion_data() {
        QTest::addColumn<int>("barValue");  // -1: the default limit
        QTest::addColumn<int>("seconds");
        QTest::newRow("default 30 s") << -1 << 30;
        QTest::newRow("10 s") << 90 << 10;
    }
    void countdownEndsAWholeGameMidQuestion() {
        QFETCH(int, barValue);
        QFETCH(int, seconds);
        GameRig rig;
        if (barValue >= 0) rig.setTimeLimitBar(barValue);
        rig.startGame();
        int answered = 0;
        while (rig.state.phase != Phase::GameOverPause) {
            while (rig.stepTimer.enabled() && rig.state.phase != Phase::GameOverPause) rig.clock.step();
            if (rig.state.phase == Phase::GameOverPause) break;
            rig.clock.advance(120);  // the answer starts 120 ms after the last note
            rig.answerRight();
            ++answered;
        }
        QCOMPARE(rig.clock.now(), std::int64_t(1530 + 1000 * seconds));
        QVERIFY(rig.state.notePos > 0 && rig.state.notePos < 5);  // mid-question
        const std::size_t sounds = rig.sound.played.size();
        rig.clock.advance(1000);
        QCOMPARE(rig.sound.played.size(), sounds);
        QCOMPARE(rig.boxes.shown.size(), size_t(1));
        QCOMPARE(rig.boxes.shown[0].caption, "5音メロディー:" + std::to_string(seconds) + "秒");
        QCOMPARE(rig.boxes.shown[0].text, "問題数:" + std::to_string(answered) + "\r\n正解数:" +
                                              std::to_string(answered) + "\r\n正解率:100%");
        QVERIFY(rig.isIdle());
    }

    // "Yes" on the demonstration question, the box held open for three seconds: the
    // demonstration's first note comes 500 ms after the box closes.
    void demonstrationStartsHalfASecondAfterYes() {
        GameRig rig;
        rig.askBeforeDemonstrating(MessageBoxes::kYes);
        rig.startAndPlayFirstQuestion();
        const auto melody = rig.melody();
        rig.pressToken(rig.wrongTokenFor(melody[0]));
        std::int64_t closed = -1;
        rig.boxes.whileOpen = [&] {
            rig.clock.advance(3000);
            closed = rig.clock.now();
        };
        rig.sound.clear();
        rig.clock.advance(200 + 3000 + 500);
        QCOMPARE(rig.boxes.shown.size(), size_t(1));
        QCOMPARE(rig.state.phase, Phase::Demonstration);
        QCOMPARE(rig.sound.played.size(), size_t(1));
        QCOMPARE(rig.sound.played[0].at, closed + 500);
        QCOMPARE(rig.sound.names()[0], rig.game.sounds().nameOf(*readToken(melody[0])));
    }

    // The ask-before-demonstrating box ticked in the middle of a game: the question
    // comes at the next answer, not before.
    void askBoxTickedMidGame() {
        GameRig rig;
        rig.startAndPlayFirstQuestion();
        rig.answerRight();
        rig.playUntilSequencerStops();  // the next question, no box on the way
        QCOMPARE(rig.boxes.shown.size(), size_t(0));
        rig.ui.askDemonstrationCheck->setValue(1);
        rig.answerRight();
        rig.clock.advance(200);
        QCOMPARE(rig.boxes.shown.size(), size_t(1));
        QVERIFY(rig.boxes.shown[0].yesNo);
        QCOMPARE(rig.boxes.shown[0].text, std::string("正解を表示しますか?"));
    }
};

QTEST_APPLESS_MAIN(GameFlowTest)
#include "tst_game_flow.moc"
