// The piano key a semitone plays, counting from the lowest key (0, the lowest C) to
// the highest (23, the highest B): how a MIDI note, once folded into the piano's two
// octaves, reaches the same press as the PC key of that piano key.
#pragma once

#include "keys/PianoKey.h"

namespace zv {

// White keys on C D E F G A B, black keys on the sharps; index -1 outside 0..23.
PianoKey pianoKeyForSemitone(int semitone);
// The other way: a key's semitone above the lowest C (0..23), -1 for no key.
int semitoneOfKey(PianoKey key);

}  // namespace zv
