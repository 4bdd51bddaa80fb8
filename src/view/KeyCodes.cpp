#include "view/KeyCodes.h"

#include <QGuiApplication>
#include <QKeyEvent>

namespace zv {

namespace {

// XKB keycodes (evdev + 8) of the digit row: 10..18 are 1..9, 19 is 0.
int digitFromScanCode(std::uint32_t sc) {
    if (sc >= 10 && sc <= 18) return '1' + static_cast<int>(sc - 10);
    if (sc == 19) return '0';
    return 0;
}

// XKB keycodes of the letter rows, by position on a US keyboard.
int letterFromScanCode(std::uint32_t sc) {
    static constexpr char kTop[] = "QWERTYUIOP";  // 24..33
    static constexpr char kHome[] = "ASDFGHJKL";  // 38..46
    static constexpr char kBottom[] = "ZXCVBNM";  // 52..58
    if (sc >= 24 && sc <= 33) return kTop[sc - 24];
    if (sc >= 38 && sc <= 46) return kHome[sc - 38];
    if (sc >= 52 && sc <= 58) return kBottom[sc - 52];
    return 0;
}

int keypadCode(int qtKey) {
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) return 96 + (qtKey - Qt::Key_0);
    switch (qtKey) {
    case Qt::Key_Asterisk: return 106;
    case Qt::Key_Plus: return 107;
    case Qt::Key_Minus: return 109;
    case Qt::Key_Period:
    case Qt::Key_Comma: return 110;
    case Qt::Key_Slash: return 111;
    case Qt::Key_Enter:
    case Qt::Key_Return: return 13;
    default: return 0;  // navigation keys of the keypad fall through to the table below
    }
}

int otherKeyCode(int qtKey) {
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24) return 112 + (qtKey - Qt::Key_F1);
    switch (qtKey) {
    case Qt::Key_Escape: return 27;
    case Qt::Key_Space: return 32;
    case Qt::Key_Return:
    case Qt::Key_Enter: return 13;
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return 9;
    case Qt::Key_Backspace: return 8;
    case Qt::Key_Left: return 37;
    case Qt::Key_Up: return 38;
    case Qt::Key_Right: return 39;
    case Qt::Key_Down: return 40;
    case Qt::Key_PageUp: return 33;
    case Qt::Key_PageDown: return 34;
    case Qt::Key_End: return 35;
    case Qt::Key_Home: return 36;
    case Qt::Key_Insert: return 45;
    case Qt::Key_Delete: return 46;
    case Qt::Key_Shift: return 16;
    case Qt::Key_Control: return 17;
    case Qt::Key_Alt: return 18;
    default: return 0;
    }
}

}  // namespace

int virtualKeyCode(int qtKey, Qt::KeyboardModifiers modifiers, std::uint32_t nativeScanCode, bool xkbScanCodes) {
    if (modifiers & Qt::KeypadModifier) {
        if (int code = keypadCode(qtKey)) return code;
        return otherKeyCode(qtKey);  // keypad arrows, Home, ... with Num Lock off
    }
    if ((qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) || (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)) return qtKey;
    if (xkbScanCodes) {
        // The digit row counts by position (shifted digits, layouts whose unshifted
        // digit row has other characters).
        if (int code = digitFromScanCode(nativeScanCode)) return code;
        // A letter of a non-Latin layout plays the key at its position; punctuation
        // on a letter position of a Latin layout stays unmapped.
        if (qtKey > 0xFF && qtKey < 0x110000 && QChar::isLetter(static_cast<char32_t>(qtKey)))
            if (int code = letterFromScanCode(nativeScanCode)) return code;
    }
    return otherKeyCode(qtKey);
}

int virtualKeyCode(const QKeyEvent& event) {
    static const bool xkb = [] {
        const QString p = QGuiApplication::platformName();
        return p == QLatin1String("xcb") || p.startsWith(QLatin1String("wayland"));
    }();
    return virtualKeyCode(event.key(), event.modifiers(), event.nativeScanCode(), xkb);
}

int shiftState(Qt::KeyboardModifiers modifiers) {
    return ((modifiers & Qt::ShiftModifier) ? 1 : 0) | ((modifiers & Qt::ControlModifier) ? 2 : 0) |
           ((modifiers & Qt::AltModifier) ? 4 : 0);
}

int mouseButtonCode(Qt::MouseButton button) {
    switch (button) {
    case Qt::LeftButton: return 1;
    case Qt::RightButton: return 2;
    case Qt::MiddleButton: return 4;
    default: return 0;
    }
}

}  // namespace zv
