#include "window/Form1.h"

namespace zv {

Form1::Form1(Services services)
    : services_(services),
      table_(ControlTable::createMainWindow()),
      ui_(*table_),
      ctx_{ui_, vars_, services_},
      keys_(ctx_),
      judgment_(ctx_, keys_),
      lifecycle_(ctx_, keys_),
      sequencer_(ctx_, keys_, lifecycle_, judgment_),
      input_(ctx_, judgment_, lifecycle_),
      settings_(ctx_, keys_),
      timeLimit_(ctx_, lifecycle_) {
    // Timers as the window designs them: Timer1 10 ms, Timer2 1000 ms, both stopped.
    services_.timer1.setEnabled(false);
    services_.timer1.setInterval(10);
    services_.timer2.setEnabled(false);
    services_.timer2.setInterval(1000);
    services_.timer1.setTickHandler([this] { Timer1_Timer(); });
    services_.timer2.setTickHandler([this] { Timer2_Timer(); });
}

}  // namespace zv
