#include "platform/real/MidiInput.h"

#include <QObject>
#include <RtMidi.h>
#include <jack/jack.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <map>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "platform/MidiMessages.h"

namespace zv {

namespace {

constexpr auto kPollInterval = std::chrono::seconds(1);

// libjack reports a missing server ("Cannot connect to server socket ...") on stderr
// unless told otherwise; a machine without JACK is not an error for the game.
void quietJack(const char*) {}

bool startsWith(std::string_view s, std::string_view prefix) { return s.substr(0, prefix.size()) == prefix; }

// Sources not to connect: ALSA's through port and PipeWire's own sequencer clients
// (they echo other programs' output), and, while the ALSA sequencer is open, the
// JACK ports that bridge ALSA devices into JACK — the device is already connected
// through ALSA, and connecting it twice would press every key twice.
bool skipped(RtMidi::Api api, const std::string& name, bool alsaOpen) {
    if (api == RtMidi::LINUX_ALSA) return startsWith(name, "Midi Through:") || startsWith(name, "PipeWire-");
    if (!alsaOpen) return false;
    for (std::string_view bridge : {"a2j:", "Midi-Bridge:", "alsa_midi:", "system:midi_capture_"})
        if (startsWith(name, bridge)) return true;
    return false;
}

// Whether a JACK server is running, asked without starting one. RtMidi would print
// a warning of its own while constructing a client for a missing server, before its
// error callback can be set, so the server is looked for first.
bool jackServerRunning() {
    jack_status_t status{};
    jack_client_t* client = jack_client_open(MidiInput::kClientName, JackNoStartServer, &status);
    if (!client) return false;
    jack_client_close(client);
    return true;
}

// The ALSA sequencer is a kernel device; without it alsa-lib only prints errors.
bool alsaSequencerPresent() { return access("/dev/snd/seq", R_OK | W_OK) == 0; }

}  // namespace

struct MidiInput::Impl {
    // One API's input: `port` is the input others connect to and the object that lists
    // the sources. Under JACK every source is connected to that one port; RtMidi's ALSA
    // input holds a single connection, so each ALSA source gets an input of its own.
    struct Backend {
        RtMidi::Api api;
        std::unique_ptr<RtMidiIn> port;
        std::map<std::string, std::unique_ptr<RtMidiIn>> sources;  // connected, by name
        bool tried = false;  // opened once, or given up: never tried again
    };

    QObject receiver;                      // on the creating thread: presses are queued to it
    std::function<void(int)> handler;      // used on the creating thread only
    std::mutex mutex;
    std::condition_variable wake;
    bool stopping = false;
    std::atomic<bool> failed{false};       // an RtMidi call just reported an error
    std::thread worker;

    Impl() : worker([this] { run(); }) {}

    ~Impl() {
        {
            std::lock_guard lock(mutex);
            stopping = true;
        }
        wake.notify_all();
        worker.join();  // the worker closes every input before it ends
    }

    // On RtMidi's thread (ALSA's input thread, JACK's process thread): a message.
    static void onMessage(double, std::vector<unsigned char>* message, void* user) {
        const int key = midi::pressedKey(message->data(), message->size());
        if (key < 0) return;
        auto* self = static_cast<Impl*>(user);
        QMetaObject::invokeMethod(
            &self->receiver, [self, key] { if (self->handler) self->handler(key); }, Qt::QueuedConnection);
    }

    static void onError(RtMidiError::Type type, const std::string&, void* user) {
        if (type != RtMidiError::WARNING && type != RtMidiError::DEBUG_WARNING)
            static_cast<Impl*>(user)->failed.store(true, std::memory_order_relaxed);
    }

    // A new input of the API with its callbacks set, or null. RtMidi throws only from
    // its constructor (before an error callback exists); later errors reach onError.
    std::unique_ptr<RtMidiIn> openInput(RtMidi::Api api) {
        std::unique_ptr<RtMidiIn> in;
        try {
            in = std::make_unique<RtMidiIn>(api, kClientName);
        } catch (const RtMidiError&) {
            return nullptr;
        }
        in->setErrorCallback(&Impl::onError, this);
        in->ignoreTypes(true, true, true);  // SysEx, clock and active sensing never reach the callback
        in->setCallback(&Impl::onMessage, this);
        return in;
    }

    // One attempt per API: a failure would only repeat, and RtMidi reports a failed
    // constructor on stderr itself.
    void open(Backend& b) {
        if (b.tried) return;
        // The sequencer device may appear later, when a device is plugged: looked for again.
        if (b.api == RtMidi::LINUX_ALSA && !alsaSequencerPresent()) return;
        b.tried = true;
        // A failed look costs about a millisecond of CPU, so a server is looked for
        // once, at start: JACK and PipeWire run from the session's start.
        if (b.api == RtMidi::UNIX_JACK && !jackServerRunning()) return;
        failed = false;
        auto in = openInput(b.api);
        if (!in) return;
        in->openVirtualPort(kPortName);
        if (!failed) b.port = std::move(in);
    }

    void connect(Backend& b, unsigned index, const std::string& name) {
        failed = false;
        std::unique_ptr<RtMidiIn> own;
        if (b.api == RtMidi::UNIX_JACK) {
            b.port->openPort(index, kPortName);  // one more connection to the same port
        } else {
            own = openInput(b.api);
            if (!own) return;
            own->openPort(index, kPortName);
        }
        if (failed) return;  // tried again at the next poll
        b.sources[name] = std::move(own);
        std::printf("MIDI: connected %s\n", name.c_str());
        std::fflush(stdout);
    }

    void poll(Backend& b, bool alsaOpen) {
        if (!b.port) open(b);
        if (!b.port) return;
        std::vector<std::string> present;
        const unsigned count = b.port->getPortCount();
        for (unsigned i = 0; i < count; ++i) present.push_back(b.port->getPortName(i));
        for (auto it = b.sources.begin(); it != b.sources.end();) {
            if (std::find(present.begin(), present.end(), it->first) != present.end()) {
                ++it;
                continue;
            }
            std::printf("MIDI: disconnected %s\n", it->first.c_str());
            std::fflush(stdout);
            it = b.sources.erase(it);
        }
        for (unsigned i = 0; i < present.size(); ++i) {
            const std::string& name = present[i];
            if (name.empty() || b.sources.count(name) || skipped(b.api, name, alsaOpen)) continue;
            connect(b, i, name);
        }
    }

    void run() {
        jack_set_error_function(quietJack);
        jack_set_info_function(quietJack);
        std::vector<RtMidi::Api> compiled;
        RtMidi::getCompiledApi(compiled);
        std::vector<Backend> backends;
        // ALSA first: with it open, the JACK side leaves out its bridges of ALSA devices.
        for (RtMidi::Api api : {RtMidi::LINUX_ALSA, RtMidi::UNIX_JACK})
            if (std::find(compiled.begin(), compiled.end(), api) != compiled.end()) backends.push_back({api, {}, {}});
        std::unique_lock lock(mutex);
        while (!stopping) {
            lock.unlock();
            bool alsaOpen = false;
            for (Backend& b : backends) {
                poll(b, alsaOpen);
                if (b.api == RtMidi::LINUX_ALSA) alsaOpen = b.port != nullptr;
            }
            lock.lock();
            wake.wait_for(lock, kPollInterval, [this] { return stopping; });
        }
        lock.unlock();
        backends.clear();  // closes the ports and joins RtMidi's threads
    }
};

MidiInput::MidiInput() : d_(std::make_unique<Impl>()) {}

MidiInput::~MidiInput() = default;

void MidiInput::setNoteHandler(std::function<void(int key)> handler) { d_->handler = std::move(handler); }

}  // namespace zv
