// The main window's logic: owns the control table, the shared variables and the
// parts of the game, and exposes one method per event the window handles. A view
// (QtView) turns user actions into these calls and mirrors the control table; tests
// call them directly with test doubles for every service.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "game/FormVariables.h"
#include "game/GameContext.h"
#include "game/Judgment.h"
#include "game/Lifecycle.h"
#include "game/Sequencer.h"
#include "keyboard/KeyAvailability.h"
#include "keyboard/KeyInput.h"
#include "platform/Services.h"
#include "settings/SettingsPanel.h"
#include "settings/TimeLimit.h"
#include "window/ControlTable.h"
#include "window/FormControls.h"

namespace zv {

class Form1 {
public:
    explicit Form1(Services services);
    Form1(const Form1&) = delete;
    Form1& operator=(const Form1&) = delete;

    // The window's load; on failure, the picture file that could not be loaded.
    std::optional<std::string> Form_Load() { return lifecycle_.Form_Load(); }

    // Events.
    void Form_KeyDown(int keyCode, int shift) { input_.Form_KeyDown(keyCode, shift); }
    void Command1_MouseDown(int i, int button = 1, int shift = 0, float x = 0, float y = 0) {
        input_.Command1_MouseDown(i, button, shift, x, y);
    }
    void Command2_MouseDown(int i, int button = 1, int shift = 0, float x = 0, float y = 0) {
        input_.Command2_MouseDown(i, button, shift, x, y);
    }
    void Picture3_MouseDown(int i, int button = 1, int shift = 0, float x = 0, float y = 0) {
        input_.Picture3_MouseDown(i, button, shift, x, y);
    }
    void Command3_Click() { lifecycle_.Command3_Click(); }
    void Command4_Click() { lifecycle_.Command4_Click(); }
    void Command5_Click(int index) { lifecycle_.Command5_Click(index); }
    void Option1_Click(int index) { settings_.Option1_Click(index); }
    void Option2_Click(int index) { settings_.Option2_Click(index); }
    void Option3_Click(int index) { settings_.Option3_Click(index); }
    void Check1_Click() { timeLimit_.Check1_Click(); }
    void Check2_Click() { keys_.Check2_Click(); }
    void VScroll1_Change() { timeLimit_.VScroll1_Change(); }
    void VScroll1_Scroll() { timeLimit_.VScroll1_Scroll(); }
    void Timer1_Timer() { sequencer_.Timer1_Timer(); }
    void Timer2_Timer() { timeLimit_.Timer2_Timer(); }

    // Procedures, reachable for tests.
    void SeikaiHandan(std::int16_t seikai) { judgment_.SeikaiHandan(seikai); }
    void GameOver() { lifecycle_.GameOver(); }
    void Syokika() { lifecycle_.Syokika(); }
    void kenban(std::uint8_t mode) { keys_.kenban(mode); }
    void SiyouHuka() { keys_.SiyouHuka(); }
    void Otonarasi() { sequencer_.Otonarasi(); }

    ControlTable& table() { return *table_; }
    FormControls& ui() { return ui_; }
    FormVariables& vars() { return vars_; }
    const FormVariables& vars() const { return vars_; }
    Services& services() { return services_; }
    const Sequencer& sequencer() const { return sequencer_; }
    const Lifecycle& lifecycle() const { return lifecycle_; }

private:
    Services services_;
    std::unique_ptr<ControlTable> table_;
    FormControls ui_;
    FormVariables vars_;
    GameContext ctx_;
    KeyAvailability keys_;
    Judgment judgment_;
    Lifecycle lifecycle_;
    Sequencer sequencer_;
    KeyInput input_;
    SettingsPanel settings_;
    TimeLimit timeLimit_;
};

}  // namespace zv
