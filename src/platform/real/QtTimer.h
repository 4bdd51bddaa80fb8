// The game's repeating timer on a QTimer (precise, so a 30 ms tick stays 30 ms).
#pragma once

#include <QTimer>

#include "platform/Services.h"

namespace zv {

class QtTimer final : public Timer {
public:
    QtTimer();

private:
    void restartCount() override;

    QTimer timer_;
};

}  // namespace zv
