// The real services the program runs on, made together, and the bundle the game
// takes. The message boxes (and, for tracing, the sound) in use are the caller's:
// the program's own, or a benchmark's boxes that close at once.
#pragma once

#include "platform/Services.h"
#include "platform/real/ClockRandom.h"
#include "platform/real/QtApplication.h"
#include "platform/real/QtPictures.h"
#include "platform/real/QtTimer.h"
#include "platform/real/SdlSound.h"

namespace zv {

struct RealServices {
    SdlSound sound;
    ClockRandom random;
    QtPictures pictures;
    QtApplication app;
    QtTimer stepTimer, countdownTimer;

    Services bundle(MessageBoxes& boxes) { return bundle(sound, boxes); }
    Services bundle(SoundService& soundInUse, MessageBoxes& boxes) {
        return Services{soundInUse, boxes, random, pictures, app, stepTimer, countdownTimer};
    }
};

}  // namespace zv
