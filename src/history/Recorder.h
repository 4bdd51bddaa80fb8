// Turns what the game reports (GameObserver) into history records and hands the game
// in progress to a sink after every verdict and at game over, so that a program
// killed mid-game has kept each answered question (its game marked unfinished). The
// sink is called on the game's thread and must not block (HistoryWriter queues).
// A game in which no question was answered is not kept.
#pragma once

#include <cstdint>
#include <functional>

#include "game/GameObserver.h"
#include "history/Records.h"

namespace zv::history {

class Recorder final : public GameObserver {
public:
    struct Clock {
        std::function<std::int64_t()> wallMs;    // UTC milliseconds since 1970
        std::function<std::int64_t()> steadyMs;  // a monotonic reading for durations
    };
    using Sink = std::function<void(const GameRecord&)>;

    // A clock reading the system's clocks.
    static Clock systemClock();
    // Ids are made of the start time and a random part drawn from randomSeed.
    Recorder(Clock clock, Sink sink, std::uint64_t randomSeed);

    void gameStarted(int notesPerQuestion, int keyRange, int timeLimitSeconds) override;
    void melodyPlayed(bool replay) override;
    void answerJudged(const Verdict& verdict) override;
    void answerShown() override;
    void gameEnded(int questions, int rights) override;

private:
    std::string newId();

    Clock clock_;
    Sink sink_;
    std::uint64_t random_;
    bool open_ = false;
    GameRecord game_;
    std::int64_t startedSteady_ = 0;
    std::int64_t lastNoteSteady_ = 0;
    int replays_ = 0;  // of the question awaiting its answer
    int asked_ = 0;    // melodies played to their end, replays included
};

}  // namespace zv::history
