// Virtual time for tests: timers that tick only when the test advances the clock.
// Ticks fire in time order (ties in the order the timers were created); a tick may
// advance the clock itself (a box held open for a while), which fires the ticks due
// meanwhile inside it, as a nested event loop would.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/Services.h"

namespace zv {

class VirtualTimer;

class VirtualClock {
public:
    std::int64_t now() const { return now_; }
    // Moves time forward by ms, firing every tick that falls due on the way.
    void advance(std::int64_t ms);
    void advanceTo(std::int64_t when);
    // Time of the next due tick, or -1 when no timer runs.
    std::int64_t nextDue() const;
    // Fires exactly the next due tick (jumping time to it); false when none runs.
    bool step();

private:
    friend class VirtualTimer;
    VirtualTimer* earliest() const;
    std::int64_t now_ = 0;
    std::vector<VirtualTimer*> timers_;
};

class VirtualTimer : public Timer {
public:
    explicit VirtualTimer(VirtualClock& clock);
    ~VirtualTimer() override;
    std::int64_t due() const { return due_; }
    long ticks() const { return ticks_; }

private:
    friend class VirtualClock;
    void restartCount() override;
    void fire();
    VirtualClock& clock_;
    std::int64_t due_ = 0;
    long ticks_ = 0;
};

}  // namespace zv
