// A WAV file decoded by SDL2 alone and converted to the device format the game and
// the yardsticks use (48 kHz, signed 16-bit, stereo); empty when it cannot be.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace zvbench {

inline std::vector<std::uint8_t> decodeForDevice(const std::string& path) {
    SDL_AudioSpec spec{};
    Uint8* data = nullptr;
    Uint32 length = 0;
    if (!SDL_LoadWAV(path.c_str(), &spec, &data, &length)) return {};
    SDL_AudioCVT cvt{};
    std::vector<std::uint8_t> out;
    if (SDL_BuildAudioCVT(&cvt, spec.format, spec.channels, spec.freq, AUDIO_S16SYS, 2, 48000) >= 0) {
        out.resize(static_cast<std::size_t>(length) * cvt.len_mult);
        std::memcpy(out.data(), data, length);
        cvt.buf = out.data();
        cvt.len = static_cast<int>(length);
        if (!cvt.needed)
            out.resize(length);
        else if (SDL_ConvertAudio(&cvt) == 0)
            out.resize(static_cast<std::size_t>(cvt.len_cvt));
        else
            out.clear();
    }
    SDL_FreeWAV(data);
    return out;
}

}  // namespace zvbench
