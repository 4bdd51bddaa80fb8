// The real services built on Qt alone, and the bundle the game takes. The sound and
// the message boxes in use are the caller's: the program's own (main.cpp), or a
// benchmark's SDL2 sound and boxes that close at once (RealServices.h).
#pragma once

#include "platform/Services.h"
#include "platform/real/ClockRandom.h"
#include "platform/real/QtApplication.h"
#include "platform/real/QtPictures.h"
#include "platform/real/QtTimer.h"

namespace zv {

struct QtServices {
    ClockRandom random;
    QtPictures pictures;
    QtApplication app;
    QtTimer stepTimer, countdownTimer;

    Services bundle(SoundService& sound, MessageBoxes& boxes) {
        return Services{sound, boxes, random, pictures, app, stepTimer, countdownTimer};
    }
};

}  // namespace zv
