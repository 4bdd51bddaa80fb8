// Takes the game's own sound out of the microphone's signal, so that a piano note
// coming back from the loudspeakers is never heard as a sung note. The reference is
// what the game handed to its sound device; speexdsp's echo canceller (a frequency-
// domain adaptive filter, MDF) learns the path from that to the microphone (delay,
// loudspeaker, room) and subtracts its estimate, and speexdsp's preprocessor then
// suppresses the residual echo and steady room noise. An adaptive filter rather than
// muting: the piano's notes ring on while the player sings.
//
// ReferenceTap (any thread, usually the sound device's) and EchoCanceller (the
// capture thread) meet through a buffer that keeps the reference a little ahead of
// the capture: the echo in a captured hop always lags its reference by less than the
// filter's tail, however the two devices' callbacks interleave.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/voice/SungNotes.h"

namespace zv::voice {

class ReferenceTap {
public:
    ReferenceTap();
    ~ReferenceTap();
    ReferenceTap(const ReferenceTap&) = delete;
    ReferenceTap& operator=(const ReferenceTap&) = delete;

    // What the game played: interleaved signed 16-bit frames at `rate` (48 kHz
    // stereo from the sound device). Converted to 16 kHz mono and queued.
    void played(const std::int16_t* frames, int frameCount, int channels);
    // The reference for the next `count` captured samples: the oldest queued ones,
    // silence where nothing was played; a backlog beyond a few milliseconds (the
    // sound device ran while nothing was captured) is dropped first.
    void take(std::int16_t* out, int count);

private:
    std::mutex mutex_;
    std::vector<std::int16_t> queue_;
    struct Resampler;
    std::unique_ptr<Resampler> resampler_;
};

class EchoCanceller {
public:
    // How long an echo path the filter learns: loudspeaker and room, plus the
    // sound server's buffering between the two devices.
    static constexpr int kTailMs = 250;

    EchoCanceller();
    ~EchoCanceller();
    EchoCanceller(const EchoCanceller&) = delete;
    EchoCanceller& operator=(const EchoCanceller&) = delete;

    // One hop (kHop samples at kRate) of microphone and reference; out gets the voice.
    void process(const std::int16_t* mic, const std::int16_t* reference, std::int16_t* out);

private:
    struct Impl;
    std::unique_ptr<Impl> d_;
};

}  // namespace zv::voice
