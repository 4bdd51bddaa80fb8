#include "game/Countdown.h"

#include "game/GameContext.h"
#include "game/GameFlow.h"

namespace zv {

void Countdown::onCountdownTimer() {
    GameState& state = ctx_.state;
    // The countdown stops itself at zero, so it never wraps below it.
    if (state.secondsLeft > 0) --state.secondsLeft;
    ctx_.ui.countdown->setCaption(std::to_string(state.secondsLeft));
    if (state.secondsLeft == 0) {
        ctx_.services.countdownTimer.setEnabled(false);
        flow_.endGame();
    }
}

}  // namespace zv
