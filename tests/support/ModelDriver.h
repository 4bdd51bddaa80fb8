// A randomized model test of the whole game: long random sequences of everything a
// player and the clock can do, with the game's invariants checked after every step.
// A run is a pure function of its action list (all services are deterministic
// doubles), so a failing list can be replayed and shrunk to a short reproducer.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace zv::test {

struct GameRig;

struct Action {
    enum Kind : std::uint8_t {
        MouseWhite,   // a = key, b = mouse button
        MouseBlack,   // a = key, b = mouse button
        Plate,        // a = plate
        PcKey,        // a = virtual-key code, b = modifier state
        Start,        // START/STOP
        Replay,       // REPLAY
        Answer,       // a = 0 show the answer again, 1 next question
        Difficulty,   // difficulty option a
        Mode,         // mode option a
        Range,        // key-range option a
        ToggleLimit,  // the no-limit check box
        ToggleNames,  // the note-names check box
        ToggleAsk,    // the ask-before-demonstrating check box
        Scroll,       // the time-limit bar to a; b = 1 while dragging
        Wait,         // a ms of time pass
        NextBoxYes,   // the next Yes/No box is answered Yes (a = 1) or No
        NextBoxHold,  // the next box stays open for a ms
        RightNote,    // the key the melody expects next: a = 1 by PC key, else by mouse
        KindCount
    };
    Kind kind;
    int a = 0;
    int b = 0;
    std::string toString() const;
    static std::optional<Action> parse(const std::string& text);
};

std::string toString(const std::vector<Action>& actions);
std::vector<Action> parseActions(const std::string& text);

class ModelDriver {
public:
    ModelDriver();
    ~ModelDriver();

    // Applies one action (if the window allows it now) and checks every invariant.
    // Returns the first broken invariant, or nothing.
    std::optional<std::string> apply(const Action& action);
    // Runs a whole list on a fresh game; the failure and the index it happened at.
    static std::optional<std::pair<std::size_t, std::string>> run(const std::vector<Action>& actions);
    // A random action, weighted towards what moves a game along.
    static Action randomAction(std::mt19937_64& rng);
    // Removes actions while the run still fails with the same invariant.
    static std::vector<Action> shrink(std::vector<Action> failing);

    long events() const { return events_; }
    GameRig& rig() { return *rig_; }
    long games() const { return gamesEnded_; }
    long summaries() const { return summariesSeen_; }
    long judged() const { return judgedSeen_; }

private:
    std::optional<std::string> check();
    void observeSummary(const std::string& text);
    bool idle() const;
    void afterEvent();

    std::unique_ptr<GameRig> rig_;
    long events_ = 0;
    long gamesEnded_ = 0;
    long summariesSeen_ = 0;
    long judgedSeen_ = 0;
    // The driver's own account of the current game.
    bool inGame_ = false;
    bool gameOverSeen_ = false;  // the game-over picture went up: no note may follow
    long questions_ = 0;
    long rights_ = 0;
    long summariesThisGame_ = 0;
    long notesInPlayback_ = 0;
    std::optional<std::string> boxFailure_;
    int nextHoldMs_ = 0;
    std::size_t boxesSeen_ = 0;
};

}  // namespace zv::test
