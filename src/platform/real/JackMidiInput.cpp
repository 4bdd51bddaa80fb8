#include "platform/real/JackMidiInput.h"

#include <jack/jack.h>
#include <jack/midiport.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string_view>

#include "platform/MidiMessages.h"

namespace zv {

namespace {

// How long after a socket appeared a failed open on it is tried again (once a look).
constexpr std::time_t kNewSocketSeconds = 10;

// A server socket that exists: its path with its identity (inode and change time),
// and when it was made.
struct Socket {
    std::string identity;
    std::time_t changed;
};

// The sockets a client of this user would reach a server through. jackd (JACK 2)
// listens on /dev/shm/jack_<server>_<uid>_0 (without the uid when started
// promiscuous), the server's name coming from JACK_DEFAULT_SERVER; PipeWire's libjack
// talks to the PipeWire daemon's socket instead.
std::vector<Socket> presentSockets() {
    const char* name = std::getenv("JACK_DEFAULT_SERVER");
    const std::string server = name && *name ? name : "default";
    std::vector<std::string> candidates{"/dev/shm/jack_" + server + "_" + std::to_string(getuid()) + "_0",
                                        "/dev/shm/jack_" + server + "_0"};
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime) {
        const char* remote = std::getenv("PIPEWIRE_REMOTE");
        candidates.push_back(std::string(runtime) + "/" + (remote && *remote ? remote : "pipewire-0"));
    }
    std::vector<Socket> present;
    for (const auto& path : candidates) {
        struct stat st {};
        if (stat(path.c_str(), &st) == 0 && S_ISSOCK(st.st_mode))
            present.push_back({path + "@" + std::to_string(st.st_ino) + ":" + std::to_string(st.st_ctim.tv_sec) + "." +
                                   std::to_string(st.st_ctim.tv_nsec),
                               st.st_ctim.tv_sec});
    }
    return present;
}

void say(const char* what, const std::string& source) {
    std::printf("MIDI: %s %s\n", what, source.c_str());
    std::fflush(stdout);
}

}  // namespace

JackMidiInput::JackMidiInput(const char* clientName, const char* portName, NoteHandler handler, void* user)
    : clientName_(clientName), portName_(portName), handler_(handler), user_(user) {}

JackMidiInput::~JackMidiInput() { closeClient(); }

bool JackMidiInput::serverMayRun() {
    const auto sockets = presentSockets();
    if (sockets.empty()) {
        failedSockets_.clear();
        return false;
    }
    // A failed open costs far more than a look at the sockets (about 0.6 ms of CPU):
    // it is not repeated while the sockets stay the same, unless one of them is new. A
    // server makes its socket before it takes clients, so an open that came too early
    // is tried again for a while.
    const std::time_t now = std::time(nullptr);
    for (const auto& s : sockets)
        if (now - s.changed < kNewSocketSeconds) return true;
    std::vector<std::string> ids;
    for (const auto& s : sockets) ids.push_back(s.identity);
    return ids != failedSockets_;
}

bool JackMidiInput::openClient() {
    jack_status_t status{};
    client_ = jack_client_open(clientName_.c_str(), JackNoStartServer, &status);
    if (!client_) {
        failedSockets_.clear();
        for (const auto& s : presentSockets()) failedSockets_.push_back(s.identity);
        return false;
    }
    failedSockets_.clear();
    serverGone_ = false;
    // Called on a thread of libjack's when the server stops: the client is closed at
    // the next look.
    jack_on_info_shutdown(
        client_, [](jack_status_t, const char*, void* self) { static_cast<JackMidiInput*>(self)->serverGone_ = true; },
        this);
    jack_set_process_callback(client_, &JackMidiInput::process, this);
    return true;
}

void JackMidiInput::closeClient() {
    if (!client_) return;
    // Closing deactivates first and waits for the process thread.
    jack_client_close(client_);
    client_ = nullptr;
    port_ = nullptr;
    active_ = false;
    for (const auto& s : sources_) say("disconnected", s);
    sources_.clear();
}

bool JackMidiInput::activate() {
    if (active_) return true;
    // The port is registered before the client joins the cycle: process() only ever
    // sees it set.
    port_ = jack_port_register(client_, portName_.c_str(), JACK_DEFAULT_MIDI_TYPE, JackPortIsInput, 0);
    if (!port_) return false;
    if (jack_activate(client_) != 0) {
        jack_port_unregister(client_, port_);
        port_ = nullptr;
        return false;
    }
    active_ = true;
    return true;
}

void JackMidiInput::deactivate() {
    if (!active_) return;
    jack_deactivate(client_);  // returns once process() runs no more
    jack_port_unregister(client_, port_);
    port_ = nullptr;
    active_ = false;
}

void JackMidiInput::poll(bool alsaOpen) {
    if (client_ && serverGone_) closeClient();
    if (!client_ && (!serverMayRun() || !openClient())) return;

    std::vector<std::string> present;
    if (const char** ports = jack_get_ports(client_, nullptr, JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput)) {
        const std::string own = std::string(jack_get_client_name(client_)) + ":";
        for (const char** p = ports; *p; ++p)
            if (std::string_view(*p).substr(0, own.size()) != own) present.emplace_back(*p);
        jack_free(ports);
    }
    const auto changes =
        midi::sourceChanges(midi::Transport::Jack, present, {sources_.begin(), sources_.end()}, alsaOpen);
    for (const auto& name : changes.forget) {
        say("disconnected", name);
        sources_.erase(name);
    }
    for (const auto& name : changes.connect) {
        if (!activate()) continue;
        const int result = jack_connect(client_, name.c_str(), jack_port_name(port_));
        if (result != 0 && result != EEXIST) continue;  // tried again at the next look
        sources_.insert(name);
        say("connected", name);
    }
    // Nothing connected to the port (by this input or by anyone else): the server's
    // cycle has no work for the client, so it leaves the cycle.
    if (active_ && sources_.empty() && jack_port_connected(port_) == 0) deactivate();
}

int JackMidiInput::process(unsigned frames, void* self) {
    auto* in = static_cast<JackMidiInput*>(self);
    void* buffer = jack_port_get_buffer(in->port_, frames);
    const std::uint32_t count = jack_midi_get_event_count(buffer);
    for (std::uint32_t i = 0; i < count; ++i) {
        jack_midi_event_t event{};
        if (jack_midi_event_get(&event, buffer, i) != 0) continue;
        const int key = midi::pressedKey(event.buffer, event.size);
        if (key >= 0) in->handler_(key, in->user_);
    }
    return 0;
}

}  // namespace zv
