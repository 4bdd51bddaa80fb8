#include "game/Judgment.h"

#include <charconv>

#include "game/GameContext.h"
#include "keyboard/KeyAvailability.h"
#include "settings/TimeLimit.h"

namespace zv {

long Judgment::counterValue(const std::string& caption) {
    long value = 0;
    auto [ptr, ec] = std::from_chars(caption.data(), caption.data() + caption.size(), value);
    // The counters only ever hold whole numbers written by the game itself.
    return ec == std::errc() && ptr == caption.data() + caption.size() ? value : 0;
}

void Judgment::increment(Control& counter) {
    counter.setCaption(std::to_string(counterValue(counter.caption()) + 1));
}

void Judgment::SeikaiHandan(std::int16_t& seikai) {
    FormControls& ui = ctx_.ui;
    const bool right = seikai == kTrue;
    ui.Picture1->setPicture(ui.Picture2[right ? 0 : 1]->picture());
    ui.Picture1->setVisible(true);
    if (right) increment(*ui.Label3);
    ctx_.s.timer1.setInterval(200);
    ctx_.v.Phase = phase::Pause;
    keys_.SiyouHuka();
    ctx_.s.timer1.setEnabled(true);
}

bool Judgment::askDemonstration() {
    return ctx_.s.boxes.askYesNo("正解を表示しますか?") == MessageBoxes::kYes;
}

std::string Judgment::summaryCaption(int noteCount, int limitSeconds) {
    std::string caption = noteCount == 1 ? std::string("単音:") : std::to_string(noteCount) + "音メロディー:";
    return caption + std::to_string(limitSeconds) + "秒";
}

std::string Judgment::rateText(long questions, long rights) {
    if (questions <= 0) return "0";
    // Cut toward zero at one decimal, never rounded up: 2 of 3 is 66.6.
    const long tenths = rights * 1000 / questions;
    const long whole = tenths / 10;
    const long fraction = tenths % 10;
    std::string text = std::to_string(whole);
    if (fraction != 0) {
        // Appended in steps: GCC 12 at -O3 reports a false -Wrestrict inside
        // std::string for "." + std::to_string(...).
        text += '.';
        text += std::to_string(fraction < 0 ? -fraction : fraction);
    }
    return text;
}

std::string Judgment::summaryText(const std::string& questions, const std::string& rights) {
    return "問題数:" + questions + "\r\n正解数:" + rights + "\r\n正解率:" +
           rateText(counterValue(questions), counterValue(rights)) + "%";
}

void Judgment::showSummary() {
    const FormControls& ui = ctx_.ui;
    const std::string caption =
        summaryCaption(ctx_.v.NoteCount, TimeLimit::secondsFor(ui.VScroll1->value()));
    ctx_.s.boxes.information(caption, summaryText(ui.Label4->caption(), ui.Label3->caption()));
}

}  // namespace zv
