#include "settings/TimeLimit.h"

#include "game/GameContext.h"
#include "game/Lifecycle.h"

namespace zv {

void TimeLimit::Check1_Click() {
    FormControls& ui = ctx_.ui;
    const int v = ui.VScroll1->value();
    // Label6 records whether the limit is off; every tick or untick flips it once.
    if (ui.Label6->caption() == kInfinity)
        ui.Label6->setCaption(std::to_string(secondsFor(v)));
    else
        ui.Label6->setCaption(kInfinity);
    ui.Label2->setCaption(ui.Label6->caption());
}

void TimeLimit::VScroll1_Change() {
    FormControls& ui = ctx_.ui;
    const int seconds = secondsFor(ui.VScroll1->value());
    ui.Label6->setCaption(std::to_string(seconds));
    ui.Label2->setCaption(ui.Label6->caption());
    ctx_.v.TimeLeft = static_cast<std::uint8_t>(seconds);
    // Moving the scroll bar always switches the limit on; set from code, so the
    // check box's toggle does not run and the labels keep the seconds.
    ui.Check1->setValue(0);
}

void TimeLimit::VScroll1_Scroll() { VScroll1_Change(); }

void TimeLimit::Timer2_Timer() {
    FormVariables& v = ctx_.v;
    // The countdown stops itself at zero, so it never wraps below it.
    if (v.TimeLeft > 0) --v.TimeLeft;
    ctx_.ui.Label2->setCaption(std::to_string(v.TimeLeft));
    if (v.TimeLeft == 0) {
        ctx_.s.timer2.setEnabled(false);
        life_.GameOver();
    }
}

}  // namespace zv
