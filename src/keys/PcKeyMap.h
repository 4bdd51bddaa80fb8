// The PC keyboard's piano: which key code plays which piano key. Key codes are the
// desktop-neutral virtual-key codes the view translates every key press into:
// letters 'A'..'Z', digits '0'..'9', Escape 27.
#pragma once

#include <optional>

#include "keys/PianoKey.h"

namespace zv {

namespace keycode {
inline constexpr int Escape = 27;
}

// The piano key a key code plays; nothing for a key that plays none. The lower
// octave lies on the letter row Q..U with its black keys on the digits above, the
// upper octave on Z..M with its black keys on the home row above.
std::optional<PianoKey> pianoKeyForKeyCode(int keyCode);

}  // namespace zv
