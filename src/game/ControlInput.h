// The one way a view's report of the player's actions enters the game. A view says
// what was done to which control in no toolkit's terms; this class applies the
// window's rules that no view may keep for itself (a control's value is stored before
// its handler runs, an option already chosen does nothing, the scroll bar's steps and
// wheel, a held key does not press a game button again) and calls the one handler of
// WindowEvents the control's role stands for.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "controls/ControlTable.h"
#include "game/WindowEvents.h"

namespace zv {

struct ControlAction {
    enum class Kind : std::uint8_t {
        Activated,  // clicked, or a mouse button went down on a key or plate (mouse)
        SetTo,      // the scroll bar set to value (a drag let go, Home, End)
        DraggedTo,  // the scroll bar's thumb dragged to value
        StepSmall,  // the scroll bar stepped by its small change: value +1 adds, -1 subtracts
        StepLarge,  // the same by its large change (a click in the trough, PageUp/PageDown)
        Wheel,      // the mouse wheel over the scroll bar: value in 1/120 notches, > 0 rolled away
    };
    Kind kind = Kind::Activated;
    int value = 0;
    bool repeat = false;  // activated by a held key's auto-repeat
    MouseDown mouse{};
};

// The name a view that is not C++ uses for an action ("activated", "stepSmall", ...).
std::optional<ControlAction::Kind> controlActionNamed(std::string_view name);
// Whether the pointer a view that is not C++ names ("mouse", "pen", "touch", as
// browsers name them) is a finger on a touch screen.
bool isTouchPointer(std::string_view name);

class ControlInput {
public:
    // Lines of the small change one notch of the wheel moves the scroll bar, at most
    // one large change (Shift or Ctrl: a large change a notch), as the desktop's bar.
    static constexpr int kWheelLines = 3;

    explicit ControlInput(WindowEvents& events) : events_(events) {}

    // What the player did to a control; nothing for a control disabled or hidden.
    void act(Control& control, const ControlAction& action);
    // A key press anywhere in the window, before the focused control acts on it: a
    // key code (keys/PcKeyMap.h), its modifiers and whether it is an auto-repeat.
    void keyPressed(int keyCode, int modifiers, bool repeat);
    // Whether the game acts on this key code whatever has the focus and whatever the
    // modifiers: a view keeps such a key from doing anything else.
    static bool takesKey(int keyCode);

private:
    void chooseOption(Control& option);
    void toggleCheck(Control& check);
    void moveBar(Control& bar, const ControlAction& action);
    void clicked(const Control& button);

    WindowEvents& events_;
    std::optional<int> dragStart_;  // the bar's value when its thumb was taken
    int wheelRest_ = 0;             // less than a line of wheel movement, kept for the next
};

}  // namespace zv
