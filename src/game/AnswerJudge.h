// The verdict of an answer, the score and the two message boxes of a game: the
// demonstration question and the end-of-game summary.
#pragma once

#include <string>

#include "game/GameObserver.h"

namespace zv {

struct GameContext;

class AnswerJudge {
public:
    explicit AnswerJudge(GameContext& ctx) : ctx_(ctx) {}

    // Shows the right or wrong picture, counts a right answer, locks the keys and
    // arms the 200 ms pause. The key played last and its input go to the observer.
    void judgeAnswer(bool right, PianoKey played = {}, InputKind input = InputKind::Mouse);

    // "正解を表示しますか?" with Yes/No; true for Yes.
    bool askDemonstration();
    // The end-of-game summary box, from the score and settings as they stand.
    void showSummary();

    // Pure formatting, exposed for tests.
    static std::string summaryCaption(int notesPerQuestion, int limitSeconds);
    static std::string summaryText(long questions, long rights);
    // Rate in percent: rights*1000/questions cut toward zero, then /10, shortest text.
    static std::string rateText(long questions, long rights);

private:
    void tellObserver(bool right, PianoKey played, InputKind input);

    GameContext& ctx_;
};

}  // namespace zv
