#include "game/AnswerJudge.h"

#include "game/GameContext.h"

namespace zv {

void AnswerJudge::judgeAnswer(bool right) {
    ctx_.showVerdict(right ? 0 : 1);
    if (right) {
        ++ctx_.state.score.rights;
        ctx_.showScore();
    }
    ctx_.services.stepTimer.setInterval(200);
    ctx_.state.phase = Phase::VerdictPause;
    ctx_.lockKeys();
    ctx_.services.stepTimer.setEnabled(true);
}

bool AnswerJudge::askDemonstration() {
    return ctx_.services.boxes.askYesNo(texts::kShowTheAnswer) == MessageBoxes::kYes;
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
