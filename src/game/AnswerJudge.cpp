#include "game/AnswerJudge.h"

#include <algorithm>

#include "game/GameContext.h"

namespace zv {

void AnswerJudge::judgeAnswer(bool right, PianoKey played, InputKind input) {
    ctx_.showVerdict(right ? 0 : 1);
    if (right) {
        ++ctx_.state.score.rights;
        ctx_.showScore();
    }
    ctx_.services.stepTimer.setInterval(200);
    ctx_.state.phase = Phase::VerdictPause;
    ctx_.lockKeys();
    ctx_.services.stepTimer.setEnabled(true);
    // Told last: the verdict is shown and the pause armed before anything is recorded.
    tellObserver(right, played, input);
}

bool AnswerJudge::askDemonstration() {
    const bool yes = ctx_.services.boxes.askYesNo(texts::kShowTheAnswer) == MessageBoxes::kYes;
    if (yes) ctx_.observer->answerShown();
    return yes;
}

// The right keys played so far are the melody's first notes; a wrong answer ends with
// the key that was played instead.
void AnswerJudge::tellObserver(bool right, PianoKey played, InputKind input) {
    const GameState& state = ctx_.state;
    const int notes = std::min<int>(ctx_.settings.notesPerQuestion, kMelodySlots);
    Verdict verdict{{}, {}, right, input};
    for (int i = 0; i < notes; ++i)
        if (const auto key = readToken(state.melody[i])) verdict.melody.push_back(*key);
    const int rightKeys = std::min<int>(state.notePos, static_cast<int>(verdict.melody.size()));
    verdict.answered.assign(verdict.melody.begin(), verdict.melody.begin() + rightKeys);
    if (!right) verdict.answered.push_back(played);
    ctx_.observer->answerJudged(verdict);
}

std::string AnswerJudge::summaryCaption(int notesPerQuestion, int limitSeconds) {
    std::string caption =
        notesPerQuestion == 1 ? std::string(texts::kSingleNoteSummary) : std::to_string(notesPerQuestion) + texts::kMelodySummary;
    return caption + std::to_string(limitSeconds) + texts::kSeconds;
}

std::string AnswerJudge::rateText(long questions, long rights) {
    if (questions <= 0) return "0";
    // Cut toward zero at one decimal, never rounded up: 2 of 3 is 66.6.
    const long tenths = rights * 1000 / questions;
    const long whole = tenths / 10;
    const long fraction = tenths % 10;
    std::string text = std::to_string(whole);
    if (fraction != 0) {
        // Appended in steps: GCC 12 at -O3 reports a false -Wrestrict inside
        // std::string for "." + std::to_string(...).
        text += '.';
        text += std::to_string(fraction < 0 ? -fraction : fraction);
    }
    return text;
}

std::string AnswerJudge::summaryText(long questions, long rights) {
    return texts::kQuestions + std::to_string(questions) + "\r\n" + texts::kRights + std::to_string(rights) + "\r\n" +
           texts::kRate + rateText(questions, rights) + "%";
}

void AnswerJudge::showSummary() {
    const Score& score = ctx_.state.score;
    ctx_.services.boxes.information(summaryCaption(ctx_.settings.notesPerQuestion, ctx_.settings.limitSeconds),
                                    summaryText(score.questions, score.rights));
}

}  // namespace zv
