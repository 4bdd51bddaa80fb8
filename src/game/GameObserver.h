// What the game tells whoever keeps track of the games played (the history), after
// the fact and nothing more: a game's start, each verdict, each replay, a shown
// answer and the game's end. The game never waits on it and never learns what the
// observer does; the default observer does nothing.
#pragma once

#include <cstdint>
#include <vector>

#include "keys/PianoKey.h"

namespace zv {

// Which input played the key that ended an answer.
enum class InputKind : std::uint8_t { Mouse, Keys, Touch, Midi, Voice };

// An answer as the game judged it.
struct Verdict {
    std::vector<PianoKey> melody;    // the question's notes, in order
    std::vector<PianoKey> answered;  // the keys played for it, in order (the last one ends it)
    bool right = false;
    InputKind input = InputKind::Mouse;
};

class GameObserver {
public:
    virtual ~GameObserver() = default;
    // START was pressed with these settings (timeLimitSeconds 0: no limit).
    virtual void gameStarted(int /*notesPerQuestion*/, int /*keyRange*/, int /*timeLimitSeconds*/) {}
    // The last note of a question (or of its replay) has started playing.
    virtual void melodyPlayed(bool /*replay*/) {}
    virtual void answerJudged(const Verdict&) {}
    // The player chose to see the right answer of the question just judged.
    virtual void answerShown() {}
    // The game is over (STOP, Esc, the time limit); questions counts replays, as the summary.
    virtual void gameEnded(int /*questions*/, int /*rights*/) {}
};

}  // namespace zv
