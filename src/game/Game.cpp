#include "game/Game.h"

namespace zv {

namespace {
GameObserver silentObserver;
}  // namespace

Game::Game(Services services)
    : services_(services),
      table_(ControlTable::createMainWindow()),
      ui_(*table_),
      keyboard_(ui_),
      ctx_{ui_, state_, settings_, sounds_, keyboard_, services_, &silentObserver},
      judge_(ctx_),
      flow_(ctx_),
      sequencer_(ctx_, flow_, judge_),
      input_(ctx_, judge_, flow_),
      countdown_(ctx_, flow_),
      settingsPanel_(ui_, settings_, services_.sound, keyboard_) {
    // Both timers start stopped: the step timer at 10 ms, the countdown at a second.
    services_.stepTimer.setEnabled(false);
    services_.stepTimer.setInterval(10);
    services_.countdownTimer.setEnabled(false);
    services_.countdownTimer.setInterval(1000);
    services_.stepTimer.setTickHandler([this] { onStepTimer(); });
    services_.countdownTimer.setTickHandler([this] { onCountdownTimer(); });
}

void Game::timeLimitChanged() {
    settingsPanel_.timeLimitMoved();
    // The bar is usable only in the idle window: the next game counts down from here.
    state_.secondsLeft = static_cast<std::uint8_t>(settings_.limitSeconds);
}

}  // namespace zv
