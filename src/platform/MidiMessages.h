// MIDI messages to presses of the two-octave piano. Plain C++: no toolkit, no game.
#pragma once

#include <cstddef>

namespace zv::midi {

// The piano's keys are the 24 semitones from C4 (MIDI note 60) up to B5 (note 83).
inline constexpr int kLowestNote = 60;
inline constexpr int kKeyCount = 24;

// The key a MIDI note plays, in semitones above C4 (0..23): a note inside 60..83
// plays itself; one below or above moves by whole octaves to the nearest octave of
// the piano (48 and 36 play C4, 84 and 96 play C5), so any keyboard, whatever its
// range or octave switch, reaches every key. -1 for a value that is no note.
int keyOfNote(int note) noexcept;

// The key one complete MIDI message presses, or -1. Only a note-on (any channel)
// with a velocity above 0 presses a key; a note-on with velocity 0 is a note-off,
// and note-offs, control changes, pitch bend, system and real-time messages, SysEx,
// a lone data byte of running status and anything short or malformed press nothing.
// A few comparisons, no allocation: cheap in a flood.
int pressedKey(const unsigned char* bytes, std::size_t size) noexcept;

}  // namespace zv::midi
