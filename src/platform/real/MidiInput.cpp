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
#include <thread>
#include <vector>

#include "platform/MidiMessages.h"
#include "platform/real/JackMidiInput.h"

namespace zv {

namespace {

constexpr auto kPollInterval = std::chrono::seconds(1);

// libjack reports a missing server ("Cannot connect to server socket ...") on stderr
// unless told otherwise; a machine without JACK is not an error for the game.
void quietJack(const char*) {}

// The ALSA sequencer is a kernel device; without it alsa-lib only prints errors.
bool alsaSequencerPresent() { return access("/dev/snd/seq", R_OK | W_OK) == 0; }

}  // namespace

struct MidiInput::Impl {
    // The ALSA sequencer's input through RtMidi: `port` is the input others connect to
    // and the object that lists the sources. RtMidi's ALSA input holds a single
    // connection, so each source gets an input of its own.
    struct Backend {
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

    // On RtMidi's ALSA input thread: a message.
    static void onMessage(double, std::vector<unsigned char>* message, void* user) {
        const int key = midi::pressedKey(message->data(), message->size());
        if (key >= 0) onPress(key, user);
    }

    // On JACK's process thread (or RtMidi's): a press, handed to the creating thread.
    static void onPress(int key, void* user) {
        auto* self = static_cast<Impl*>(user);
        QMetaObject::invokeMethod(
            &self->receiver, [self, key] { if (self->handler) self->handler(key); }, Qt::QueuedConnection);
    }

    static void onError(RtMidiError::Type type, const std::string&, void* user) {
        if (type != RtMidiError::WARNING && type != RtMidiError::DEBUG_WARNING)
            static_cast<Impl*>(user)->failed.store(true, std::memory_order_relaxed);
    }

    // A new ALSA input with its callbacks set, or null. RtMidi throws only from
    // its constructor (before an error callback exists); later errors reach onError.
    std::unique_ptr<RtMidiIn> openInput() {
        std::unique_ptr<RtMidiIn> in;
        try {
            in = std::make_unique<RtMidiIn>(RtMidi::LINUX_ALSA, kClientName);
        } catch (const RtMidiError&) {
            return nullptr;
        }
        in->setErrorCallback(&Impl::onError, this);
        in->ignoreTypes(true, true, true);  // SysEx, clock and active sensing never reach the callback
        in->setCallback(&Impl::onMessage, this);
        return in;
    }

    // One attempt: a failure would only repeat, and RtMidi reports a failed
    // constructor on stderr itself.
    void open(Backend& b) {
        if (b.tried) return;
        // The sequencer device may appear later, when a device is plugged: looked for again.
        if (!alsaSequencerPresent()) return;
        b.tried = true;
        failed = false;
        auto in = openInput();
        if (!in) return;
        in->openVirtualPort(kPortName);
        if (!failed) b.port = std::move(in);
    }

    void connect(Backend& b, unsigned index, const std::string& name) {
        failed = false;
        std::unique_ptr<RtMidiIn> own = openInput();
        if (!own) return;
        own->openPort(index, kPortName);
        if (failed) return;  // tried again at the next poll
        b.sources[name] = std::move(own);
        std::printf("MIDI: connected %s\n", name.c_str());
        std::fflush(stdout);
    }

    void poll(Backend& b) {
        if (!b.port) open(b);
        if (!b.port) return;
        std::vector<std::string> present, connected;
        const unsigned count = b.port->getPortCount();
        for (unsigned i = 0; i < count; ++i) present.push_back(b.port->getPortName(i));
        for (const auto& source : b.sources) connected.push_back(source.first);
        const auto changes = midi::sourceChanges(midi::Transport::Alsa, present, connected, false);
        // A source that went is forgotten, so that the same one plugged in again is
        // connected afresh: its old subscription went with its port.
        for (const auto& name : changes.forget) {
            std::printf("MIDI: disconnected %s\n", name.c_str());
            std::fflush(stdout);
            b.sources.erase(name);
        }
        for (const auto& name : changes.connect) {
            const auto index = std::find(present.begin(), present.end(), name) - present.begin();
            connect(b, static_cast<unsigned>(index), name);
        }
    }

    void run() {
        jack_set_error_function(quietJack);
        jack_set_info_function(quietJack);
        std::vector<RtMidi::Api> compiled;
        RtMidi::getCompiledApi(compiled);
        Backend alsa;
        // JACK without RtMidi: RtMidi's JACK input joins the server's cycle as soon as it
        // lists the ports, and a client in the cycle is woken every period.
        JackMidiInput jack(kClientName, kPortName, &Impl::onPress, this);
        const bool hasAlsa = std::find(compiled.begin(), compiled.end(), RtMidi::LINUX_ALSA) != compiled.end();
        std::unique_lock lock(mutex);
        while (!stopping) {
            lock.unlock();
            // ALSA first: with it open, the JACK side leaves out its bridges of ALSA devices.
            if (hasAlsa) poll(alsa);
            jack.poll(alsa.port != nullptr);
            lock.lock();
            wake.wait_for(lock, kPollInterval, [this] { return stopping; });
        }
        lock.unlock();
        // Closes the ALSA ports and joins RtMidi's threads; the JACK client closes as `jack` goes.
        alsa = Backend{};
    }
};

MidiInput::MidiInput() : d_(std::make_unique<Impl>()) {}

MidiInput::~MidiInput() = default;

void MidiInput::setNoteHandler(std::function<void(int key)> handler) { d_->handler = std::move(handler); }

}  // namespace zv
