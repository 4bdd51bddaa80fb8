// The piano key a MIDI note plays: the note folded into the piano's two octaves, and
// the key a semitone of those is, counting from the lowest key (0, the lowest C) to
// the highest (23, the highest B). A MIDI keyboard's or the voice's note so reaches
// the same press as the PC key of that piano key.
#pragma once

#include "controls/WindowControls.h"
#include "keys/PianoKey.h"

namespace zv {

// The piano's keys are the 24 semitones from C4 (MIDI note 60) up to B5 (note 83).
inline constexpr int kLowestNote = 60;
inline constexpr int kKeyCount = kWhiteKeyCount + kBlackKeyCount;

// The semitone above C4 (0..23) a MIDI note plays: a note inside 60..83 plays itself;
// one below or above moves by whole octaves to the nearest octave of the piano (48
// and 36 play C4, 84 and 96 play C5). So a keyboard reaches the keys of the pitches
// it has in the octaves it plays into: a 25-key keyboard at its usual octave (notes
// 48..72) plays the lower octave and the upper C only, and its octave switch one
// octave up (60..84) reaches all 24. -1 for a value that is no note.
constexpr int semitoneOfNote(int note) noexcept {
    if (note < 0 || note > 127) return -1;
    if (note < kLowestNote) return note % 12;                    // into the lower octave
    if (note >= kLowestNote + kKeyCount) return 12 + note % 12;  // into the upper octave
    return note - kLowestNote;
}

// White keys on C D E F G A B, black keys on the sharps; index -1 outside 0..23.
PianoKey pianoKeyForSemitone(int semitone);
// The other way: a key's semitone above the lowest C (0..23), -1 for no key.
int semitoneOfKey(PianoKey key);
// The key a MIDI note plays (index -1 for no note).
inline PianoKey pianoKeyForNote(int note) { return pianoKeyForSemitone(semitoneOfNote(note)); }

}  // namespace zv
