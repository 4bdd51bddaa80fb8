// Difficulty, mode and key range: each option sounds its feedback note, then stores
// the choice (notes per question, key range) that the next game reads.
#pragma once

#include <cstdint>

namespace zv {

struct GameContext;
class KeyAvailability;

class SettingsPanel {
public:
    SettingsPanel(GameContext& ctx, KeyAvailability& keys) : ctx_(ctx), keys_(keys) {}

    void Option1_Click(int index);
    void Option2_Click(int index);
    void Option3_Click(int index);

    // Notes per melody for difficulty index 0..2: 3, 5, 8.
    static std::uint8_t notesForDifficulty(int index);

private:
    GameContext& ctx_;
    KeyAvailability& keys_;
};

}  // namespace zv
