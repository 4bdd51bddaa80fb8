// What every part of the game shares: the window's controls, the form variables and
// the platform services. One instance lives in Form1 for the window's lifetime.
#pragma once

#include <string_view>

#include "game/FormVariables.h"
#include "keyboard/KeyModel.h"
#include "platform/Services.h"
#include "window/FormControls.h"

namespace zv {

struct GameContext {
    FormControls& ui;
    FormVariables& v;
    Services& s;

    // Plays a sound name from the sound folder (the one way the game sounds).
    void play(std::string_view soundName) { s.sound.play(soundPath(v, soundName)); }
    void playKey(PianoKey key) { s.sound.play(soundPath(v, keySoundName(v, key))); }
};

}  // namespace zv
