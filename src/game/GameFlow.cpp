#include "game/GameFlow.h"

#include <array>

#include "game/GameContext.h"

namespace zv {

namespace {
// The step timer's interval during the pause after game over.
constexpr int kGameOverPauseMs = 1000;
}  // namespace

std::optional<std::string> GameFlow::load() {
    WindowControls& ui = ctx_.ui;
    ctx_.state.answering = false;
    ctx_.keyboard.paintNotePlates();
    ctx_.sounds.load(ctx_.services.app.applicationDir());
    ctx_.services.sound.setFiles(ctx_.sounds.allPaths());
    // Selected from code: the difficulty's click handling (and its feedback note) does not run.
    ui.difficultyOptions[1]->setValue(1);
    ctx_.settings.notesPerQuestion = 5;
    ctx_.state.secondsLeft = 30;
    for (std::size_t i = 0; i < kPictureFiles.size(); ++i) {
        std::shared_ptr<const Picture> picture;
        for (const std::string& dir : pictureDirs()) {
            picture = ctx_.services.pictures.load(dir + "/" + kPictureFiles[i]);
            if (picture) break;
        }
        if (!picture) return std::string(kPictureFiles[i]);
        ui.storedPictures[i]->setPicture(std::move(picture));
    }
    return std::nullopt;
}

// Pictures are looked up in the current folder first, then beside the program, so a
// game started from a desktop menu (current folder: home) still finds them.
std::vector<std::string> GameFlow::pictureDirs() const {
    return {ctx_.services.app.currentDir(), ctx_.services.app.applicationDir()};
}

std::vector<std::string> GameFlow::picturePaths() const {
    std::vector<std::string> paths;
    for (const char* file : kPictureFiles)
        for (const std::string& dir : pictureDirs()) paths.push_back(dir + "/" + file);
    return paths;
}

void GameFlow::resetToIdle() {
    WindowControls& ui = ctx_.ui;
    GameState& state = ctx_.state;
    ui.verdictPicture->setVisible(false);
    ui.replay->setVisible(false);
    ctx_.unlockKeyRange();
    ctx_.services.countdownTimer.setEnabled(false);
    ctx_.services.stepTimer.setEnabled(false);
    state.secondsLeft = static_cast<std::uint8_t>(ctx_.settings.limitSeconds);
    // The difficulty frame follows the mode: usable only in melody mode.
    ui.difficultyFrame->setEnabled(ui.modeOptions[0]->value() != 0);
    ui.keyRangeFrame->setEnabled(true);
    ui.modeFrame->setEnabled(true);
    ui.timeLimitFrame->setEnabled(true);
    ui.timeLimitFrame->setVisible(true);
    state.score = {};
    ctx_.showScore();
    ctx_.showScoreLabels(false);
    state.inProgress = false;
    ui.startStop->setCaption(texts::kStart);
    // Unlocking the keys shows REPLAY; the idle window never does.
    ui.replay->setVisible(false);
    ui.showAnswer->setVisible(false);
    ui.nextQuestion->setVisible(false);
    ui.banner->setLeft(ui.table.outerWidth());
    state.answering = false;
    ctx_.keyboard.clearKeyMarks();
    // The idle window lets the sound output close (and the sound server sleep).
    ctx_.services.sound.keepReady(false);
}

void GameFlow::startStopClicked() {
    WindowControls& ui = ctx_.ui;
    if (ctx_.state.inProgress) {
        endGame();
        return;
    }
    // From here until the idle window the output stays open: the first key of an
    // answer, pressed after a long thought, must not wait for a suspended output.
    ctx_.services.sound.keepReady(true);
    ctx_.services.sound.play(KeySounds::kStartChimeId);
    const Settings& s = ctx_.settings;
    ctx_.observer->gameStarted(s.notesPerQuestion, s.keyRange, s.noTimeLimit ? 0 : s.limitSeconds);
    ui.modeFrame->setEnabled(false);
    ui.difficultyFrame->setEnabled(false);
    ui.timeLimitFrame->setEnabled(false);
    ui.keyRangeFrame->setEnabled(false);
    ui.banner->setVisible(true);
    ctx_.services.stepTimer.setInterval(30);
    ctx_.state.phase = Phase::Banner;
    ctx_.services.stepTimer.setEnabled(true);
    ui.verdictPicture->setVisible(false);
}

void GameFlow::endGame() {
    ctx_.observer->gameEnded(ctx_.state.score.questions, ctx_.state.score.rights);
    ctx_.services.stepTimer.setEnabled(false);
    ctx_.showVerdict(2);
    ctx_.lockKeys();
    ctx_.services.stepTimer.setInterval(kGameOverPauseMs);
    ctx_.state.phase = Phase::GameOverPause;
    ctx_.services.stepTimer.setEnabled(true);
}

void GameFlow::quit() {
    // The program ends with the window; where the window outlives the call (a page
    // that cannot close its tab), a banner or a pause must not tick on behind it.
    ctx_.services.stepTimer.setEnabled(false);
    ctx_.services.countdownTimer.setEnabled(false);
    ctx_.services.app.quit();
}

bool GameFlow::inGameOverPause() const { return ctx_.state.phase == Phase::GameOverPause; }

void GameFlow::replayClicked() {
    // REPLAY shows part-way through the START! banner, before this game has asked
    // anything: there is nothing to replay yet, and stopping the banner would leave
    // the game without a way on. The press is ignored; the banner carries on.
    if (ctx_.state.phase == Phase::Banner) return;
    ctx_.state.phase = Phase::Replay;
    ctx_.services.stepTimer.setInterval(500);
    ctx_.lockKeys();
    ctx_.state.notePos = 0;
    ctx_.services.stepTimer.setEnabled(true);
}

void GameFlow::afterDemonstration(bool showAgain) {
    // The two buttons stay on screen during the pause after game over; a click then
    // must not bring the ended game back.
    if (inGameOverPause()) return;
    WindowControls& ui = ctx_.ui;
    ctx_.state.phase = showAgain ? Phase::Demonstration : Phase::Question;
    ui.nextQuestion->setVisible(false);
    ui.showAnswer->setVisible(false);
    // The next question plays with the keys locked, like every other question: a press
    // made while it plays would be judged against a note of the previous question.
    // The repeated demonstration keeps the keys usable; its presses only sound.
    if (!showAgain) ctx_.lockKeys();
    ctx_.services.stepTimer.setInterval(500);
    ctx_.services.stepTimer.setEnabled(true);
}

}  // namespace zv
