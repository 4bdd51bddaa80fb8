#include "platform/real/VoiceInput.h"

#include <QObject>
#include <SDL.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <thread>

#include "platform/real/SdlAudio.h"
#include "platform/voice/VoiceListener.h"

namespace zv {

namespace {
// 20 ms of capture per callback (two analysis hops): little waiting in buffers, and
// half the wake-ups of one hop a callback.
constexpr int kCaptureFrames = 2 * voice::kHop;
constexpr auto kRetryInterval = std::chrono::seconds(2);
constexpr auto kWatchInterval = std::chrono::milliseconds(500);
}  // namespace

struct VoiceInput::Impl {
    SdlSound& sound;
    QObject receiver;                           // on the creating thread: notes are queued to it
    std::function<void(int, bool)> handler;     // used on the creating thread only
    voice::ReferenceTap reference{SdlSound::kRate};  // what the post-mix hook hands it
    voice::VoiceListener listener;              // used on SDL's capture thread only
    std::mutex mutex;
    std::condition_variable wake;
    bool stopping = false;
    std::thread worker;

    explicit Impl(SdlSound& s)
        : sound(s), listener(reference, [this](const voice::SungNote& n) { deliver(n); }) {
        sound.setPostMixHook([this](const std::uint8_t* data, int bytes) {
            const int frame = sound.deviceChannels() * static_cast<int>(sizeof(std::int16_t));
            reference.played(reinterpret_cast<const std::int16_t*>(data), bytes / frame, sound.deviceChannels(), steadyNs());
        });
        worker = std::thread([this] { run(); });
    }

    ~Impl() {
        {
            std::lock_guard lock(mutex);
            stopping = true;
        }
        wake.notify_all();
        worker.join();  // the device is closed: no capture callback runs any more
        sound.setPostMixHook({});
    }

    // On the capture thread: a note found; the window's thread acts on it.
    void deliver(const voice::SungNote& note) {
        const bool on = note.kind == voice::SungNote::Kind::Start;
        const int midi = note.midi;
        QMetaObject::invokeMethod(
            &receiver, [this, midi, on] { if (handler) handler(midi, on); }, Qt::QueuedConnection);
    }

    static void onCapture(void* self, std::uint8_t* stream, int len) {
        static_cast<Impl*>(self)->listener.captured(reinterpret_cast<const std::int16_t*>(stream),
                                                    static_cast<std::size_t>(len) / sizeof(std::int16_t), steadyNs());
    }

    SDL_AudioDeviceID open() {
        SDL_AudioSpec want{}, have{};
        want.freq = voice::kRate;
        want.format = AUDIO_S16SYS;
        want.channels = 1;
        want.samples = kCaptureFrames;
        want.callback = &Impl::onCapture;
        want.userdata = this;
        // No changes allowed: SDL converts whatever the microphone gives to this format.
        const SDL_AudioDeviceID device = SDL_OpenAudioDevice(nullptr, 1, &want, &have, 0);
        if (device) SDL_PauseAudioDevice(device, 0);
        return device;
    }

    // Opens the microphone, watches it, and opens it again when it is lost (the sound
    // server restarted, the device unplugged).

    void run() {
        bool subsystem = startSdlAudio();
        bool reported = false;
        SDL_AudioDeviceID device = 0;
        std::unique_lock lock(mutex);
        while (!stopping) {
            lock.unlock();
            if (device && SDL_GetAudioDeviceStatus(device) == SDL_AUDIO_STOPPED) {
                // The server went away: its driver is stale, and is let go with the device.
                SDL_CloseAudioDevice(device);
                device = 0;
                stopSdlAudio();
                subsystem = false;
            }
            if (!device) {
                if (!subsystem) subsystem = startSdlAudio();
                if (subsystem) device = open();
                // A driver whose server went away stays broken: started afresh next time.
                if (!device && subsystem) {
                    stopSdlAudio();
                    subsystem = false;
                }
                if (device) {
                    std::printf("Voice: listening\n");
                    std::fflush(stdout);
                    reported = false;
                } else if (!reported) {
                    std::fprintf(stderr, "zorvanta: no microphone (%s); singing is off until one is found\n",
                                 SDL_GetError());
                    reported = true;
                }
            }
            lock.lock();
            wake.wait_for(lock, device ? std::chrono::duration_cast<std::chrono::milliseconds>(kWatchInterval)
                                       : std::chrono::duration_cast<std::chrono::milliseconds>(kRetryInterval),
                          [this] { return stopping; });
        }
        lock.unlock();
        if (device) SDL_CloseAudioDevice(device);
        if (subsystem) stopSdlAudio();
        SDL_TLSCleanup();
    }
};

VoiceInput::VoiceInput(SdlSound& sound) : d_(std::make_unique<Impl>(sound)) {}

VoiceInput::~VoiceInput() = default;

void VoiceInput::setNoteHandler(std::function<void(int, bool)> handler) { d_->handler = std::move(handler); }

}  // namespace zv
