#include "keys/PcKeyMap.h"

namespace zv {

std::optional<PianoKey> pianoKeyForKeyCode(int keyCode) {
    constexpr KeyColor W = KeyColor::White, B = KeyColor::Black;
    switch (keyCode) {
        case 'Q': return PianoKey{W, 0};
        case 'W': return PianoKey{W, 1};
        case 'E': return PianoKey{W, 2};
        case 'R': return PianoKey{W, 3};
        case 'T': return PianoKey{W, 4};
        case 'Y': return PianoKey{W, 5};
        case 'U': return PianoKey{W, 6};
        case 'Z': return PianoKey{W, 7};
        case 'X': return PianoKey{W, 8};
        case 'C': return PianoKey{W, 9};
        case 'V': return PianoKey{W, 10};
        case 'B': return PianoKey{W, 11};
        case 'N': return PianoKey{W, 12};
        case 'M': return PianoKey{W, 13};
        case '2': return PianoKey{B, 0};
        case '3': return PianoKey{B, 1};
        case '5': return PianoKey{B, 2};
        case '6': return PianoKey{B, 3};
        case '7': return PianoKey{B, 4};
        case 'S': return PianoKey{B, 5};
        case 'D': return PianoKey{B, 6};
        case 'G': return PianoKey{B, 7};
        case 'H': return PianoKey{B, 8};
        case 'J': return PianoKey{B, 9};
        default: return std::nullopt;
    }
}

}  // namespace zv
