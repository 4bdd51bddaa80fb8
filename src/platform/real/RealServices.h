// The Qt services with SDL2's sound linked in, made together: the game as the
// benchmarks and tests build it. The program itself loads its sound from the
// devices module instead (DeviceModule.h).
#pragma once

#include "platform/real/QtServices.h"
#include "platform/real/SdlSound.h"

namespace zv {

struct RealServices : QtServices {
    SdlSound sound;

    using QtServices::bundle;
    Services bundle(MessageBoxes& boxes) { return bundle(sound, boxes); }
};

}  // namespace zv
