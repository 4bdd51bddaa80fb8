// The state of a game, in named fields that the window's controls show.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace zv {

// What the step timer's next tick does.
enum class Phase : std::uint8_t {
    Banner,         // slide the START! banner across the window
    Question,       // play the next note of a new question
    VerdictPause,   // the 200 ms after a verdict, then the next question
    Replay,         // play the next note of the question again
    Demonstration,  // play and mark the next note of the right answer
    GameOverPause,  // the second after game over, then the summary and the idle window
};

inline constexpr int kMelodySlots = 8;

struct Score {
    int questions = 0;  // questions asked, replays included
    int rights = 0;     // answers judged right
};

struct GameState {
    // From the moment START turns into STOP until the window is idle again.
    bool inProgress = false;
    // Answers are judged: from the end of the START! banner until the window is idle.
    bool answering = false;
    Phase phase = Phase::Banner;
    // The question's notes as tokens ("白3"), and how far a playback or an answer got.
    std::array<std::string, kMelodySlots> melody;
    std::uint8_t notePos = 0;
    std::uint8_t secondsLeft = 0;
    Score score;
};

}  // namespace zv
