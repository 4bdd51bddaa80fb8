// What the progress view shows, computed from the kept games: totals and streaks,
// the rate per day and per setting, each key's rate when asked, the leaps most often
// missed and the notes most often played instead of the right one.
//
// A key counts as asked at each position of a melody that the answer reached (up to
// and including the first wrong key); a leap is the step from one note of a melody to
// the next, asked when the answer reached its second note. Rates are of the answered
// questions (a replay is not an answer).
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "history/Records.h"

namespace zv::history {

struct Tally {
    int asked = 0;
    int right = 0;
    friend bool operator==(const Tally&, const Tally&) = default;
};

struct DayTally {
    std::int64_t day = 0;  // days since 1970, in the player's time zone
    Tally tally;
};

struct SettingTally {
    SettingKey setting;
    int games = 0;
    Tally tally;
};

struct LeapTally {
    int leap = 0;  // semitones, upward positive
    Tally tally;
    int missed() const { return tally.asked - tally.right; }
};

struct Confusion {
    Semitone expected = 0;
    Semitone played = 0;
    int count = 0;
};

struct Figures {
    int games = 0;
    Tally questions;
    std::int64_t practiceMs = 0;
    std::vector<DayTally> days;          // days practised, oldest first
    std::vector<SettingTally> settings;  // every setting played (all games, whatever the filter)
    std::array<Tally, kKeys> keys{};
    std::vector<LeapTally> leaps;        // most missed first
    std::vector<Confusion> confusions;   // most frequent first
    int currentStreak = 0;               // days in a row up to today (or yesterday)
    int longestStreak = 0;
    std::optional<DayTally> bestDay;     // best rate among days of kMinBestDayQuestions or more
    std::optional<SettingKey> filter;
};

inline constexpr int kMinBestDayQuestions = 10;

// today: the current day (days since 1970, the player's zone); filter: only the games
// of that setting (the settings' list still covers them all).
Figures computeFigures(const std::vector<GameRecord>& games, int utcOffsetMinutes, std::int64_t today,
                       std::optional<SettingKey> filter = std::nullopt);

}  // namespace zv::history
