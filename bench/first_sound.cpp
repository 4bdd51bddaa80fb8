// The first sound after an idle spell: the game's sound service with the game's
// sounds, on whatever device SDL picks (bench/sound_server.sh runs it on a PulseAudio
// null sink). Each round waits until the service has closed its device after the
// last sound, then --idle-ms more, then plays one sound (keys and the start chime in
// turn) and times it from just before play() to the first buffer handed to the device
// that starts with that sound; play() itself is timed too. With --ready the service is
// kept ready, as during a game: each round waits --idle-ms after the end of the last
// sound instead (a player thinking before the first key of an answer).
//   bench_first_sound --sounds DIR [--rounds N] [--idle-ms MS] [--ready] [--out FILE]
#include <thread>

#include "platform/real/SdlSound.h"
#include "support/BenchSupport.h"

using namespace zvbench;

int main(int argc, char** argv) {
    const std::string dir = arg(argc, argv, "--sounds", "");
    const long rounds = argInt(argc, argv, "--rounds", 7);
    const long idleMs = argInt(argc, argv, "--idle-ms", 1000);
    const std::string out = arg(argc, argv, "--out", "");
    const bool ready = hasFlag(argc, argv, "--ready");
    if (dir.empty()) {
        std::fprintf(stderr, "usage: %s --sounds DIR [--rounds N] [--idle-ms MS] [--ready] [--out FILE]\n", argv[0]);
        return 2;
    }
    zv::SdlSound sound;
    std::vector<std::string> paths;
    for (const auto& name : soundNames()) paths.push_back(dir + "/" + name);
    sound.preload(paths);
    sound.setFiles(paths);
    OnsetMatcher matcher;
    const std::size_t bufferBytes = static_cast<std::size_t>(sound.bufferFrames()) * sound.deviceChannels() * 2;
    for (const auto& p : paths) {
        const zv::SdlSound::Samples* s = sound.samples(p);
        if (!s || !matcher.add(s->data(), s->size(), bufferBytes)) {
            std::fprintf(stderr, "first sound: cannot use %s\n", p.c_str());
            return 1;
        }
    }
    OnsetWatch watch(matcher);
    sound.setPostMixHook([&watch](const std::uint8_t* data, int bytes) { watch.onBuffer(data, bytes); });
    if (!sound.waitSettled(5000)) return 1;
    if (ready) sound.keepReady(true);

    const int order[] = {24, 0, 13, 19, 7, 24, 3, 16};  // the chime, white and black keys
    std::vector<double> latencies, playUs;
    long missed = 0;
    long lastMs = 0;  // how long the last sound played lasts
    for (long r = 0; r < rounds; ++r) {
        if (ready) {
            std::this_thread::sleep_for(std::chrono::milliseconds(lastMs + idleMs));
            if (!sound.deviceOpen()) {
                std::fprintf(stderr, "first sound: the device closed while kept ready\n");
                return 1;
            }
        } else {
            for (int w = 0; w < 1000 && sound.deviceOpen(); ++w)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            if (sound.deviceOpen()) {
                std::fprintf(stderr, "first sound: the device stays open\n");
                return 1;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(idleMs));
        }
        const int id = order[r % 8];
        watch.expect(id);
        const std::int64_t t0 = monoNs();
        sound.play(id);
        playUs.push_back(static_cast<double>(monoNs() - t0) / 1e3);
        for (int w = 0; w < 2000 && watch.awaiting(); ++w)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        const std::int64_t heardAt = watch.finish();
        lastMs = static_cast<long>(sound.samples(paths[static_cast<std::size_t>(id)])->size() * 1000 /
                                   (static_cast<std::size_t>(sound.deviceRate()) * sound.deviceChannels() * 2));
        if (heardAt == 0) {
            ++missed;
            continue;
        }
        latencies.push_back(static_cast<double>(heardAt - t0) / 1e6);
    }
    sound.setPostMixHook({});
    const Summary s = summarize(latencies);
    const Summary p = summarize(playUs);
    std::printf("first sound after %s: %zu rounds, %ld missed: min %.3f ms, median %.3f ms, max %.3f ms\n",
                ready ? "a pause, kept ready" : "idle", s.n, missed, s.min, s.median, s.max);
    std::printf("RESULT first_sound_n %zu\nRESULT first_sound_min %.3f\nRESULT first_sound_median %.3f\n", s.n, s.min,
                s.median);
    std::printf("RESULT first_sound_max %.3f\nRESULT first_sound_missed %ld\nRESULT play_call_max_us %.1f\n", s.max,
                missed, p.max);
    if (!writeSamples(out, latencies)) return 1;
    return missed == 0 ? 0 : 1;
}
