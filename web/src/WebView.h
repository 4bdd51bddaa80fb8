// The browser view's half in WebAssembly: describes every control of the table to
// the page as JSON, hands the page each change as it happens (one listener), and
// hands the page's reports of the player's actions to the game's ControlInput.
#pragma once

#include <string>
#include <vector>

#include "controls/ControlTable.h"
#include "game/ControlInput.h"
#include "keys/PianoKey.h"

namespace zv {

class WebView {
public:
    WebView(ControlTable& table, WindowEvents& events);
    ~WebView();
    WebView(const WebView&) = delete;
    WebView& operator=(const WebView&) = delete;

    // What the page needs at start, as JSON: the window's caption, every control in
    // the table's (stacking) order, the key codes the game takes and the names of
    // the sounds it plays.
    std::string describeAll(const std::vector<std::string>& sounds) const;
    // One action of the player on control number n (its place in the table).
    void act(int n, const ControlAction& action);
    // The control number of a piano key's button (-1: none).
    int numberOfKey(const PianoKey& key) const;
    // A key press anywhere in the page.
    void keyPressed(int keyCode, int modifiers, bool repeat) { input_.keyPressed(keyCode, modifiers, repeat); }

private:
    std::string describe(const Control& c) const;
    int numberOf(const Control* c) const;

    ControlTable& table_;
    ControlInput input_;
};

}  // namespace zv
