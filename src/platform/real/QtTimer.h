// The game's repeating timer on a QTimer (precise, so a 30 ms tick stays 30 ms).
#pragma once

#include <QTimer>

#include "platform/Services.h"

namespace zv {

class QtTimer final : public Timer {
public:
    QtTimer();

    void setInterval(int ms) override;
    int interval() const override { return interval_; }
    void setEnabled(bool on) override;
    bool enabled() const override { return enabled_; }

private:
    void apply(bool restart);

    QTimer timer_;
    int interval_ = 0;
    bool enabled_ = false;
};

}  // namespace zv
