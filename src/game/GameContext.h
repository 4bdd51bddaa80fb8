// What every part of the game shares: the window's controls, the game's state, the
// settings, the piano and the platform services. One instance lives in Game for the
// window's lifetime.
#pragma once

#include <string_view>

#include "controls/WindowControls.h"
#include "game/GameObserver.h"
#include "game/GameState.h"
#include "keys/KeySounds.h"
#include "keys/Keyboard.h"
#include "platform/Services.h"
#include "settings/Settings.h"

namespace zv {

struct GameContext {
    WindowControls& ui;
    GameState& state;
    Settings& settings;
    KeySounds& sounds;
    Keyboard& keyboard;
    Services& services;
    // Told of each game's steps (GameObserver.h); never null, silent unless Game::setObserver.
    GameObserver* observer;

    // A key's sound (the one way the game sounds a key).
    void playKey(PianoKey key) { services.sound.play(KeySounds::idOf(key)); }

    // The keys of the chosen range go back to the player, with REPLAY beside them
    // (a demonstration leaves REPLAY as it is).
    void unlockKeyRange() {
        if (state.phase != Phase::Demonstration) ui.replay->setVisible(true);
        keyboard.unlockRange(settings.keyRange);
    }
    // Every key locked, REPLAY hidden.
    void lockKeys() {
        ui.replay->setVisible(false);
        keyboard.lockAll();
    }
    // The verdict box shows stored picture i (0 right, 1 wrong, 2 game over) and is
    // named after it.
    void showVerdict(int i) {
        ui.verdictPicture->setAccessibleName(ui.storedPictures[i]->accessibleName());
        ui.verdictPicture->setPicture(ui.storedPictures[i]->picture());
        ui.verdictPicture->setVisible(true);
    }
    // The countdown and the score, shown during a game only.
    void showScoreLabels(bool show) {
        for (Control* label : {ui.countdown, ui.rights, ui.questions, ui.scoreSeparator}) label->setVisible(show);
    }
    // The score labels follow the score.
    void showScore() {
        ui.rights->setCaption(std::to_string(state.score.rights));
        ui.questions->setCaption(std::to_string(state.score.questions));
    }
};

}  // namespace zv
