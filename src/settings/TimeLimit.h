// The time limit: the scroll bar sets it (limit = 100 - value), the check box
// switches it off ("∞"), and Timer2 counts it down once a second during a game,
// ending the game at zero.
#pragma once

namespace zv {

struct GameContext;
class Lifecycle;

class TimeLimit {
public:
    static constexpr const char* kInfinity = "∞";

    TimeLimit(GameContext& ctx, Lifecycle& life) : ctx_(ctx), life_(life) {}

    void Check1_Click();
    void VScroll1_Change();
    void VScroll1_Scroll();
    void Timer2_Timer();

    // The limit in seconds the scroll bar's value stands for.
    static int secondsFor(int scrollValue) { return 100 - scrollValue; }

private:
    GameContext& ctx_;
    Lifecycle& life_;
};

}  // namespace zv
