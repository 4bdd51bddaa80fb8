#include "platform/real/SdlSound.h"

#include "platform/real/SdlAudio.h"

#include <SDL.h>
#include <dlfcn.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace zv {

namespace {

// alsa-lib reports every failed lookup of a sound card on stderr through its error
// handler, a dozen lines when the machine has no card. SDL loads the library at run
// time; install a silent handler in that same library (if it is there at all) so
// that the one line this class prints is all the user sees.
void silentAlsaError(const char*, int, const char*, int, const char*, ...) {}

void silenceAlsa() {
    static bool done = false;  // only the background thread calls this
    if (done) return;
    done = true;
    void* lib = dlopen("libasound.so.2", RTLD_LAZY | RTLD_LOCAL);
    if (!lib) return;
    using Handler = void (*)(const char*, int, const char*, int, const char*, ...);
    using SetHandler = int (*)(Handler);
    if (auto set = reinterpret_cast<SetHandler>(dlsym(lib, "snd_lib_error_set_handler"))) set(&silentAlsaError);
    // The library stays loaded: SDL uses the same instance and the handler must outlive it.
}

bool isPlayableFile(const std::string& path) {
    std::error_code ec;
    const std::filesystem::path p(path);
    // Only regular files: a directory decodes to nothing and a FIFO would block open().
    if (!std::filesystem::is_regular_file(p, ec) || ec) return false;
    const auto size = std::filesystem::file_size(p, ec);
    return !ec && size > 0 && size <= SdlSound::kMaxFileBytes;
}

// A WAV file (PCM, float, ADPCM, A-law or µ-law: what SDL_LoadWAV reads) converted
// to the device format; null when it is not one, or empty, or too large.
std::unique_ptr<const SdlSound::Samples> decodeWav(const std::string& path) {
    if (!isPlayableFile(path)) return nullptr;
    SDL_RWops* rw = SDL_RWFromFile(path.c_str(), "rb");
    if (!rw) return nullptr;
    SDL_AudioSpec source{};
    Uint8* data = nullptr;
    Uint32 length = 0;
    if (!SDL_LoadWAV_RW(rw, 1, &source, &data, &length)) return nullptr;
    std::unique_ptr<SdlSound::Samples> out;
    SDL_AudioCVT cvt{};
    if (length > 0 &&
        SDL_BuildAudioCVT(&cvt, source.format, source.channels, source.freq, AUDIO_S16SYS, SdlSound::kChannels,
                          SdlSound::kRate) >= 0 &&
        static_cast<std::size_t>(length) * static_cast<std::size_t>(cvt.len_mult) <= SdlSound::kMaxDecodedBytes) {
        out = std::make_unique<SdlSound::Samples>(static_cast<std::size_t>(length) * cvt.len_mult);
        std::memcpy(out->data(), data, length);
        cvt.buf = out->data();
        cvt.len = static_cast<int>(length);
        if (!cvt.needed) {
            out->resize(length);
        } else if (SDL_ConvertAudio(&cvt) == 0) {
            out->resize(static_cast<std::size_t>(cvt.len_cvt));
        } else {
            out.reset();
        }
    }
    SDL_FreeWAV(data);
    // Whole frames only: the callback copies frames, never half of one.
    const std::size_t frame = SdlSound::kChannels * sizeof(Sint16);
    if (out) out->resize(out->size() / frame * frame);
    if (out && out->empty()) out.reset();
    return out;
}

}  // namespace

SdlSound::SdlSound(int bufferFrames, int lingerMs)
    : bufferFrames_(bufferFrames > 0 ? bufferFrames : kDefaultBufferFrames),
      lingerMs_(lingerMs >= 0 ? lingerMs : kDefaultLingerMs) {
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    // A WAV file whose data stops early is refused rather than played in part.
    SDL_SetHint(SDL_HINT_WAVE_TRUNCATION, "strict");
    // How the sound server lists the program's stream.
    SDL_SetHint(SDL_HINT_AUDIO_DEVICE_APP_NAME, "Zorvanta");
    SDL_SetHint(SDL_HINT_AUDIO_DEVICE_STREAM_NAME, "Sounds");
}

SdlSound::~SdlSound() {
    if (!worker_.joinable()) return;
    {
        std::lock_guard lock(controlMutex_);
        quit_ = true;
    }
    wake_.notify_all();
    worker_.join();  // closes the device before the cached samples go
}

std::uint16_t SdlSound::deviceFormat() const { return AUDIO_S16SYS; }

std::string SdlSound::failure() const {
    std::lock_guard lock(controlMutex_);
    return failure_;
}

const SdlSound::Samples* SdlSound::samples(const std::string& path) const {
    auto it = cache_.find(path);
    return it == cache_.end() ? nullptr : it->second.get();
}

const SdlSound::Samples* SdlSound::samplesFor(const std::string& path) {
    auto it = cache_.find(path);
    if (it == cache_.end()) it = cache_.emplace(path, decodeWav(path)).first;  // a failure is remembered too
    return it->second.get();
}

void SdlSound::play(int id) {
    const Samples* s = samplesFor(file(id));
    if (!s) return;
    bool closed;
    {
        std::lock_guard lock(voiceMutex_);
        voice_ = s;
        position_ = 0;
        closed = !open_.load();
    }
    // The background thread opens the device; the sound starts with its first buffer.
    if (closed) request(true);
}

void SdlSound::keepReady(bool ready) {
    bool closed;
    {
        std::lock_guard lock(voiceMutex_);
        keepReady_ = ready;
        silentSinceNs_ = steadyNs();  // a release lingers as long as a sound's end does
        closed = !open_.load();
    }
    if (ready && closed) request(true);
}

void SdlSound::preload(const std::vector<std::string>& paths) {
    for (const auto& p : paths) samplesFor(p);
    request(false);
}

void SdlSound::setPostMixHook(MixHook hook) {
    std::lock_guard lock(voiceMutex_);
    hook_ = std::move(hook);
}

bool SdlSound::waitSettled(int timeoutMs) {
    if (!worker_.joinable()) return true;
    std::unique_lock lock(controlMutex_);
    return settled_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                             [this] { return !startWanted_ && !openWanted_ && !busy_; });
}

void SdlSound::request(bool open) {
    if (!worker_.joinable()) worker_ = std::thread([this] { workerLoop(); });
    {
        std::lock_guard lock(controlMutex_);
        (open ? openWanted_ : startWanted_) = true;
    }
    wake_.notify_all();
}

void SdlSound::fill(void* self, std::uint8_t* stream, int len) {
    auto* s = static_cast<SdlSound*>(self);
    std::lock_guard lock(s->voiceMutex_);
    std::size_t n = 0;
    if (s->voice_) {
        n = std::min(static_cast<std::size_t>(len), s->voice_->size() - s->position_);
        std::memcpy(stream, s->voice_->data() + s->position_, n);
        s->position_ += n;
        if (s->position_ >= s->voice_->size()) {
            s->voice_ = nullptr;
            s->silentSinceNs_ = steadyNs();
        }
    }
    std::memset(stream + n, 0, static_cast<std::size_t>(len) - n);  // signed 16-bit silence
    if (s->hook_) s->hook_(stream, len);
}

void SdlSound::workerLoop() {
    std::unique_lock lock(controlMutex_);
    while (!quit_) {
        if (startWanted_ || openWanted_) {
            const bool open = openWanted_;
            startWanted_ = openWanted_ = false;
            busy_ = true;
            lock.unlock();
            if (open) {
                openDevice();
            } else if (!subsystem_ && !startSubsystem()) {
                // Starting the subsystem loads the driver and connects to the sound
                // server (a client, no stream): the first sound then only opens a stream.
                reportFailure(SDL_GetError());
            }
            lock.lock();
            busy_ = false;
            settled_.notify_all();
            continue;
        }
        if (device_) {
            // While a stream is open: notice when the device is lost, and close it
            // once it has been silent long enough.
            wake_.wait_for(lock, std::chrono::milliseconds(100));
            lock.unlock();
            watchDevice();
            lock.lock();
        } else {
            wake_.wait(lock);
        }
    }
    lock.unlock();
    closeDevice();
    stopSubsystem();
    // SDL keeps per-thread data (its error message) that only its own threads free.
    SDL_TLSCleanup();
}

void SdlSound::openDevice() {
    if (device_) return;
    std::string error;
    // A driver whose sound server went away stays broken; starting the subsystem
    // afresh picks a driver again. So a failed open with a subsystem started earlier
    // is tried once more on a fresh one.
    bool stale = subsystem_;
    for (;;) {
        if (!subsystem_ && !startSubsystem()) {
            error = SDL_GetError();
            break;
        }
        SDL_AudioSpec want{}, have{};
        want.freq = kRate;
        want.format = AUDIO_S16SYS;
        want.channels = kChannels;
        want.samples = static_cast<Uint16>(bufferFrames_);
        want.callback = &SdlSound::fill;
        want.userdata = this;
        // No changes allowed: SDL converts if the device differs, and every cached
        // buffer stays valid across reopens.
        device_ = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
        if (device_) break;
        error = SDL_GetError();
        stopSubsystem();
        if (!stale) break;
        stale = false;
    }
    if (device_) {
        {
            std::lock_guard lock(voiceMutex_);
            open_ = true;
            silentSinceNs_ = steadyNs();
        }
        SDL_PauseAudioDevice(device_, 0);
        available_ = true;
        reportedFailure_ = false;
        return;
    }
    {
        std::lock_guard lock(voiceMutex_);
        voice_ = nullptr;  // not played late, should a later open succeed
    }
    reportFailure(std::move(error));
}

bool SdlSound::startSubsystem() {
    silenceAlsa();
    subsystem_ = startSdlAudio();
    return subsystem_;
}

void SdlSound::reportFailure(std::string error) {
    if (error.empty()) error = "unknown error";
    {
        std::lock_guard lock(controlMutex_);
        failure_ = error;
    }
    available_ = false;
    // One line for each spell without sound, however many sounds it swallows.
    if (!reportedFailure_) std::fprintf(stderr, "zorvanta: no audio device (%s); running silent\n", error.c_str());
    reportedFailure_ = true;
}

void SdlSound::watchDevice() {
    if (!device_) return;
    bool close = false;
    const bool lost = SDL_GetAudioDeviceStatus(device_) == SDL_AUDIO_STOPPED;
    {
        std::lock_guard lock(voiceMutex_);
        if (lost || (!voice_ && !keepReady_ && steadyNs() - silentSinceNs_ >= std::int64_t(lingerMs_) * 1000000)) {
            // Under the voice's lock: a play() from now on sees the device closed and
            // asks for a new one.
            open_ = false;
            close = true;
            if (lost) voice_ = nullptr;
        }
    }
    if (!close) return;
    if (lost) {
        closeDevice();
        stopSubsystem();
    } else {
        closeDeviceAside();
    }
}

void SdlSound::closeDevice() {
    if (!device_) return;
    SDL_CloseAudioDevice(device_);
    device_ = 0;
    std::lock_guard lock(voiceMutex_);
    open_ = false;
}

void SdlSound::closeDeviceAside() {
    // Closing waits for SDL's audio thread, and PulseAudio's driver sometimes keeps
    // that thread waiting for the server for over a second. On a thread of its own
    // the close keeps this one free to open the next device for a sound that comes
    // meanwhile (under a new device id; PulseAudio's driver serialises the two under
    // its main-loop lock). Paused first,
    // the old device calls the callback no more, so it never takes from the voice.
    SDL_PauseAudioDevice(device_, 1);
    if (closer_.joinable()) closer_.join();
    closer_ = std::thread([device = device_] {
        SDL_CloseAudioDevice(device);
        SDL_TLSCleanup();
    });
    device_ = 0;
}

void SdlSound::stopSubsystem() {
    if (closer_.joinable()) closer_.join();
    if (subsystem_) stopSdlAudio();
    subsystem_ = false;
}

}  // namespace zv
