// The floor of press-to-sound latency: a bare SDL2 program with the game's audio
// settings (48 kHz, 16-bit stereo, the same buffer) whose audio callback copies one
// preloaded sound into the stream, started on demand. Timed like the game: from just
// before the play to the callback's buffer that starts with the sound's first samples.
//   bench_audio_floor --sounds DIR [--presses N] [--frames F] [--seed S] [--out FILE]
#include <SDL.h>

#include <mutex>
#include <random>
#include <thread>

#include "support/BenchSupport.h"
#include "support/SdlWav.h"

using namespace zvbench;

namespace {

OnsetWatch* onsets = nullptr;

std::mutex voiceMutex;
const std::vector<std::uint8_t>* voice = nullptr;
std::size_t position = 0;

void fill(void*, Uint8* stream, int len) {
    std::size_t n = 0;
    {
        std::lock_guard lock(voiceMutex);
        if (voice) {
            n = std::min(static_cast<std::size_t>(len), voice->size() - position);
            std::memcpy(stream, voice->data() + position, n);
            position += n;
            if (position == voice->size()) voice = nullptr;
        }
    }
    std::memset(stream + n, 0, static_cast<std::size_t>(len) - n);
    onsets->onBuffer(stream, len);
}

}  // namespace

int main(int argc, char** argv) {
    defaultEnv("SDL_AUDIODRIVER", "dummy");
    const std::string dir = arg(argc, argv, "--sounds", "");
    const long presses = argInt(argc, argv, "--presses", 1000);
    const int frames = static_cast<int>(argInt(argc, argv, "--frames", 256));
    const auto seed = static_cast<std::uint64_t>(argInt(argc, argv, "--seed", 1));
    const std::string out = arg(argc, argv, "--out", "");
    if (dir.empty()) {
        std::fprintf(stderr, "usage: %s --sounds DIR [--presses N] [--frames F] [--seed S] [--out FILE]\n", argv[0]);
        return 2;
    }

    SDL_AudioSpec have{};
    const SDL_AudioDeviceID device = openDeviceFormat(frames, &fill, &have);
    if (device == 0) {
        std::fprintf(stderr, "floor: no audio: %s\n", SDL_GetError());
        return 1;
    }
    const int bufferBytes = frames * 2 * 2;

    std::vector<std::vector<std::uint8_t>> sounds;
    OnsetMatcher m;
    for (const auto& name : soundNames()) {
        const std::string path = dir + "/" + name;
        std::vector<std::uint8_t> s = decodeForDevice(path);
        if (s.empty() || !m.add(s.data(), s.size(), static_cast<std::size_t>(bufferBytes))) {
            std::fprintf(stderr, "floor: cannot use %s\n", path.c_str());
            return 1;
        }
        sounds.push_back(std::move(s));
    }
    OnsetWatch watch(m);
    onsets = &watch;
    SDL_PauseAudioDevice(device, 0);

    std::mt19937_64 rng(seed);
    std::uniform_int_distribution<int> pick(0, 23), gapUs(10000, 40000);
    std::vector<double> latencies;
    long missed = 0;
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    for (long i = 0; i < presses; ++i) {
        const int id = pick(rng);
        watch.expect(id);
        const std::int64_t t0 = monoNs();
        {
            std::lock_guard lock(voiceMutex);
            voice = &sounds[static_cast<std::size_t>(id)];
            position = 0;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(gapUs(rng)));
        for (int w = 0; w < 500 && watch.awaiting(); ++w)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        const std::int64_t heardAt = watch.finish();
        if (heardAt == 0) {
            ++missed;
            continue;
        }
        latencies.push_back(static_cast<double>(heardAt - t0) / 1e6);
    }
    SDL_CloseAudioDevice(device);

    const Summary s = summarize(latencies);
    std::printf("floor: device %d Hz, %d channels, %d frames a buffer (%.2f ms)\n", have.freq, int(have.channels),
                frames, 1000.0 * frames / have.freq);
    std::printf("floor: %zu presses, %ld missed: median %.3f ms, p99 %.3f ms, max %.3f ms\n", s.n, missed, s.median,
                s.p99, s.max);
    std::printf("RESULT floor_missed %ld\n", missed);
    if (!writeSamples(out, latencies)) return 1;
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return missed == 0 ? 0 : 1;
}
