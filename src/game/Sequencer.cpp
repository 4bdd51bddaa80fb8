#include "game/Sequencer.h"

#include <algorithm>
#include <cmath>

#include "game/GameContext.h"
#include "game/Judgment.h"
#include "game/Lifecycle.h"
#include "keyboard/KeyAvailability.h"

namespace zv {

namespace {

// Holds a flag up for the lifetime of a modal box opened from a tick.
class BoxScope {
public:
    explicit BoxScope(bool& flag) : flag_(flag) { flag_ = true; }
    ~BoxScope() { flag_ = false; }
    BoxScope(const BoxScope&) = delete;
    BoxScope& operator=(const BoxScope&) = delete;

private:
    bool& flag_;
};

int draw(RandomSource& random, int count) {
    // floor(count * r) with r in [0, 1); the clamp only guards a generator at fault.
    return std::clamp(static_cast<int>(std::floor(count * random.next())), 0, count - 1);
}

}  // namespace

void Sequencer::Timer1_Timer() {
    // The toolkit keeps delivering ticks while a box opened by an earlier tick is
    // open. Those ticks do nothing: no second question, box or summary can start, and
    // the step that opened the box finishes once it is closed.
    if (boxOpen_) return;
    switch (ctx_.v.Phase) {
        case phase::Banner: bannerStep(); break;
        case phase::Question: questionStep(); break;
        case phase::Pause: pauseStep(); break;
        case phase::Replay: replayStep(); break;
        case phase::Demonstration: demonstrationStep(); break;
        default: break;
    }
}

void Sequencer::clearPositionMarks() {
    for (Control* label : ctx_.ui.Label7) label->setCaption("");
    for (Control* label : ctx_.ui.Label8) label->setCaption("");
}

void Sequencer::bannerStep() {
    FormControls& ui = ctx_.ui;
    FormVariables& v = ctx_.v;
    ui.Frame3->setLeft(ui.Frame3->left() - 300);
    if (!ui.Label2->visible() && ui.Frame3->left() < 4500) {
        for (Control* label : {ui.Label2, ui.Label3, ui.Label4, ui.Label5}) label->setVisible(true);
        ui.Frame4->setVisible(false);
        ui.Command4->setVisible(true);
        ui.Command3->setCaption("STOP");
    }
    if (ui.Frame3->left() < -ui.Frame3->width()) {
        v.Playing = kTrue;
        if (ui.Check1->value() == 0) ctx_.s.timer2.setEnabled(true);
        ctx_.s.timer1.setInterval(500);
        v.NotePos = 0;
        keys_.SiyouHuka();
        v.Phase = phase::Question;
    }
}

void Sequencer::questionStep() {
    FormVariables& v = ctx_.v;
    if (v.NotePos == 0) clearPositionMarks();
    Otonarasi();
    ++v.NotePos;
    if (v.NotePos >= v.NoteCount) {
        Judgment::increment(*ctx_.ui.Label4);
        endPlayback();
    }
}

void Sequencer::endPlayback() {
    // The last note has started: the keys of the range go back to the player.
    ctx_.v.NotePos = 0;
    keys_.kenban(ctx_.v.KeyRange);
    ctx_.s.timer1.setEnabled(false);
}

void Sequencer::pauseStep() {
    FormControls& ui = ctx_.ui;
    FormVariables& v = ctx_.v;
    Timer& timer1 = ctx_.s.timer1;
    ui.Picture1->setVisible(false);
    keys_.kenban(v.KeyRange);
    if (life_.inGameOverPause()) {
        timer1.setEnabled(false);
        if (Judgment::counterValue(ui.Label4->caption()) > 0) {
            BoxScope box(boxOpen_);
            judgment_.showSummary();
        }
        life_.Syokika();
        return;
    }
    bool demonstrate = false;
    if (ui.Check3->value() == 1) {
        {
            BoxScope box(boxOpen_);
            demonstrate = judgment_.askDemonstration();
        }
        // The game ended while the question was open (countdown): it stays ended.
        if (life_.inGameOverPause()) return;
    }
    ui.Command4->setVisible(false);
    timer1.setInterval(500);
    v.NotePos = 0;
    keys_.SiyouHuka();
    v.Phase = demonstrate ? phase::Demonstration : phase::Question;
}

void Sequencer::replayStep() {
    FormVariables& v = ctx_.v;
    if (v.NotePos < kMelodySlots)
        if (auto key = readToken(v.Melody[v.NotePos])) ctx_.playKey(*key);
    ++v.NotePos;
    if (v.NotePos >= v.NoteCount) {
        // A replay played to its end counts as one more question.
        Judgment::increment(*ctx_.ui.Label4);
        endPlayback();
    }
}

void Sequencer::demonstrationStep() {
    FormControls& ui = ctx_.ui;
    FormVariables& v = ctx_.v;
    if (v.NotePos == 0) clearPositionMarks();
    if (v.NotePos < kMelodySlots) {
        if (auto key = readToken(v.Melody[v.NotePos])) {
            ctx_.playKey(*key);
            const bool white = key->color == KeyColor::White;
            Control* button = white ? ui.Command1[key->index] : ui.Command2[key->index];
            Control* label = white ? ui.Label7[key->index] : ui.Label8[key->index];
            button->setBackColor(colors::Blue);
            const std::string position = std::to_string(v.NotePos + 1);
            label->setCaption(label->caption().empty() ? position : label->caption() + "," + position);
        }
    }
    ++v.NotePos;
    if (v.NotePos >= v.NoteCount) {
        endPlayback();  // REPLAY stays hidden: the phase is still the demonstration
        ui.Command5[1]->setVisible(true);
        ui.Command5[0]->setVisible(true);
    }
}

void Sequencer::Otonarasi() {
    FormVariables& v = ctx_.v;
    RandomSource& random = ctx_.s.random;
    random.reseedFromClock();
    const std::uint8_t range = v.KeyRange <= 3 ? v.KeyRange : 0;
    // White 7 times in 12, black 5 in 12 (an octave's share), so every key of the
    // range is equally likely; ranges 1 and 3 have no black keys.
    const bool white = (range == 1 || range == 3) ? true : draw(random, 12) < 7;
    random.reseedFromClock();
    const bool octave = range >= 2;
    const int index = draw(random, white ? (octave ? 7 : 14) : (octave ? 5 : 10));
    const PianoKey key{white ? KeyColor::White : KeyColor::Black, index};
    ctx_.playKey(key);
    if (v.NotePos < kMelodySlots) v.Melody[v.NotePos] = makeToken(key);
}

}  // namespace zv
