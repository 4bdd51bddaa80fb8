// The game's clock: Timer1's tick runs one step of the current phase (banner slide,
// question, pause, replay, demonstration); Otonarasi draws and plays one note.
#pragma once

namespace zv {

struct GameContext;
class KeyAvailability;
class Lifecycle;
class Judgment;

class Sequencer {
public:
    Sequencer(GameContext& ctx, KeyAvailability& keys, Lifecycle& life, Judgment& judgment)
        : ctx_(ctx), keys_(keys), life_(life), judgment_(judgment) {}

    void Timer1_Timer();
    void Otonarasi();

    // A message box opened by a tick is still open (ticks arriving meanwhile are
    // ignored, so no tick opens a second box or a second question).
    bool boxOpen() const { return boxOpen_; }

private:
    void bannerStep();
    void questionStep();
    void pauseStep();
    void replayStep();
    void demonstrationStep();
    void clearPositionMarks();
    void endPlayback();

    GameContext& ctx_;
    KeyAvailability& keys_;
    Lifecycle& life_;
    Judgment& judgment_;
    bool boxOpen_ = false;
};

}  // namespace zv
