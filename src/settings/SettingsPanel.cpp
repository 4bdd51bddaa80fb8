#include "settings/SettingsPanel.h"

#include <string>

namespace zv {

void SettingsPanel::playFeedback(int whiteKeyIndex) { sound_.play(KeySounds::idOf({KeyColor::White, whiteKeyIndex})); }

void SettingsPanel::difficultyChosen(int index) {
    if (index < 0 || index > 2) return;
    playFeedback(2 * index);
    settings_.notesPerQuestion = Settings::notesForDifficulty(index);
}

void SettingsPanel::modeChosen(int index) {
    if (index < 0 || index > 1) return;
    playFeedback(2 * (index + 1));
    if (index == 1) settings_.notesPerQuestion = 1;
    if (index == 0)
        // Back to melodies: the difficulty still selected gives the count again.
        for (int i = 0; i < 3; ++i)
            if (ui_.difficultyOptions[i]->value()) settings_.notesPerQuestion = Settings::notesForDifficulty(i);
    ui_.difficultyFrame->setEnabled(index != 1);
}

void SettingsPanel::keyRangeChosen(int index) {
    if (index < 0 || index > 3) return;
    playFeedback(index + 1);
    settings_.keyRange = static_cast<std::uint8_t>(index);
    keyboard_.unlockRange(settings_.keyRange);
    // The range is chosen in the idle window, which never shows REPLAY.
    ui_.replay->setVisible(false);
}

void SettingsPanel::showLimit(const std::string& text) {
    ui_.limitLabel->setCaption(text);
    ui_.countdown->setCaption(text);
}

void SettingsPanel::noLimitClicked() {
    settings_.noTimeLimit = !settings_.noTimeLimit;
    showLimit(settings_.noTimeLimit ? std::string(Settings::kInfinity) : std::to_string(settings_.limitSeconds));
}

void SettingsPanel::timeLimitMoved() {
    settings_.limitSeconds = Settings::secondsForBarValue(ui_.timeLimitBar->value());
    settings_.noTimeLimit = false;
    showLimit(std::to_string(settings_.limitSeconds));
    // Set from code, so the check box's own click handling does not run.
    ui_.noLimitCheck->setValue(0);
}

void SettingsPanel::noteNamesClicked() { keyboard_.showNotePlates(ui_.noteNamesCheck->value() != 0); }

}  // namespace zv
