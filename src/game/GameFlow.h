// A game from load to idle: loading the window, resetting it to the idle window,
// START/STOP, game over, REPLAY and the two buttons after a demonstration.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace zv {

struct GameContext;

class GameFlow {
public:
    explicit GameFlow(GameContext& ctx) : ctx_(ctx) {}

    // Builds the sound tables, sets the defaults and loads the three pictures. Returns
    // the name of the first picture that could be found and decoded in neither the
    // current folder nor the application's folder; the window must then not open.
    // The pictures the game shows, in the stored-picture boxes' order: right, wrong,
    // game over.
    static constexpr std::array<const char*, 3> kPictureFiles = {"maru.jpg", "batu.jpg", "gameover.jpg"};

    std::optional<std::string> load();
    // Every file load() may read for the pictures, in the order it tries them.
    std::vector<std::string> picturePaths() const;
    void resetToIdle();
    void startStopClicked();
    void endGame();
    // The program ends (Esc in the idle window): both timers stop first.
    void quit();
    void replayClicked();
    // After a demonstration: show it again, or go on to the next question.
    void showAnswerClicked() { afterDemonstration(true); }
    void nextQuestionClicked() { afterDemonstration(false); }

    // The one-second pause after game over is running.
    bool inGameOverPause() const;

private:
    void afterDemonstration(bool showAgain);
    std::vector<std::string> pictureDirs() const;

    GameContext& ctx_;
};

}  // namespace zv
