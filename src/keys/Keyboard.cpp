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
    for (Control* key : ui_.whiteKeys) {
        key->setEnabled(true);
        key->setBackColor(colors::White);
    }
    for (Control* key : ui_.blackKeys) {
        key->setEnabled(true);
        key->setBackColor(colors::Black);
    }
    // Lock the keys outside the range, each disabled first, then coloured.
    for (int i = 0; i < kBlackKeyCount; ++i)
        if (!isBlackKeyInRange(range, i)) {
            ui_.blackKeys[i]->setEnabled(false);
            ui_.blackKeys[i]->setBackColor(colors::Grey);
        }
    for (int i = 0; i < kWhiteKeyCount; ++i)
        if (!isWhiteKeyInRange(range, i)) {
            ui_.whiteKeys[i]->setEnabled(false);
            ui_.whiteKeys[i]->setBackColor(colors::LightGrey);
        }
}

void Keyboard::lockAll() {
    for (Control* key : ui_.whiteKeys) {
        key->setEnabled(false);
        key->setBackColor(colors::LightGrey);
    }
    for (Control* key : ui_.blackKeys) {
        key->setEnabled(false);
        key->setBackColor(colors::Grey);
    }
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
