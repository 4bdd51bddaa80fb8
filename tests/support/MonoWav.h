// The game's sounds read for the voice tests and benchmarks, which mix them into a
// microphone's signal as they are in the file.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <string>
#include <vector>

namespace zv::synth {

// One of the game's sounds (16-bit mono WAV) as its samples; empty when the file is
// missing or in another format.
inline std::vector<std::int16_t> readMonoWav(const std::string& path) {
    SDL_AudioSpec wav{};
    Uint8* data = nullptr;
    Uint32 bytes = 0;
    std::vector<std::int16_t> samples;
    if (SDL_LoadWAV(path.c_str(), &wav, &data, &bytes) && wav.format == AUDIO_S16SYS && wav.channels == 1)
        samples.assign(reinterpret_cast<std::int16_t*>(data), reinterpret_cast<std::int16_t*>(data + bytes));
    SDL_FreeWAV(data);
    return samples;
}

}  // namespace zv::synth
