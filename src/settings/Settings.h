// The player's choices that the next game reads, held here and shown by the
// settings' controls: notes per question (mode and difficulty), the key range and
// the time limit.
#pragma once

#include <cstdint>

#include "controls/PlayerTexts.h"

namespace zv {

struct Settings {
    static constexpr const char* kInfinity = texts::kInfinity;

    // Notes per question: 1 in single-note mode, else the difficulty's 3, 5 or 8.
    std::uint8_t notesPerQuestion = 0;
    // 0 all keys, 1 the white keys, 2 the lower octave, 3 the lower octave's white keys.
    std::uint8_t keyRange = 0;
    // The limit the bar shows, and whether the limit is switched off ("∞").
    int limitSeconds = 30;
    bool noTimeLimit = false;

    // Notes per melody for difficulty index 0..2: 3, 5, 8.
    static std::uint8_t notesForDifficulty(int index) {
        return static_cast<std::uint8_t>((index * index + 3 * index + 6) / 2);
    }
    // The limit in seconds a position of the time-limit bar stands for: its top end
    // (10) is the longest limit, 90 s.
    static int secondsForBarValue(int barValue) { return 100 - barValue; }
};

}  // namespace zv
