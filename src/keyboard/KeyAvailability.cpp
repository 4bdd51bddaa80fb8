#include "keyboard/KeyAvailability.h"

#include "game/GameContext.h"

namespace zv {

bool KeyAvailability::isWhiteKeyInRange(std::uint8_t range, int index) {
    return (range == 2 || range == 3) ? index < 7 : true;
}

bool KeyAvailability::isBlackKeyInRange(std::uint8_t range, int index) {
    switch (range) {
        case 1:
        case 3: return false;
        case 2: return index < 5;
        default: return true;
    }
}

void KeyAvailability::kenban(const std::uint8_t& mode) {
    FormControls& ui = ctx_.ui;
    // REPLAY belongs to answering a question; during a demonstration it stays as it is.
    if (ctx_.v.Phase != phase::Demonstration) ui.Command4->setVisible(true);
    for (Control* key : ui.Command1) {
        key->setEnabled(true);
        key->setBackColor(colors::White);
    }
    for (Control* key : ui.Command2) {
        key->setEnabled(true);
        key->setBackColor(colors::Black);
    }
    // Lock the keys outside the range, each disabled first, then coloured.
    for (int i = 0; i < kBlackKeyCount; ++i)
        if (!isBlackKeyInRange(mode, i)) {
            ui.Command2[i]->setEnabled(false);
            ui.Command2[i]->setBackColor(colors::Grey);
        }
    for (int i = 0; i < kWhiteKeyCount; ++i)
        if (!isWhiteKeyInRange(mode, i)) {
            ui.Command1[i]->setEnabled(false);
            ui.Command1[i]->setBackColor(colors::LightGrey);
        }
}

void KeyAvailability::SiyouHuka() {
    FormControls& ui = ctx_.ui;
    ui.Command4->setVisible(false);
    for (Control* key : ui.Command1) {
        key->setEnabled(false);
        key->setBackColor(colors::LightGrey);
    }
    for (Control* key : ui.Command2) {
        key->setEnabled(false);
        key->setBackColor(colors::Grey);
    }
}

void KeyAvailability::Check2_Click() {
    const bool show = ctx_.ui.Check2->value() != 0;
    for (Control* plate : ctx_.ui.Picture3) plate->setVisible(show);
}

}  // namespace zv
