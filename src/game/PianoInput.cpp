#include "game/PianoInput.h"

#include "game/AnswerJudge.h"
#include "game/GameContext.h"
#include "game/GameFlow.h"
#include "keys/MidiKeys.h"
#include "keys/PcKeyMap.h"

namespace zv {

void PianoInput::press(PianoKey key, InputKind input, bool sounding) {
    GameState& state = ctx_.state;
    ctx_.ui.table.focusWindow();
    if (sounding) ctx_.playKey(key);
    if (!state.answering || state.phase == Phase::Demonstration) return;
    // Only a press while an answer is awaited can be judged; the keys are locked at
    // every other moment of a game, so this bound only guards the melody's slots.
    if (state.notePos >= ctx_.settings.notesPerQuestion || state.notePos >= kMelodySlots) return;
    if (makeToken(key) == state.melody[state.notePos]) {
        ++state.notePos;
        if (state.notePos == ctx_.settings.notesPerQuestion) judge_.judgeAnswer(true, key, input);
    } else {
        judge_.judgeAnswer(false, key, input);
    }
}

void PianoInput::whiteKeyPressed(int index, InputKind input) {
    if (index >= 0 && index < kWhiteKeyCount) press({KeyColor::White, index}, input);
}

void PianoInput::blackKeyPressed(int index, InputKind input) {
    if (index >= 0 && index < kBlackKeyCount) press({KeyColor::Black, index}, input);
}

void PianoInput::notePlatePressed(int index, InputKind input) {
    // A plate plays its white key only while that key itself could be played: a
    // locked key stays silent whichever way it is reached, as with its PC key.
    pianoKeyPressed({KeyColor::White, index}, input);
}

void PianoInput::pcKeyPressed(int keyCode) {
    if (keyCode == keycode::Escape) {
        if (ctx_.state.inProgress)
            flow_.endGame();
        else
            flow_.quit();
        return;
    }
    if (const auto key = pianoKeyForKeyCode(keyCode)) pianoKeyPressed(*key, InputKind::Keys);
}

void PianoInput::pianoKeyPressed(PianoKey key, InputKind input) {
    const Control* button = ctx_.keyboard.button(key);
    if (!button || !button->enabled()) return;
    press(key, input);
}

std::optional<PianoKey> PianoInput::sungNote(int note) {
    const GameState& state = ctx_.state;
    // The piano's key of that note in the octave nearest the voice's, as a MIDI
    // keyboard's note plays.
    const int semitone = semitoneOfNote(note);
    if (semitone < 0) return std::nullopt;  // no note: no key
    PianoKey key = pianoKeyForSemitone(semitone);
    const bool awaited = state.answering && state.phase != Phase::Demonstration &&
                         state.notePos < ctx_.settings.notesPerQuestion && state.notePos < kMelodySlots;
    if (awaited) {
        if (const auto expected = readToken(state.melody[state.notePos]);
            expected && semitoneOfKey(*expected) % 12 == semitone % 12)
            key = *expected;
    }
    // A note presses only a key a click could press: a locked (greyed) key, or every
    // key while a question plays, shows nothing. The same pitch class an octave away
    // may be usable.
    const auto usable = [this](PianoKey k) { const Control* b = ctx_.keyboard.button(k); return b && b->enabled(); };
    if (!usable(key)) {
        const PianoKey other = pianoKeyForSemitone(semitone < 12 ? semitone + 12 : semitone - 12);
        if (!usable(other)) return std::nullopt;
        key = other;
    }
    press(key, InputKind::Voice, false);
    return key;
}

}  // namespace zv
