#include "keyboard/KeyInput.h"

#include "game/GameContext.h"
#include "game/Judgment.h"
#include "game/Lifecycle.h"

namespace zv {

KeyInput::Mapped KeyInput::mapKey(int keyCode) {
    // The lower octave on the letter row Q..U with its black keys on the digits above,
    // the upper octave on Z..M with its black keys on the home row above.
    switch (keyCode) {
        case 'Q': return {true, 0};
        case 'W': return {true, 1};
        case 'E': return {true, 2};
        case 'R': return {true, 3};
        case 'T': return {true, 4};
        case 'Y': return {true, 5};
        case 'U': return {true, 6};
        case 'Z': return {true, 7};
        case 'X': return {true, 8};
        case 'C': return {true, 9};
        case 'V': return {true, 10};
        case 'B': return {true, 11};
        case 'N': return {true, 12};
        case 'M': return {true, 13};
        case '2': return {false, 0};
        case '3': return {false, 1};
        case '5': return {false, 2};
        case '6': return {false, 3};
        case '7': return {false, 4};
        case 'S': return {false, 5};
        case 'D': return {false, 6};
        case 'G': return {false, 7};
        case 'H': return {false, 8};
        case 'J': return {false, 9};
        default: return {true, -1};
    }
}

void KeyInput::press(bool white, int index) {
    FormVariables& v = ctx_.v;
    const PianoKey key{white ? KeyColor::White : KeyColor::Black, index};
    ctx_.ui.table.focusWindow();
    ctx_.playKey(key);
    if (v.Playing == kFalse || v.Phase == phase::Demonstration) return;
    // Only a press while an answer is awaited can be judged; the keys are locked at
    // every other moment of a game, so this bound only guards Melody's eight slots.
    if (v.NotePos >= v.NoteCount || v.NotePos >= kMelodySlots) return;
    if (makeToken(key) == v.Melody[v.NotePos]) {
        ++v.NotePos;
        if (v.NotePos == v.NoteCount) {
            std::int16_t right = kTrue;
            judgment_.SeikaiHandan(right);
        }
    } else {
        std::int16_t wrong = kFalse;
        judgment_.SeikaiHandan(wrong);
    }
}

void KeyInput::Command1_MouseDown(int index, int, int, float, float) {
    if (index >= 0 && index < kWhiteKeyCount) press(true, index);
}

void KeyInput::Command2_MouseDown(int index, int, int, float, float) {
    if (index >= 0 && index < kBlackKeyCount) press(false, index);
}

void KeyInput::Picture3_MouseDown(int index, int, int, float, float) {
    // A plate plays its white key only while that key itself could be played: a
    // locked key stays silent whichever way it is reached, as with its PC key.
    if (index < 0 || index >= kWhiteKeyCount || !ctx_.ui.Command1[index]->effectivelyEnabled()) return;
    Command1_MouseDown(index, 0, 0, 0, 0);
}

void KeyInput::Form_KeyDown(int keyCode, int) {
    if (keyCode == vk::Escape) {
        if (ctx_.ui.Command3->caption() == "START")
            ctx_.s.app.quit();
        else
            life_.GameOver();
        return;
    }
    const Mapped m = mapKey(keyCode);
    if (m.index < 0) return;
    Control* button = m.white ? ctx_.ui.Command1[m.index] : ctx_.ui.Command2[m.index];
    if (!button->enabled()) return;
    if (m.white)
        Command1_MouseDown(m.index, 0, 0, 0, 0);
    else
        Command2_MouseDown(m.index, 0, 0, 0, 0);
}

}  // namespace zv
