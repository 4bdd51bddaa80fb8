// The MIDI input's side on a JACK server (or PipeWire's JACK), in libjack directly.
//
// A running server is looked for by its socket, which costs a few stat() calls: no
// client is opened while none runs. With a server, the client opens but stays
// inactive (JACK then never wakes it), watching the server's MIDI sources; it
// registers its port and joins the server's cycle only while a source is connected to
// the port, and leaves it again once none is. A server that stops is noticed (the
// client is closed, its sources forgotten), and a later one is found at the next look.
// It never starts a server (JackNoStartServer).
//
// Not thread-safe: poll() and the destructor are called from one thread; the note
// handler runs on JACK's process thread.
#pragma once

#include <atomic>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

typedef struct _jack_client jack_client_t;
typedef struct _jack_port jack_port_t;

namespace zv {

class JackMidiInput {
public:
    // A press: the piano key 0..23 (platform/MidiMessages.h), on the process thread.
    using NoteHandler = void (*)(int key, void* user);

    JackMidiInput(const char* clientName, const char* portName, NoteHandler handler, void* user);
    ~JackMidiInput();  // closes the client; no handler runs after it returns
    JackMidiInput(const JackMidiInput&) = delete;
    JackMidiInput& operator=(const JackMidiInput&) = delete;

    // One look: closes the client of a server that stopped, opens one on a server
    // that runs, forgets the sources that went and connects the new ones (all but
    // JACK's bridges of ALSA devices while `alsaOpen`). Prints a line on stdout for
    // each source connected or lost.
    void poll(bool alsaOpen);

    // Whether the client is in the server's cycle (for tests and benchmarks).
    bool active() const { return active_; }

private:
    bool serverMayRun();
    bool openClient();
    void closeClient();
    bool activate();
    void deactivate();
    static int process(unsigned frames, void* self);

    const std::string clientName_;
    const std::string portName_;
    const NoteHandler handler_;
    void* const user_;

    jack_client_t* client_ = nullptr;
    jack_port_t* port_ = nullptr;  // registered while active
    bool active_ = false;
    std::atomic<bool> serverGone_{false};
    std::set<std::string> sources_;  // connected, by full port name
    // The server sockets seen when opening a client last failed: not tried again
    // until one of them changes (a server restarted, a stale socket replaced).
    std::vector<std::string> failedSockets_;
};

}  // namespace zv
