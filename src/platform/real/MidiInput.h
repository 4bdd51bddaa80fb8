// MIDI keyboards as an input device: an input named "Zorvanta" on the ALSA sequencer
// (through RtMidi) and on a running JACK server (platform/real/JackMidiInput.h;
// either, or both), connected to every MIDI source there, with sources plugged in
// later, and a JACK server started or restarted later, picked up within about a
// second. Other programs can connect to its ALSA input at any time, and to its JACK
// port while a source is connected to it (with none, it leaves JACK's cycle).
//
// It never starts a server (the JACK client opens with JackNoStartServer), prints
// nothing when there is no MIDI on the machine, and does all its probing, opening and
// polling on a thread of its own, so constructing it costs the caller no time. The one
// thing it prints is a line on stdout naming each source it connects or loses.
//
// Only note-ons press keys (see platform/MidiMessages.h); each press is handed to the
// thread that created the object, which must run a Qt event loop.
#pragma once

#include <functional>
#include <memory>

namespace zv {

class MidiInput {
public:
    // Where the input appears: client "Zorvanta", port "MIDI in".
    static constexpr const char* kClientName = "Zorvanta";
    static constexpr const char* kPortName = "MIDI in";

    MidiInput();
    // Closes every port and joins the threads; no handler runs after it returns.
    ~MidiInput();
    MidiInput(const MidiInput&) = delete;
    MidiInput& operator=(const MidiInput&) = delete;

    // The MIDI note number of each press, called on the creating
    // thread from its event loop. Presses before a handler is set are dropped.
    void setNoteHandler(std::function<void(int note)> handler);

private:
    struct Impl;
    std::unique_ptr<Impl> d_;
};

}  // namespace zv
