// Qt key events to the key codes the game's key handler expects (keys/PcKeyMap.h).
#pragma once

#include <Qt>
#include <cstdint>

class QKeyEvent;

namespace zv {

// Key code of a key press, 0 for a key without one.
//  - letters A-Z give 65-90 and the digits of the main block 48-57, whatever the
//    modifiers: Shift+2 is still 50 even though Qt reports the shifted character;
//  - when Qt's key is neither a letter nor a digit (a shifted digit, a non-Latin
//    layout) the physical key decides: xkbScanCodes says nativeScanCode is an XKB
//    keycode (evdev code + 8, as on X11 and Wayland);
//  - keypad keys (Qt::KeypadModifier) give the keypad codes (digits 96-105), never
//    the codes of the main block.
int virtualKeyCode(int qtKey, Qt::KeyboardModifiers modifiers, std::uint32_t nativeScanCode, bool xkbScanCodes);
int virtualKeyCode(const QKeyEvent& event);

// Modifier state as the key and mouse handlers take it: Shift 1, Ctrl 2, Alt 4.
int shiftState(Qt::KeyboardModifiers modifiers);

// Mouse button as the mouse handlers take it: left 1, right 2, middle 4, other 0.
int mouseButtonCode(Qt::MouseButton button);

}  // namespace zv
