#include "game/NoteSequencer.h"

#include <algorithm>
#include <cmath>

#include "game/AnswerJudge.h"
#include "game/GameContext.h"
#include "game/GameFlow.h"

namespace zv {

namespace {

// Holds a flag up for the lifetime of a modal box opened from a tick.
class BoxScope {
public:
    explicit BoxScope(bool& flag) : flag_(flag) { flag_ = true; }
    ~BoxScope() { flag_ = false; }
    BoxScope(const BoxScope&) = delete;
    BoxScope& operator=(const BoxScope&) = delete;

private:
    bool& flag_;
};

int draw(RandomSource& random, int count) {
    // floor(count * r) with r in [0, 1); the clamp only guards a generator at fault.
    return std::clamp(static_cast<int>(std::floor(count * random.next())), 0, count - 1);
}

}  // namespace

void NoteSequencer::onStepTimer() {
    // The toolkit keeps delivering ticks while a box opened by an earlier tick is
    // open. Those ticks do nothing: no second question, box or summary can start, and
    // the step that opened the box finishes once it is closed.
    if (boxOpen_) return;
    switch (ctx_.state.phase) {
        case Phase::Banner: bannerStep(); break;
        case Phase::Question: questionStep(); break;
        case Phase::VerdictPause: verdictPauseStep(); break;
        case Phase::GameOverPause: gameOverPauseStep(); break;
        case Phase::Replay: replayStep(); break;
        case Phase::Demonstration: demonstrationStep(); break;
    }
}

void NoteSequencer::countQuestion() {
    ++ctx_.state.score.questions;
    ctx_.showScore();
    ctx_.observer->melodyPlayed(ctx_.state.phase == Phase::Replay);
}

void NoteSequencer::bannerStep() {
    WindowControls& ui = ctx_.ui;
    GameState& state = ctx_.state;
    ui.banner->setLeft(ui.banner->left() - 300);
    // Half-way across, the banner uncovers the score: START turns into STOP.
    if (!state.inProgress && ui.banner->left() < 4500) {
        ctx_.showScoreLabels(true);
        ui.timeLimitFrame->setVisible(false);
        ui.replay->setVisible(true);
        state.inProgress = true;
        ui.startStop->setCaption(texts::kStop);
    }
    if (ui.banner->left() < -ui.banner->width()) {
        state.answering = true;
        if (!ctx_.settings.noTimeLimit) ctx_.services.countdownTimer.setEnabled(true);
        ctx_.services.stepTimer.setInterval(500);
        state.notePos = 0;
        ctx_.lockKeys();
        state.phase = Phase::Question;
    }
}

void NoteSequencer::questionStep() {
    GameState& state = ctx_.state;
    if (state.notePos == 0) ctx_.keyboard.clearKeyMarks();
    playRandomNote();
    ++state.notePos;
    if (state.notePos >= ctx_.settings.notesPerQuestion) {
        countQuestion();
        endPlayback();
    }
}

void NoteSequencer::endPlayback() {
    // The last note has started: the keys of the range go back to the player.
    ctx_.state.notePos = 0;
    ctx_.unlockKeyRange();
    ctx_.services.stepTimer.setEnabled(false);
}

void NoteSequencer::gameOverPauseStep() {
    ctx_.ui.verdictPicture->setVisible(false);
    ctx_.unlockKeyRange();
    ctx_.services.stepTimer.setEnabled(false);
    if (ctx_.state.score.questions > 0) {
        BoxScope box(boxOpen_);
        judge_.showSummary();
    }
    flow_.resetToIdle();
}

void NoteSequencer::verdictPauseStep() {
    WindowControls& ui = ctx_.ui;
    GameState& state = ctx_.state;
    ui.verdictPicture->setVisible(false);
    ctx_.unlockKeyRange();
    bool demonstrate = false;
    if (ui.askDemonstrationCheck->value() == 1) {
        {
            BoxScope box(boxOpen_);
            demonstrate = judge_.askDemonstration();
        }
        // The game ended while the question was open (countdown): it stays ended.
        if (flow_.inGameOverPause()) return;
    }
    ui.replay->setVisible(false);
    ctx_.services.stepTimer.setInterval(500);
    state.notePos = 0;
    ctx_.lockKeys();
    state.phase = demonstrate ? Phase::Demonstration : Phase::Question;
}

void NoteSequencer::replayStep() {
    GameState& state = ctx_.state;
    if (state.notePos < kMelodySlots)
        if (auto key = readToken(state.melody[state.notePos])) ctx_.playKey(*key);
    ++state.notePos;
    if (state.notePos >= ctx_.settings.notesPerQuestion) {
        // A replay played to its end counts as one more question.
        countQuestion();
        endPlayback();
    }
}

void NoteSequencer::demonstrationStep() {
    WindowControls& ui = ctx_.ui;
    GameState& state = ctx_.state;
    if (state.notePos == 0) ctx_.keyboard.clearKeyMarks();
    if (state.notePos < kMelodySlots) {
        if (auto key = readToken(state.melody[state.notePos])) {
            ctx_.playKey(*key);
            Control* label = ctx_.keyboard.mark(*key);
            ctx_.keyboard.button(*key)->setBackColor(colors::Blue);
            const std::string position = std::to_string(state.notePos + 1);
            label->setCaption(label->caption().empty() ? position : label->caption() + "," + position);
        }
    }
    ++state.notePos;
    if (state.notePos >= ctx_.settings.notesPerQuestion) {
        endPlayback();  // REPLAY stays hidden: the phase is still the demonstration
        ui.nextQuestion->setVisible(true);
        ui.showAnswer->setVisible(true);
    }
}

void NoteSequencer::playRandomNote() {
    GameState& state = ctx_.state;
    RandomSource& random = ctx_.services.random;
    random.reseedFromClock();
    const std::uint8_t range = ctx_.settings.keyRange <= 3 ? ctx_.settings.keyRange : 0;
    // White 7 times in 12, black 5 in 12 (an octave's share), so every key of the
    // range is equally likely; ranges 1 and 3 have no black keys.
    const bool white = (range == 1 || range == 3) ? true : draw(random, 12) < 7;
    random.reseedFromClock();
    const bool octave = range >= 2;
    const int index = draw(random, white ? (octave ? 7 : 14) : (octave ? 5 : 10));
    const PianoKey key{white ? KeyColor::White : KeyColor::Black, index};
    ctx_.playKey(key);
    if (state.notePos < kMelodySlots) state.melody[state.notePos] = makeToken(key);
}

}  // namespace zv
