// The browser view's half in WebAssembly: describes every control of the table to
// the page as JSON, hands the page each change as it happens (one listener), and
// turns the page's reports of user actions into calls of WindowEvents.
#pragma once

#include <string>

#include "controls/ControlTable.h"
#include "game/WindowEvents.h"

namespace zv {

// What the page reports; web/page/view.js numbers them the same way.
enum class PageAction {
    WhiteKey = 0,
    BlackKey,
    NotePlate,
    StartStop,
    Replay,
    ShowAnswer,
    NextQuestion,
    ModeOption,
    DifficultyOption,
    KeyRangeOption,
    NoLimitCheck,
    NoteNamesCheck,
    AskDemonstrationCheck,
    TimeLimitChanged,
    TimeLimitDragged,
};

class WebView {
public:
    WebView(ControlTable& table, WindowEvents& events);
    ~WebView();
    WebView(const WebView&) = delete;
    WebView& operator=(const WebView&) = delete;

    // Every control as a JSON array, in the table's (stacking) order.
    std::string describeAll() const;
    // One action of the player. For options, check boxes and the bar, value is the
    // control's new value, stored before the handler runs (the handler reads it).
    void act(PageAction action, int index, const MouseDown& mouse, int value);

private:
    std::string describe(const Control& c) const;
    int numberOf(const Control* c) const;

    ControlTable& table_;
    WindowEvents& events_;
};

}  // namespace zv
