// The floor of press-to-sound latency: a bare SDL2_mixer program with the game's
// audio settings (48 kHz, 16-bit, the same buffer, one channel) that plays a
// preloaded sound on demand. Timed like the game: from just before the play call to
// the post-mix call of the first buffer that starts with the sound's first samples.
//   bench_mixer_floor --sounds DIR [--presses N] [--frames F] [--seed S] [--out FILE]
#include <SDL.h>
#include <SDL_mixer.h>

#include <atomic>
#include <random>
#include <thread>

#include "support/BenchSupport.h"

using namespace zvbench;

namespace {

std::atomic<int> pending{-1};           // the sound awaited in the mix, -1 none
std::atomic<std::int64_t> heardAt{0};   // when its first buffer was mixed
const OnsetMatcher* matcher = nullptr;

void postMix(void*, Uint8* stream, int len) {
    const int want = pending.load(std::memory_order_acquire);
    if (want < 0 || !matcher->is(want, stream, len)) return;
    heardAt.store(monoNs(), std::memory_order_relaxed);
    pending.store(-1, std::memory_order_release);
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

    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0 ||
        Mix_OpenAudioDevice(48000, AUDIO_S16SYS, 2, frames, nullptr,
                            SDL_AUDIO_ALLOW_FREQUENCY_CHANGE | SDL_AUDIO_ALLOW_CHANNELS_CHANGE) != 0) {
        std::fprintf(stderr, "floor: no audio: %s\n", SDL_GetError());
        return 1;
    }
    Mix_AllocateChannels(1);
    int rate = 0, channels = 0;
    Uint16 format = 0;
    Mix_QuerySpec(&rate, &format, &channels);
    const int bufferBytes = frames * channels * static_cast<int>(SDL_AUDIO_BITSIZE(format) / 8);

    std::vector<Mix_Chunk*> chunks;
    OnsetMatcher m;
    for (const auto& name : soundNames()) {
        const std::string path = dir + "/" + name;
        Mix_Chunk* c = Mix_LoadWAV(path.c_str());
        if (!c || !m.add(c->abuf, c->alen, static_cast<std::size_t>(bufferBytes))) {
            std::fprintf(stderr, "floor: cannot use %s\n", path.c_str());
            return 1;
        }
        chunks.push_back(c);
    }
    matcher = &m;
    Mix_SetPostMix(&postMix, nullptr);

    std::mt19937_64 rng(seed);
    std::uniform_int_distribution<int> pick(0, 23), gapUs(10000, 40000);
    std::vector<double> latencies;
    long missed = 0;
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    for (long i = 0; i < presses; ++i) {
        const int id = pick(rng);
        pending.store(id, std::memory_order_release);
        const std::int64_t t0 = monoNs();
        Mix_PlayChannel(0, chunks[static_cast<std::size_t>(id)], 0);
        std::this_thread::sleep_for(std::chrono::microseconds(gapUs(rng)));
        for (int w = 0; w < 500 && pending.load(std::memory_order_acquire) >= 0; ++w)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        if (pending.exchange(-1) >= 0) {
            ++missed;
            continue;
        }
        latencies.push_back(static_cast<double>(heardAt.load() - t0) / 1e6);
    }
    Mix_SetPostMix(nullptr, nullptr);

    const Summary s = summarize(latencies);
    std::printf("floor: device %d Hz, %d channels, %d frames a buffer (%.2f ms)\n", rate, channels, frames,
                1000.0 * frames / rate);
    std::printf("floor: %zu presses, %ld missed: median %.3f ms, p99 %.3f ms, max %.3f ms\n", s.n, missed, s.median,
                s.p99, s.max);
    std::printf("RESULT floor_missed %ld\n", missed);
    if (!writeSamples(out, latencies)) return 1;
    Mix_HaltChannel(-1);
    for (Mix_Chunk* c : chunks) Mix_FreeChunk(c);
    Mix_CloseAudio();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return missed == 0 ? 0 : 1;
}
