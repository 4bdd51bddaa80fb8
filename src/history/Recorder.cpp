#include "history/Recorder.h"

#include <chrono>
#include <cstdio>

#include "keys/MidiKeys.h"

namespace zv::history {

namespace {
std::vector<Semitone> semitones(const std::vector<PianoKey>& keys) {
    std::vector<Semitone> out;
    out.reserve(keys.size());
    for (const PianoKey& key : keys) {
        const int s = semitoneOfKey(key);
        if (s >= 0) out.push_back(static_cast<Semitone>(s));
    }
    return out;
}
}  // namespace

Recorder::Clock Recorder::systemClock() {
    using namespace std::chrono;
    return {[] { return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count(); },
            [] { return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count(); }};
}

Recorder::Recorder(Clock clock, Sink sink, std::uint64_t randomSeed)
    : clock_(std::move(clock)), sink_(std::move(sink)), random_(randomSeed | 1) {}

std::string Recorder::newId() {
    // xorshift64*: enough to keep two machines' games apart that start in the same
    // millisecond; the time in front keeps ids sorted by start.
    random_ ^= random_ >> 12;
    random_ ^= random_ << 25;
    random_ ^= random_ >> 27;
    char id[40];
    std::snprintf(id, sizeof id, "%013lld-%016llx", static_cast<long long>(game_.startedMs),
                  static_cast<unsigned long long>(random_ * 2685821657736338717ULL));
    return id;
}

void Recorder::gameStarted(int notesPerQuestion, int keyRange, int timeLimitSeconds) {
    game_ = GameRecord{};
    game_.startedMs = clock_.wallMs();
    game_.id = newId();
    game_.notesPerQuestion = notesPerQuestion;
    game_.keyRange = keyRange;
    game_.timeLimitSeconds = timeLimitSeconds;
    startedSteady_ = lastNoteSteady_ = clock_.steadyMs();
    replays_ = 0;
    asked_ = 0;
    open_ = true;
}

void Recorder::melodyPlayed(bool replay) {
    if (!open_) return;
    lastNoteSteady_ = clock_.steadyMs();
    ++asked_;
    if (replay) ++replays_;
}

void Recorder::answerJudged(const Verdict& verdict) {
    if (!open_) return;
    const std::int64_t now = clock_.steadyMs();
    QuestionRecord q;
    q.index = static_cast<int>(game_.questions.size());
    q.melody = semitones(verdict.melody);
    q.answered = semitones(verdict.answered);
    q.right = verdict.right;
    q.replays = replays_;
    q.answerMs = static_cast<int>(now - lastNoteSteady_);
    q.input = verdict.input;
    game_.questions.push_back(std::move(q));
    if (verdict.right) ++game_.rightsCounted;
    game_.questionsAsked = asked_;
    game_.durationMs = static_cast<int>(now - startedSteady_);
    replays_ = 0;
    sink_(game_);
}

void Recorder::answerShown() {
    if (!open_ || game_.questions.empty()) return;
    game_.questions.back().answerShown = true;
    sink_(game_);
}

void Recorder::gameEnded(int questions, int rights) {
    // Esc or STOP during the pause after game over ends the same game again.
    if (!open_) return;
    open_ = false;
    if (game_.questions.empty()) return;
    game_.questionsAsked = questions;
    game_.rightsCounted = rights;
    game_.durationMs = static_cast<int>(clock_.steadyMs() - startedSteady_);
    game_.finished = true;
    sink_(game_);
}

}  // namespace zv::history
