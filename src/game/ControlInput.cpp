#include "game/ControlInput.h"

#include <algorithm>
#include <array>
#include <utility>

#include "keys/PcKeyMap.h"

namespace zv {

namespace {
constexpr std::array<std::pair<std::string_view, ControlAction::Kind>, 6> kActionNames{{
    {"activated", ControlAction::Kind::Activated},
    {"setTo", ControlAction::Kind::SetTo},
    {"draggedTo", ControlAction::Kind::DraggedTo},
    {"stepSmall", ControlAction::Kind::StepSmall},
    {"stepLarge", ControlAction::Kind::StepLarge},
    {"wheel", ControlAction::Kind::Wheel},
}};
constexpr int kShift = 1, kCtrl = 2;
}  // namespace

std::optional<ControlAction::Kind> controlActionNamed(std::string_view name) {
    for (const auto& [n, kind] : kActionNames)
        if (n == name) return kind;
    return std::nullopt;
}

bool isTouchPointer(std::string_view name) { return name == "touch"; }

bool ControlInput::takesKey(int keyCode) {
    return keyCode == keycode::Escape || pianoKeyForKeyCode(keyCode).has_value();
}

void ControlInput::keyPressed(int keyCode, int modifiers, bool /*repeat*/) {
    // A held piano key repeats, and every repeat is a press.
    events_.pcKeyPressed(keyCode, modifiers);
}

void ControlInput::act(Control& control, const ControlAction& action) {
    if (!control.effectivelyEnabled() || !control.shownOnScreen()) return;
    switch (control.kind()) {
    case ControlKind::OptionButton:
        if (action.kind == ControlAction::Kind::Activated) chooseOption(control);
        return;
    case ControlKind::CheckBox:
        if (action.kind == ControlAction::Kind::Activated) toggleCheck(control);
        return;
    case ControlKind::VerticalScrollBar: moveBar(control, action); return;
    case ControlKind::Button:
    case ControlKind::PictureBox: break;
    default: return;
    }
    if (action.kind != ControlAction::Kind::Activated) return;
    const int i = control.index();
    switch (control.role()) {
    case ControlRole::WhiteKey: events_.whiteKeyPressed(i, action.mouse); return;
    case ControlRole::BlackKey: events_.blackKeyPressed(i, action.mouse); return;
    case ControlRole::NotePlate: events_.notePlatePressed(i, action.mouse); return;
    default: break;
    }
    // A game button is pressed once per press of a key: a held Enter would otherwise
    // start a game and end it again before its first question.
    if (!action.repeat) clicked(control);
}

void ControlInput::clicked(const Control& button) {
    switch (button.role()) {
    case ControlRole::StartStopButton: events_.startStopClicked(); break;
    case ControlRole::ReplayButton: events_.replayClicked(); break;
    case ControlRole::ShowAnswerButton: events_.showAnswerClicked(); break;
    case ControlRole::NextQuestionButton: events_.nextQuestionClicked(); break;
    default: break;
    }
}

void ControlInput::chooseOption(Control& option) {
    if (option.value()) return;  // already chosen: nothing changes, no handler
    option.setValue(1);          // the handler reads the choice from the table
    const int i = option.index();
    switch (option.role()) {
    case ControlRole::ModeOption: events_.modeChosen(i); break;
    case ControlRole::DifficultyOption: events_.difficultyChosen(i); break;
    case ControlRole::KeyRangeOption: events_.keyRangeChosen(i); break;
    default: break;
    }
}

void ControlInput::toggleCheck(Control& check) {
    check.setValue(check.value() ? 0 : 1);
    if (check.role() == ControlRole::NoLimitCheck) events_.noLimitClicked();
    else if (check.role() == ControlRole::NoteNamesCheck) events_.noteNamesClicked();
}

void ControlInput::moveBar(Control& bar, const ControlAction& action) {
    using Kind = ControlAction::Kind;
    const int before = bar.value();
    int target = before;
    switch (action.kind) {
    case Kind::DraggedTo:
        if (!dragStart_) dragStart_ = before;
        bar.setValue(action.value);
        if (bar.value() != before) events_.timeLimitDragged();
        return;
    case Kind::SetTo: {
        // A drag let go reports a change when it ends elsewhere than it began.
        const int from = dragStart_.value_or(before);
        dragStart_.reset();
        bar.setValue(action.value);
        if (bar.value() != from) events_.timeLimitChanged();
        return;
    }
    case Kind::StepSmall: target = before + (action.value < 0 ? -1 : 1) * bar.smallChange(); break;
    case Kind::StepLarge: target = before + (action.value < 0 ? -1 : 1) * bar.largeChange(); break;
    case Kind::Wheel: {
        // Rolled away from the player, a vertical bar moves up: towards its minimum.
        if (action.mouse.modifiers & (kShift | kCtrl)) {
            wheelRest_ = 0;
            target = before - action.value * bar.largeChange() / 120;
            break;
        }
        if ((wheelRest_ < 0) != (action.value < 0)) wheelRest_ = 0;  // turned the other way
        wheelRest_ += action.value * kWheelLines * bar.smallChange();
        const int lines = std::clamp(wheelRest_ / 120, -bar.largeChange(), bar.largeChange());
        wheelRest_ -= lines * 120;
        target = before - lines;
        break;
    }
    case Kind::Activated: return;
    }
    bar.setValue(target);
    if (bar.value() != before) events_.timeLimitChanged();
}

}  // namespace zv
