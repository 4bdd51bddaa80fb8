// The game's clock: each tick of the step timer runs one step of the current phase
// (banner slide, question, pause, replay, demonstration); playRandomNote draws and
// plays one note of a new question.
#pragma once

namespace zv {

struct GameContext;
class GameFlow;
class AnswerJudge;

class NoteSequencer {
public:
    NoteSequencer(GameContext& ctx, GameFlow& flow, AnswerJudge& judge) : ctx_(ctx), flow_(flow), judge_(judge) {}

    void onStepTimer();
    void playRandomNote();

    // A message box opened by a tick is still open (ticks arriving meanwhile are
    // ignored, so no tick opens a second box or a second question).
    bool boxOpen() const { return boxOpen_; }

private:
    void bannerStep();
    void questionStep();
    void verdictPauseStep();
    void gameOverPauseStep();
    void replayStep();
    void demonstrationStep();
    void endPlayback();
    void countQuestion();

    GameContext& ctx_;
    GameFlow& flow_;
    AnswerJudge& judge_;
    bool boxOpen_ = false;
};

}  // namespace zv
