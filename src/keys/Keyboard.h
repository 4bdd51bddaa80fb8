// The on-screen piano's keys and plates as the player sees them.
//  unlockRange(range): keys of the range usable (white / black), the rest locked in
//                      greys;
//  lockAll():          every key locked in greys;
//  paintNotePlates():  the note names printed on the 14 plates (hidden until shown);
//  showNotePlates():   all 14 plates shown or hidden;
//  clearKeyMarks():    the position marks (below the white keys, above the black
//                      ones) emptied.
// Key ranges: 0 all 24 keys, 1 the white keys, 2 the lower octave, 3 the lower
// octave's white keys.
#pragma once

#include <cstdint>
#include <string>

#include "controls/WindowControls.h"
#include "keys/PianoKey.h"

namespace zv {

class Keyboard {
public:
    // Names every key and plate for screen readers.
    explicit Keyboard(WindowControls& ui);
    // A key's note: "ド", "ファ#", the upper octave's "高いド".
    static std::string noteName(PianoKey key);

    void unlockRange(std::uint8_t range);
    void lockAll();
    void paintNotePlates();
    void showNotePlates(bool show);
    void clearKeyMarks();

    // A key's button and its position mark; null for an index the piano lacks.
    Control* button(PianoKey key) const;
    Control* mark(PianoKey key) const;

    static bool isWhiteKeyInRange(std::uint8_t range, int index);
    static bool isBlackKeyInRange(std::uint8_t range, int index);

private:
    WindowControls& ui_;
};

}  // namespace zv
