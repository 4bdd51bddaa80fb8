// The history's records: one per game played, with one per question answered. Plain
// values, the same in both editions; every store and the CSV file keep exactly these.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "game/GameObserver.h"

namespace zv::history {

// A key of the piano as its semitone above the lowest C: 0..23.
using Semitone = std::uint8_t;
inline constexpr int kKeys = 24;

struct QuestionRecord {
    int index = 0;                   // 0, 1, ... in the order answered within its game
    std::vector<Semitone> melody{};    // the notes asked
    std::vector<Semitone> answered{};  // the keys played, in order; the last ends the answer
    bool right = false;
    int replays = 0;                 // REPLAY pressed for it (each played to its end)
    bool answerShown = false;        // the right answer was demonstrated after the verdict
    int answerMs = 0;                // from the start of the melody's last note to the verdict
    InputKind input = InputKind::Mouse;
    friend bool operator==(const QuestionRecord&, const QuestionRecord&) = default;
};

struct GameRecord {
    std::string id{};               // unique across machines: merging keys on it
    std::int64_t startedMs = 0;     // UTC, milliseconds since 1970
    int notesPerQuestion = 0;       // 1: single-note mode
    int keyRange = 0;               // 0 all keys, 1 white keys, 2 lower octave, 3 its white keys
    int timeLimitSeconds = 0;       // 0: no limit
    int durationMs = 0;             // from START to game over (or to the last answer kept)
    int questionsAsked = 0;         // the game's own summary: replays count as questions
    int rightsCounted = 0;
    bool finished = false;          // false: the program ended before game over
    std::vector<QuestionRecord> questions{};
    friend bool operator==(const GameRecord&, const GameRecord&) = default;
};

// "mouse", "keys", "touch", "midi", "voice", and back (nothing for another word).
std::string_view inputName(InputKind input);
std::optional<InputKind> inputFromName(std::string_view name);

// A game's settings as one comparable value: what the per-setting figures group by.
struct SettingKey {
    int notesPerQuestion = 0;
    int keyRange = 0;
    int timeLimitSeconds = 0;
    friend auto operator<=>(const SettingKey&, const SettingKey&) = default;
};
inline SettingKey settingOf(const GameRecord& g) { return {g.notesPerQuestion, g.keyRange, g.timeLimitSeconds}; }

}  // namespace zv::history
