// SDL has one audio subsystem per process, and starting or stopping it from two
// threads at once starts its driver twice (two PulseAudio main loops, which abort).
// The game's sound and the microphone each start and stop it on a thread of their
// own, so both hold this lock around SDL_InitSubSystem and SDL_QuitSubSystem; SDL
// counts the starts, and the driver stops with the last user.
#pragma once

#include <mutex>

namespace zv {

inline std::mutex& sdlAudioLock() {
    static std::mutex lock;
    return lock;
}

}  // namespace zv
