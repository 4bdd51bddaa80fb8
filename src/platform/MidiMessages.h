// MIDI messages to the notes they press, and which MIDI sources the input connects.
// Plain C++: no toolkit, no game.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace zv::midi {

// The key one complete MIDI message presses, as its MIDI note number (0..127), or -1
// (which key of the game's piano a note plays is the game's business, keys/MidiKeys.h).
// Only a note-on (any channel)
// with a velocity above 0 presses a key; a note-on with velocity 0 is a note-off,
// and note-offs, control changes, pitch bend, system and real-time messages, SysEx,
// a lone data byte of running status and anything short or malformed press nothing.
// A few comparisons, no allocation: cheap in a flood.
int pressedKey(const unsigned char* bytes, std::size_t size) noexcept;

// Where a source is listed: the ALSA sequencer or a JACK server.
enum class Transport { Alsa, Jack };

// Whether the input connects a source of that name (as its transport lists it) by
// itself. Left out: ALSA's through port and PipeWire's own sequencer clients (they
// echo other programs' output), and, while the input is open on the ALSA sequencer
// too (`alsaOpen`), the JACK ports that bridge ALSA devices into JACK: the device is
// connected through ALSA already, and connecting it twice would press every key twice.
bool connectsSource(Transport transport, std::string_view name, bool alsaOpen) noexcept;

// What one look at a transport's sources changes: the connected sources to forget
// (their port is gone, or no longer one the input connects) and the listed ones to
// connect, each in its list's order.
struct SourceChanges {
    std::vector<std::string> forget;
    std::vector<std::string> connect;
};

// From the sources the transport lists now (`present`) and those the input holds
// (`connected`). A source forgotten once it vanished is connected again when it comes
// back, as a keyboard plugged out and in again is.
SourceChanges sourceChanges(Transport transport, const std::vector<std::string>& present,
                            const std::vector<std::string>& connected, bool alsaOpen);

}  // namespace zv::midi
