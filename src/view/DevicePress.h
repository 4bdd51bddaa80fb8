// A piano key pressed on another input device (a MIDI keyboard), on the window's
// thread: the same press as that key's PC key, and, like the PC keys, nothing while
// a modal message box holds the keyboard.
#pragma once

#include <QApplication>

#include "game/Game.h"
#include "keys/MidiKeys.h"

namespace zv {

inline void pressSemitoneFromDevice(Game& game, int semitone) {
    if (QApplication::activeModalWidget() == nullptr) game.pianoKeyPressed(pianoKeyForSemitone(semitone));
}

}  // namespace zv
