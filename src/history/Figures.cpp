#include "history/Figures.h"

#include <algorithm>
#include <map>

#include "history/Calendar.h"

namespace zv::history {

namespace {
void count(Tally& t, bool right) {
    ++t.asked;
    if (right) ++t.right;
}

// Streaks from the sorted, distinct days practised.
void streaks(Figures& f, std::int64_t today) {
    int run = 0;
    for (std::size_t i = 0; i < f.days.size(); ++i) {
        run = i > 0 && f.days[i].day == f.days[i - 1].day + 1 ? run + 1 : 1;
        f.longestStreak = std::max(f.longestStreak, run);
    }
    // A streak still counts today while yesterday was practised.
    if (!f.days.empty() && f.days.back().day >= today - 1) f.currentStreak = run;
}

// Higher rate first, then more questions, then the earlier day.
bool betterDay(const DayTally& a, const DayTally& b) {
    const std::int64_t left = std::int64_t{a.tally.right} * b.tally.asked;
    const std::int64_t right = std::int64_t{b.tally.right} * a.tally.asked;
    if (left != right) return left > right;
    if (a.tally.asked != b.tally.asked) return a.tally.asked > b.tally.asked;
    return a.day < b.day;
}
}  // namespace

Figures computeFigures(const std::vector<GameRecord>& games, int utcOffsetMinutes, std::int64_t today,
                       std::optional<SettingKey> filter) {
    Figures f;
    f.filter = filter;
    std::map<std::int64_t, Tally> days;
    std::map<SettingKey, SettingTally> settings;
    std::map<int, Tally> leaps;
    std::map<std::pair<int, int>, int> confusions;
    for (const GameRecord& g : games) {
        SettingTally& s = settings[settingOf(g)];
        s.setting = settingOf(g);
        ++s.games;
        for (const QuestionRecord& q : g.questions) count(s.tally, q.right);
        if (filter && settingOf(g) != *filter) continue;
        ++f.games;
        f.practiceMs += g.durationMs;
        Tally& day = days[localDay(g.startedMs, utcOffsetMinutes)];
        for (const QuestionRecord& q : g.questions) {
            count(f.questions, q.right);
            count(day, q.right);
            const std::size_t reached = std::min(q.answered.size(), q.melody.size());
            for (std::size_t i = 0; i < reached; ++i) {
                const bool ok = q.answered[i] == q.melody[i];
                count(f.keys[q.melody[i] % kKeys], ok);
                if (i > 0) count(leaps[q.melody[i] - q.melody[i - 1]], ok);
                if (!ok) ++confusions[{q.melody[i], q.answered[i]}];
            }
        }
    }
    for (const auto& [day, tally] : days) f.days.push_back({day, tally});
    for (const auto& [key, s] : settings) f.settings.push_back(s);
    for (const auto& [leap, tally] : leaps) f.leaps.push_back({leap, tally});
    std::stable_sort(f.leaps.begin(), f.leaps.end(), [](const LeapTally& a, const LeapTally& b) {
        return a.missed() != b.missed() ? a.missed() > b.missed() : a.tally.asked < b.tally.asked;
    });
    for (const auto& [pair, n] : confusions)
        f.confusions.push_back({static_cast<Semitone>(pair.first), static_cast<Semitone>(pair.second), n});
    std::stable_sort(f.confusions.begin(), f.confusions.end(),
                     [](const Confusion& a, const Confusion& b) { return a.count > b.count; });
    streaks(f, today);
    for (const DayTally& d : f.days)
        if (d.tally.asked >= kMinBestDayQuestions && (!f.bestDay || betterDay(d, *f.bestDay))) f.bestDay = d;
    return f;
}

}  // namespace zv::history
