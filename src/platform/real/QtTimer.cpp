#include "platform/real/QtTimer.h"

namespace zv {

QtTimer::QtTimer() {
    timer_.setTimerType(Qt::PreciseTimer);
    timer_.setSingleShot(false);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
        // A tick queued just before the timer was stopped must not run.
        if (enabled_ && timer_.isActive()) tick();
    });
}

// An interval of 0 (or less) keeps the timer enabled but silent, as the classic
// toolkit timer does; it never turns into a busy loop.
void QtTimer::apply(bool restart) {
    if (!enabled_ || interval_ <= 0) {
        timer_.stop();
        return;
    }
    if (restart || !timer_.isActive()) timer_.start(interval_);
}

void QtTimer::setInterval(int ms) {
    interval_ = ms;
    // A new interval on a running timer restarts its count.
    apply(true);
}

void QtTimer::setEnabled(bool on) {
    if (on == enabled_) return;  // enabling a running timer changes nothing
    enabled_ = on;
    apply(true);
}

}  // namespace zv
