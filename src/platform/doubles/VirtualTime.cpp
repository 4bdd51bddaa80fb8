#include "platform/doubles/VirtualTime.h"

#include <algorithm>

namespace zv {

VirtualTimer* VirtualClock::earliest() const {
    VirtualTimer* best = nullptr;
    for (VirtualTimer* t : timers_)
        if (t->enabled() && t->interval() > 0 && (!best || t->due_ < best->due_)) best = t;
    return best;
}

std::int64_t VirtualClock::nextDue() const {
    VirtualTimer* t = earliest();
    return t ? t->due_ : -1;
}

void VirtualClock::advanceTo(std::int64_t when) {
    while (VirtualTimer* t = earliest()) {
        if (t->due_ > when) break;
        now_ = std::max(now_, t->due_);
        t->fire();
    }
    now_ = std::max(now_, when);
}

void VirtualClock::advance(std::int64_t ms) { advanceTo(now_ + ms); }

bool VirtualClock::step() {
    VirtualTimer* t = earliest();
    if (!t) return false;
    now_ = std::max(now_, t->due_);
    t->fire();
    return true;
}

VirtualTimer::VirtualTimer(VirtualClock& clock) : clock_(clock) { clock_.timers_.push_back(this); }

VirtualTimer::~VirtualTimer() { std::erase(clock_.timers_, this); }

void VirtualTimer::restartCount() {
    if (enabled()) due_ = clock_.now_ + interval();
}

void VirtualTimer::fire() {
    // Schedule the next tick before running the handler, which may change the timer.
    due_ = clock_.now_ + interval();
    ++ticks_;
    tick();
}

}  // namespace zv
