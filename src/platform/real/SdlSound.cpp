#include "platform/real/SdlSound.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <dlfcn.h>

#include <cstdarg>
#include <cstdio>
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
    static bool done = false;
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

}  // namespace

SdlSound::SdlSound(int bufferFrames) : bufferFrames_(bufferFrames > 0 ? bufferFrames : kDefaultBufferFrames) {
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    // A WAV file whose data stops early is refused rather than played in part.
    SDL_SetHint(SDL_HINT_WAVE_TRUNCATION, "strict");
    silenceAlsa();
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        failure_ = SDL_GetError();
    } else {
        sdlInit_ = true;
        // 48 kHz, 16-bit; the device may choose mono or stereo (or another rate, which
        // SDL then converts to), and the small buffer keeps the press-to-sound delay low.
        if (Mix_OpenAudioDevice(kRate, AUDIO_S16SYS, 2, bufferFrames_, nullptr,
                                SDL_AUDIO_ALLOW_FREQUENCY_CHANGE | SDL_AUDIO_ALLOW_CHANNELS_CHANGE) != 0) {
            failure_ = Mix_GetError();
        } else {
            open_ = true;
            Mix_AllocateChannels(1);
            Mix_QuerySpec(&rate_, &format_, &channels_);
        }
    }
    if (!open_) {
        if (failure_.empty()) failure_ = "unknown error";
        std::fprintf(stderr, "zorvanta: no audio device (%s); running silent\n", failure_.c_str());
        if (sdlInit_) {
            SDL_QuitSubSystem(SDL_INIT_AUDIO);
            sdlInit_ = false;
        }
    }
}

SdlSound::~SdlSound() {
    if (open_) {
        Mix_SetPostMix(nullptr, nullptr);
        Mix_HaltChannel(-1);
        for (auto& [path, chunk] : cache_)
            if (chunk) Mix_FreeChunk(chunk);
        Mix_CloseAudio();
    }
    if (sdlInit_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

Mix_Chunk* SdlSound::chunkFor(const std::string& path) {
    auto it = cache_.find(path);
    if (it != cache_.end()) return it->second;
    Mix_Chunk* chunk = nullptr;
    // Decoders pick the format from the file's first bytes: the names have no extension.
    if (isPlayableFile(path)) chunk = Mix_LoadWAV(path.c_str());
    cache_.emplace(path, chunk);  // a failure is remembered too: no retry on every press
    return chunk;
}

void SdlSound::play(const std::string& path) {
    if (!open_) return;
    if (Mix_Chunk* chunk = chunkFor(path)) Mix_PlayChannel(0, chunk, 0);
}

void SdlSound::preload(const std::vector<std::string>& paths) {
    if (!open_) return;
    for (const auto& p : paths) chunkFor(p);
}

bool SdlSound::isLoaded(const std::string& path) const {
    auto it = cache_.find(path);
    return it != cache_.end() && it->second != nullptr;
}

void SdlSound::postMix(void* self, std::uint8_t* stream, int len) {
    auto* s = static_cast<SdlSound*>(self);
    if (s->hook_) s->hook_(stream, len);
}

void SdlSound::setPostMixHook(MixHook hook) {
    if (!open_) return;
    // Mix_SetPostMix holds the audio lock, so the callback is not running while the
    // hook is swapped.
    Mix_SetPostMix(nullptr, nullptr);
    hook_ = std::move(hook);
    if (hook_) Mix_SetPostMix(&SdlSound::postMix, this);
}

}  // namespace zv
