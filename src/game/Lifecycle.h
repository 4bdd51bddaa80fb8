// A game from load to idle: Form_Load, the idle state (Syokika), START/STOP,
// game over, REPLAY and the two buttons after a demonstration.
#pragma once

#include <optional>
#include <string>

namespace zv {

struct GameContext;
class KeyAvailability;

class Lifecycle {
public:
    Lifecycle(GameContext& ctx, KeyAvailability& keys) : ctx_(ctx), keys_(keys) {}

    // Builds the key tables, sets the defaults and loads the three pictures. Returns
    // the name of the first picture that could be found and decoded in neither the
    // current folder nor the application's folder; the window must then not open.
    std::optional<std::string> Form_Load();
    void Syokika();
    void Command3_Click();
    void GameOver();
    void Command4_Click();
    void Command5_Click(int index);

    // The one-second pause after game over is running.
    bool inGameOverPause() const;

private:
    GameContext& ctx_;
    KeyAvailability& keys_;
};

}  // namespace zv
