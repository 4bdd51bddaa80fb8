// Everything the player can do to the main window, one call per kind of action. The
// game (Game) implements it; the view calls it for each user action on a widget.
// Mouse handlers take the button (left 1, right 2, middle 4), the modifiers (Shift
// 1, Ctrl 2, Alt 4), the position in twips and whether a finger on a touch screen
// pressed (a touch presses as the left button); the game acts on any button.
#pragma once

namespace zv {

struct MouseDown {
    int button = 1;
    int modifiers = 0;
    float x = 0;
    float y = 0;
    bool touch = false;
};

class WindowEvents {
public:
    virtual ~WindowEvents() = default;
    // A key code of the PC keyboard (keys/PcKeyMap.h) and its modifiers.
    virtual void pcKeyPressed(int keyCode, int modifiers) = 0;
    virtual void whiteKeyPressed(int index, MouseDown mouse) = 0;
    virtual void blackKeyPressed(int index, MouseDown mouse) = 0;
    virtual void notePlatePressed(int index, MouseDown mouse) = 0;
    virtual void startStopClicked() = 0;
    virtual void replayClicked() = 0;
    virtual void showAnswerClicked() = 0;
    virtual void nextQuestionClicked() = 0;
    virtual void difficultyChosen(int index) = 0;
    virtual void modeChosen(int index) = 0;
    virtual void keyRangeChosen(int index) = 0;
    virtual void noLimitClicked() = 0;
    virtual void noteNamesClicked() = 0;
    // The time-limit bar: moved and let go (or stepped), and each move of a drag.
    virtual void timeLimitChanged() = 0;
    virtual void timeLimitDragged() = 0;
};

}  // namespace zv
