#include "controls/WindowControls.h"

namespace zv {

namespace {

template <std::size_t N>
void fillRow(std::array<Control*, N>& row, ControlTable& t, ControlRole role) {
    for (std::size_t i = 0; i < N; ++i) row[i] = &t.at(role, static_cast<int>(i));
}

}  // namespace

WindowControls::WindowControls(ControlTable& t)
    : table(t),
      startStop(&t.at(ControlRole::StartStopButton)),
      replay(&t.at(ControlRole::ReplayButton)),
      showAnswer(&t.at(ControlRole::ShowAnswerButton)),
      nextQuestion(&t.at(ControlRole::NextQuestionButton)),
      modeFrame(&t.at(ControlRole::ModeFrame)),
      difficultyFrame(&t.at(ControlRole::DifficultyFrame)),
      keyRangeFrame(&t.at(ControlRole::KeyRangeFrame)),
      timeLimitFrame(&t.at(ControlRole::TimeLimitFrame)),
      timeLimitBar(&t.at(ControlRole::TimeLimitBar)),
      limitLabel(&t.at(ControlRole::LimitLabel)),
      noLimitCheck(&t.at(ControlRole::NoLimitCheck)),
      noteNamesCheck(&t.at(ControlRole::NoteNamesCheck)),
      askDemonstrationCheck(&t.at(ControlRole::AskDemonstrationCheck)),
      rights(&t.at(ControlRole::RightsLabel)),
      scoreSeparator(&t.at(ControlRole::ScoreSeparator)),
      questions(&t.at(ControlRole::QuestionsLabel)),
      countdown(&t.at(ControlRole::CountdownLabel)),
      banner(&t.at(ControlRole::Banner)),
      bannerText(&t.at(ControlRole::BannerText)),
      verdictPicture(&t.at(ControlRole::VerdictPicture)) {
    fillRow(whiteKeys, t, ControlRole::WhiteKey);
    fillRow(notePlates, t, ControlRole::NotePlate);
    fillRow(whiteKeyMarks, t, ControlRole::WhiteKeyMark);
    fillRow(blackKeys, t, ControlRole::BlackKey);
    fillRow(blackKeyMarks, t, ControlRole::BlackKeyMark);
    fillRow(modeOptions, t, ControlRole::ModeOption);
    fillRow(difficultyOptions, t, ControlRole::DifficultyOption);
    fillRow(keyRangeOptions, t, ControlRole::KeyRangeOption);
    fillRow(storedPictures, t, ControlRole::StoredPicture);
}

}  // namespace zv
