#include "settings/SettingsPanel.h"

#include "game/GameContext.h"
#include "keyboard/KeyAvailability.h"

namespace zv {

std::uint8_t SettingsPanel::notesForDifficulty(int index) {
    return static_cast<std::uint8_t>((index * index + 3 * index + 6) / 2);
}

void SettingsPanel::Option1_Click(int index) {
    if (index < 0 || index > 2) return;
    ctx_.playKey({KeyColor::White, 2 * index});
    ctx_.v.NoteCount = notesForDifficulty(index);
}

void SettingsPanel::Option2_Click(int index) {
    if (index < 0 || index > 1) return;
    ctx_.playKey({KeyColor::White, 2 * (index + 1)});
    if (index == 1) ctx_.v.NoteCount = 1;
    if (index == 0)
        // Back to melodies: the difficulty still selected gives the count again.
        for (int i = 0; i < 3; ++i)
            if (ctx_.ui.Option1[i]->value()) ctx_.v.NoteCount = notesForDifficulty(i);
    ctx_.ui.Frame1->setEnabled(index != 1);
}

void SettingsPanel::Option3_Click(int index) {
    if (index < 0 || index > 3) return;
    ctx_.playKey({KeyColor::White, index + 1});
    ctx_.v.KeyRange = static_cast<std::uint8_t>(index);
    keys_.kenban(ctx_.v.KeyRange);
    // kenban shows REPLAY for a running game; in the idle window there is nothing to replay.
    ctx_.ui.Command4->setVisible(false);
}

}  // namespace zv
