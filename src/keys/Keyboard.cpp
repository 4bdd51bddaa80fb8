#include "keys/Keyboard.h"

#include <string_view>

#include "keys/PianoKey.h"

namespace zv {

namespace {

// Plate texts: two characters per white key, "ファ" the only one without a space.
constexpr const char* kPlateNames = "ド レ ミ ファソ ラ シ ド レ ミ ファソ ラ シ ";

// Characters 2i+1 and 2i+2 of a UTF-8 string, counting characters, not bytes.
std::string characterPair(std::string_view text, int i) {
    std::size_t pos = 0;
    for (int skipped = 0; skipped < 2 * i && pos < text.size(); ++skipped) pos += utf8Length(text[pos]);
    std::size_t end = pos;
    for (int taken = 0; taken < 2 && end < text.size(); ++taken) end += utf8Length(text[end]);
    return std::string(text.substr(pos, end - pos));
}

// Disabled first, then coloured: the order the player's window sees.
void paintKey(Control* key, bool usable, Rgb color) {
    key->setEnabled(usable);
    key->setBackColor(color);
}

template <std::size_t N>
Control* keyAt(const std::array<Control*, N>& row, int index) {
    return index >= 0 && index < static_cast<int>(N) ? row[index] : nullptr;
}

}  // namespace

bool Keyboard::isWhiteKeyInRange(std::uint8_t range, int index) {
    return (range == 2 || range == 3) ? index < 7 : true;
}

bool Keyboard::isBlackKeyInRange(std::uint8_t range, int index) {
    switch (range) {
        case 1:
        case 3: return false;
        case 2: return index < 5;
        default: return true;
    }
}

void Keyboard::unlockRange(std::uint8_t range) {
    for (Control* key : ui_.whiteKeys) paintKey(key, true, colors::White);
    for (Control* key : ui_.blackKeys) paintKey(key, true, colors::Black);
    // Then the keys outside the range are locked again.
    for (int i = 0; i < kBlackKeyCount; ++i)
        if (!isBlackKeyInRange(range, i)) paintKey(ui_.blackKeys[i], false, colors::Grey);
    for (int i = 0; i < kWhiteKeyCount; ++i)
        if (!isWhiteKeyInRange(range, i)) paintKey(ui_.whiteKeys[i], false, colors::LightGrey);
}

void Keyboard::lockAll() {
    for (Control* key : ui_.whiteKeys) paintKey(key, false, colors::LightGrey);
    for (Control* key : ui_.blackKeys) paintKey(key, false, colors::Grey);
}

Control* Keyboard::button(PianoKey key) const {
    return key.color == KeyColor::White ? keyAt(ui_.whiteKeys, key.index) : keyAt(ui_.blackKeys, key.index);
}

Control* Keyboard::mark(PianoKey key) const {
    return key.color == KeyColor::White ? keyAt(ui_.whiteKeyMarks, key.index) : keyAt(ui_.blackKeyMarks, key.index);
}

void Keyboard::clearKeyMarks() {
    for (Control* label : ui_.whiteKeyMarks) label->setCaption("");
    for (Control* label : ui_.blackKeyMarks) label->setCaption("");
}

void Keyboard::paintNotePlates() {
    for (int i = 0; i < kWhiteKeyCount; ++i) {
        ui_.notePlates[i]->setBackColor(colors::White);
        ui_.notePlates[i]->printText(characterPair(kPlateNames, i));
    }
}

void Keyboard::showNotePlates(bool show) {
    for (Control* plate : ui_.notePlates) plate->setVisible(show);
}

}  // namespace zv
