// A WAV file decoded by SDL2 alone and converted to the device format the game and
// the yardsticks use (48 kHz, signed 16-bit, stereo); empty when it cannot be. The
// game's own decoding (SdlSound) does the same; the yardsticks keep a copy so that
// they link SDL2 and nothing of the game, whose start-up they stand beside.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace zvbench {

// Opens the default audio device in that format with `frames` a buffer and the given
// callback, the format obtained in *have; 0 (SDL_GetError says why) when there is none.
inline SDL_AudioDeviceID openDeviceFormat(int frames, SDL_AudioCallback callback, SDL_AudioSpec* have = nullptr) {
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    SDL_AudioSpec want{}, obtained{};
    want.freq = 48000;
    want.format = AUDIO_S16SYS;
    want.channels = 2;
    want.samples = static_cast<Uint16>(frames);
    want.callback = callback;
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return 0;
    return SDL_OpenAudioDevice(nullptr, 0, &want, have ? have : &obtained, 0);
}

inline std::vector<std::uint8_t> decodeForDevice(const std::string& path) {
    SDL_AudioSpec source{};
    Uint8* data = nullptr;
    Uint32 length = 0;
    if (!SDL_LoadWAV(path.c_str(), &source, &data, &length)) return {};
    SDL_AudioCVT cvt{};
    std::vector<std::uint8_t> out;
    if (SDL_BuildAudioCVT(&cvt, source.format, source.channels, source.freq, AUDIO_S16SYS, 2, 48000) >= 0) {
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
