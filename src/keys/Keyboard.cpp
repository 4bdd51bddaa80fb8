#include "keys/Keyboard.h"

#include <string_view>

#include "controls/PlayerTexts.h"
#include "keys/PcKeyMap.h"
#include "keys/PianoKey.h"

namespace zv {

namespace {

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

std::string Keyboard::noteName(PianoKey key) {
    const bool white = key.color == KeyColor::White;
    const int perOctave = white ? 7 : 5;
    const std::string note = white ? texts::kWhiteNotes[key.index % 7] : texts::kBlackNotes[key.index % 5];
    return key.index < perOctave ? note : texts::kUpperOctave + note;
}

Keyboard::Keyboard(WindowControls& ui) : ui_(ui) {
    // Each key and the plate on a white key are named by their note; the kind of key
    // and the PC key that plays it are the key's description.
    const auto describe = [](PianoKey key) {
        std::string text = key.color == KeyColor::White ? texts::kWhiteKey : texts::kBlackKey;
        for (int code = '0'; code <= 'Z'; ++code)
            if (pianoKeyForKeyCode(code) == key) return text + texts::kPlayedByPcKey + static_cast<char>(code);
        return text;
    };
    for (int i = 0; i < kWhiteKeyCount; ++i) {
        const PianoKey key{KeyColor::White, i};
        ui_.whiteKeys[i]->setAccessibleName(noteName(key), describe(key));
        ui_.notePlates[i]->setAccessibleName(noteName(key));
    }
    for (int i = 0; i < kBlackKeyCount; ++i) {
        const PianoKey key{KeyColor::Black, i};
        ui_.blackKeys[i]->setAccessibleName(noteName(key), describe(key));
    }
}

void Keyboard::paintNotePlates() {
    for (int i = 0; i < kWhiteKeyCount; ++i) {
        ui_.notePlates[i]->setBackColor(colors::White);
        // Two characters a plate: a one-character note is followed by a space.
        std::string plate = texts::kWhiteNotes[i % 7];
        if (plate.size() == 3) plate += ' ';
        ui_.notePlates[i]->printText(plate);
    }
}

void Keyboard::showNotePlates(bool show) {
    for (Control* plate : ui_.notePlates) plate->setVisible(show);
}

}  // namespace zv
