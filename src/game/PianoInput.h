// Playing the piano: a mouse-down on a white or black key or on a note plate, and
// the PC keyboard. A press sounds first, then, during a game that waits for an
// answer, is compared with the next note of the question.
#pragma once

#include <optional>

#include "game/GameObserver.h"
#include "keys/PianoKey.h"

namespace zv {

struct GameContext;
class AnswerJudge;
class GameFlow;

class PianoInput {
public:
    PianoInput(GameContext& ctx, AnswerJudge& judge, GameFlow& flow) : ctx_(ctx), judge_(judge), flow_(flow) {}

    // Any mouse button, or a finger (input Touch); the index is checked.
    void whiteKeyPressed(int index, InputKind input = InputKind::Mouse);
    void blackKeyPressed(int index, InputKind input = InputKind::Mouse);
    void notePlatePressed(int index, InputKind input = InputKind::Mouse);
    // A key code of the PC keyboard (keys/PcKeyMap.h): the key of a piano key plays
    // it when that key is usable; Esc stops a game, or quits the idle window.
    void pcKeyPressed(int keyCode);
    // A piano key pressed on another device (a MIDI keyboard unless told otherwise):
    // exactly what its PC key does.
    void pianoKeyPressed(PianoKey key, InputKind input = InputKind::Midi);
    // A sung note (MIDI note number), judged by pitch class: it presses, silently,
    // the usable key of its pitch class nearest its octave, as a click on that key
    // would; while an answer is awaited a note of the expected note's pitch class
    // presses that very key, and any other is a wrong answer. With every key of its
    // pitch class locked (greyed, or all keys while a question plays) it does
    // nothing. Returns the key that shows the note being held, if any.
    std::optional<PianoKey> sungNote(int midi);

private:
    void press(PianoKey key, InputKind input, bool sounding = true);

    GameContext& ctx_;
    AnswerJudge& judge_;
    GameFlow& flow_;
};

}  // namespace zv
