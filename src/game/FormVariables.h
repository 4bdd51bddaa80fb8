// The state the window's handlers share, with the types and initial values the game
// relies on: unsigned bytes for small counters, a 16-bit boolean (true is -1).
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace zv {

inline constexpr std::int16_t kTrue = -1;
inline constexpr std::int16_t kFalse = 0;

// Sequencer states.
namespace phase {
inline constexpr std::uint8_t Banner = 0;
inline constexpr std::uint8_t Question = 1;
inline constexpr std::uint8_t Pause = 2;
inline constexpr std::uint8_t Replay = 3;
inline constexpr std::uint8_t Demonstration = 4;
}  // namespace phase

// Timer1's interval during the pause after game over; it also tells that pause from
// the 200 ms pause after a verdict.
inline constexpr int kGameOverPauseMs = 1000;

inline constexpr int kMelodySlots = 8;

struct FormVariables {
    std::array<std::string, 14> WhiteSound;
    std::array<std::string, 10> BlackSound;
    std::string SoundDir;
    std::uint8_t KeyRange = 0;
    std::uint8_t NotePos = 0;
    std::array<std::string, kMelodySlots> Melody;
    std::uint8_t NoteCount = 0;
    std::int16_t Playing = kFalse;
    std::uint8_t TimeLeft = 0;
    std::uint8_t Phase = 0;
};

}  // namespace zv
