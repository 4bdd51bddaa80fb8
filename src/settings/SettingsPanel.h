// The settings' controls: mode, difficulty and key range (each option sounds its
// feedback note, then stores the choice), the time-limit bar and its no-limit check
// box, and the note-names check box. Every choice lands in Settings.
#pragma once

#include "controls/WindowControls.h"
#include "keys/KeySounds.h"
#include "keys/Keyboard.h"
#include "platform/Services.h"
#include "settings/Settings.h"

namespace zv {

class SettingsPanel {
public:
    SettingsPanel(WindowControls& ui, Settings& settings, SoundService& sound, Keyboard& keyboard)
        : ui_(ui), settings_(settings), sound_(sound), keyboard_(keyboard) {}

    void difficultyChosen(int index);
    void modeChosen(int index);
    void keyRangeChosen(int index);
    // The no-limit check box was clicked: each click switches the limit off or on.
    void noLimitClicked();
    // The time-limit bar moved: the limit it shows is on.
    void timeLimitMoved();
    void noteNamesClicked();

private:
    void playFeedback(int whiteKeyIndex);
    void showLimit(const std::string& text);

    WindowControls& ui_;
    Settings& settings_;
    SoundService& sound_;
    Keyboard& keyboard_;
};

}  // namespace zv
