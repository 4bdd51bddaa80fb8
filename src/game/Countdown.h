// The time limit during a game: the countdown timer ticks once a second, the
// countdown label shows the seconds left, and the game ends at zero.
#pragma once

namespace zv {

struct GameContext;
class GameFlow;

class Countdown {
public:
    Countdown(GameContext& ctx, GameFlow& flow) : ctx_(ctx), flow_(flow) {}

    void onCountdownTimer();

private:
    GameContext& ctx_;
    GameFlow& flow_;
};

}  // namespace zv
