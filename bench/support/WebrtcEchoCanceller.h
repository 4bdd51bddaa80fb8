// The settings of the benchmarks' second echo canceller: EchoCanceller
// (platform/voice/EchoCanceller.h) built on webrtc's audio processing instead of
// speexdsp (WebrtcEchoCanceller.cpp), for bench_voice_notes_webrtc to compare the two
// on the same singers. Read once from the environment, so one binary measures them all:
//   BENCH_WEBRTC_SUPPRESSION   low | moderate | high (the residual echo's suppression; moderate)
//   BENCH_WEBRTC_DELAY_AGNOSTIC 1 | 0  (the filter finds the echo's delay itself; 1)
//   BENCH_WEBRTC_EXTENDED      1 | 0  (the longer filter; 1)
//   BENCH_WEBRTC_DELAY_MS      the echo's delay behind the reference, as told to it (0)
//   BENCH_WEBRTC_NOISE         1 | 0  (its noise suppression, at its moderate level; 1)
#pragma once

#include <string>

namespace zv::bench {

struct WebrtcSettings {
    int suppression = 1;  // 0 low, 1 moderate, 2 high
    bool delayAgnostic = true;
    bool extendedFilter = true;
    int delayMs = 0;
    bool noiseSuppression = true;
};

const WebrtcSettings& webrtcSettings();
// The settings in words, for the benchmark's output.
std::string describe(const WebrtcSettings& settings);

}  // namespace zv::bench
