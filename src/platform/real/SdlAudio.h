// What the game's sound and the microphone share of SDL's audio.
//   startSdlAudio / stopSdlAudio: SDL has one audio subsystem per process, and
//     starting or stopping it from two threads at once starts its driver twice (two
//     PulseAudio main loops, which abort). Both users start and stop it on threads of
//     their own, so these do it under one lock; SDL counts the starts, and the driver
//     stops with the last user.
//   steadyNs: the clock both stamp their audio with, so that the game's own sound
//     can be matched against what the microphone hears.
#pragma once

#include <SDL.h>

#include <chrono>
#include <cstdint>
#include <mutex>

namespace zv {

namespace sdl_audio_detail {
inline std::mutex& lock() {
    static std::mutex m;
    return m;
}
}  // namespace sdl_audio_detail

inline bool startSdlAudio() {
    std::lock_guard guard(sdl_audio_detail::lock());
    return SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
}

inline void stopSdlAudio() {
    std::lock_guard guard(sdl_audio_detail::lock());
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

inline std::int64_t steadyNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

}  // namespace zv
