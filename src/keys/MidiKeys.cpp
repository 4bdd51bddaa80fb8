#include "keys/MidiKeys.h"

namespace zv {

PianoKey pianoKeyForSemitone(int semitone) {
    if (semitone < 0 || semitone >= kKeyCount) return {KeyColor::White, -1};
    // Within an octave: which key each of the 12 semitones is, and its index there.
    constexpr bool kWhite[12] = {true, false, true, false, true, true, false, true, false, true, false, true};
    constexpr int kIndex[12] = {0, 0, 1, 1, 2, 3, 2, 4, 3, 5, 4, 6};
    const int octave = semitone / 12, step = semitone % 12;
    return kWhite[step] ? PianoKey{KeyColor::White, 7 * octave + kIndex[step]}
                        : PianoKey{KeyColor::Black, 5 * octave + kIndex[step]};
}

int semitoneOfKey(PianoKey key) {
    for (int s = 0; s < kKeyCount; ++s)
        if (pianoKeyForSemitone(s) == key) return s;
    return -1;
}

}  // namespace zv
