#include "platform/real/QtTimer.h"

namespace zv {

QtTimer::QtTimer() {
    timer_.setTimerType(Qt::PreciseTimer);
    timer_.setSingleShot(false);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
        // A tick queued just before the timer was stopped must not run.
        if (enabled() && timer_.isActive()) tick();
    });
}

// An interval of 0 (or less) keeps the timer enabled but silent, as the classic
// toolkit timer does; it never turns into a busy loop.
void QtTimer::restartCount() {
    if (!enabled() || interval() <= 0)
        timer_.stop();
    else
        timer_.start(interval());
}

}  // namespace zv
