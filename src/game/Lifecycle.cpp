#include "game/Lifecycle.h"

#include <array>

#include "game/GameContext.h"
#include "keyboard/KeyAvailability.h"
#include "settings/TimeLimit.h"

namespace zv {

namespace {
constexpr std::array<const char*, 3> kPictureFiles = {"maru.jpg", "batu.jpg", "gameover.jpg"};
}

std::optional<std::string> Lifecycle::Form_Load() {
    FormVariables& v = ctx_.v;
    FormControls& ui = ctx_.ui;
    v.Playing = kFalse;
    buildKeyTables(ui, v, ctx_.s.app.applicationDir());
    // Selected from code: the difficulty's click handling (and its feedback note) does not run.
    ui.Option1[1]->setValue(1);
    v.NoteCount = 5;
    v.TimeLeft = 30;
    // Pictures are looked up in the current folder first, then beside the program, so
    // a game started from a desktop menu (current folder: home) still finds them.
    for (std::size_t i = 0; i < kPictureFiles.size(); ++i) {
        std::shared_ptr<const Picture> picture;
        for (const std::string& dir : {ctx_.s.app.currentDir(), ctx_.s.app.applicationDir()}) {
            picture = ctx_.s.pictures.load(dir + "/" + kPictureFiles[i]);
            if (picture) break;
        }
        if (!picture) return std::string(kPictureFiles[i]);
        ui.Picture2[i]->setPicture(std::move(picture));
    }
    return std::nullopt;
}

void Lifecycle::Syokika() {
    FormControls& ui = ctx_.ui;
    FormVariables& v = ctx_.v;
    ui.Picture1->setVisible(false);
    ui.Command4->setVisible(false);
    keys_.kenban(v.KeyRange);
    ctx_.s.timer2.setEnabled(false);
    ctx_.s.timer1.setEnabled(false);
    v.TimeLeft = static_cast<std::uint8_t>(TimeLimit::secondsFor(ui.VScroll1->value()));
    // The difficulty frame follows the mode: usable only in melody mode.
    ui.Frame1->setEnabled(ui.Option2[0]->value() != 0);
    ui.Frame5->setEnabled(true);
    ui.Frame2->setEnabled(true);
    ui.Frame4->setEnabled(true);
    ui.Frame4->setVisible(true);
    ui.Label3->setCaption("0");
    ui.Label4->setCaption("0");
    for (Control* label : {ui.Label2, ui.Label3, ui.Label4, ui.Label5}) label->setVisible(false);
    ui.Command3->setCaption("START");
    // kenban shows REPLAY; the idle window never does.
    ui.Command4->setVisible(false);
    ui.Command5[0]->setVisible(false);
    ui.Command5[1]->setVisible(false);
    ui.Frame3->setLeft(ui.table.formWidth());
    v.Playing = kFalse;
    for (Control* label : ui.Label7) label->setCaption("");
    for (Control* label : ui.Label8) label->setCaption("");
}

void Lifecycle::Command3_Click() {
    FormControls& ui = ctx_.ui;
    if (ui.Command3->caption() != "START") {
        GameOver();
        return;
    }
    ctx_.play(kStartChime);
    ui.Frame2->setEnabled(false);
    ui.Frame1->setEnabled(false);
    ui.Frame4->setEnabled(false);
    ui.Frame5->setEnabled(false);
    ui.Frame3->setVisible(true);
    ctx_.s.timer1.setInterval(30);
    ctx_.v.Phase = phase::Banner;
    ctx_.s.timer1.setEnabled(true);
    ui.Picture1->setVisible(false);
}

void Lifecycle::GameOver() {
    FormControls& ui = ctx_.ui;
    ui.Picture1->setPicture(ui.Picture2[2]->picture());
    ctx_.s.timer1.setEnabled(false);
    ui.Picture1->setVisible(true);
    keys_.SiyouHuka();
    ctx_.s.timer1.setInterval(kGameOverPauseMs);
    ctx_.v.Phase = phase::Pause;
    ctx_.s.timer1.setEnabled(true);
}

bool Lifecycle::inGameOverPause() const {
    return ctx_.v.Phase == phase::Pause && ctx_.s.timer1.interval() == kGameOverPauseMs;
}

void Lifecycle::Command4_Click() {
    // REPLAY shows part-way through the START! banner, before this game has asked
    // anything: there is nothing to replay yet, and stopping the banner would leave
    // the game without a way on. The press is ignored; the banner carries on.
    if (ctx_.v.Phase == phase::Banner) return;
    ctx_.v.Phase = phase::Replay;
    ctx_.s.timer1.setInterval(500);
    keys_.SiyouHuka();
    ctx_.v.NotePos = 0;
    ctx_.s.timer1.setEnabled(true);
}

void Lifecycle::Command5_Click(int index) {
    // The two buttons stay on screen during the pause after game over; a click then
    // must not bring the ended game back.
    if (inGameOverPause()) return;
    FormControls& ui = ctx_.ui;
    ctx_.v.Phase = index == 0 ? phase::Demonstration : phase::Question;
    ui.Command5[1]->setVisible(false);
    ui.Command5[0]->setVisible(false);
    // The next question plays with the keys locked, like every other question: a press
    // made while it plays would be judged against a note of the previous question.
    // The repeated demonstration keeps the keys usable; its presses only sound.
    if (index != 0) keys_.SiyouHuka();
    ctx_.s.timer1.setInterval(500);
    ctx_.s.timer1.setEnabled(true);
}

}  // namespace zv
