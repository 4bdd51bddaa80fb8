// Typed handles to the main window's controls, looked up once by role so that the
// game addresses them by what they are (whiteKeys[i], startStop, rights, ...)
// without a lookup on every use.
#pragma once

#include <array>

#include "controls/ControlTable.h"

namespace zv {

inline constexpr int kWhiteKeyCount = 14;
inline constexpr int kBlackKeyCount = 10;

struct WindowControls {
    explicit WindowControls(ControlTable& table);

    ControlTable& table;
    // The piano.
    std::array<Control*, kWhiteKeyCount> whiteKeys{}, notePlates{}, whiteKeyMarks{};
    std::array<Control*, kBlackKeyCount> blackKeys{}, blackKeyMarks{};
    // The game's buttons.
    Control* startStop;
    Control* replay;
    Control* showAnswer;
    Control* nextQuestion;
    // The settings.
    Control* modeFrame;
    std::array<Control*, 2> modeOptions{};
    Control* difficultyFrame;
    std::array<Control*, 3> difficultyOptions{};
    Control* keyRangeFrame;
    std::array<Control*, 4> keyRangeOptions{};
    Control* timeLimitFrame;
    Control* timeLimitBar;
    Control* limitLabel;
    Control* noLimitCheck;
    Control* noteNamesCheck;
    Control* askDemonstrationCheck;
    // The score and the clock.
    Control* rights;
    Control* scoreSeparator;
    Control* questions;
    Control* countdown;
    // The banner and the verdict.
    Control* banner;
    Control* bannerText;
    Control* verdictPicture;
    std::array<Control*, 3> storedPictures{};  // right, wrong, game over
};

}  // namespace zv
