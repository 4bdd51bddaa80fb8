// What the game handed to its sound device, kept for the echo canceller
// (EchoCanceller.h). The tap (any thread, usually the sound device's) and the
// canceller (the capture thread) meet through a buffer in which both streams are
// placed on the steady clock: each captured sample gets the reference played at its
// time, so the echo lags its reference by a steady amount (the path through the sound
// server, loudspeaker and microphone), however the two devices' callbacks interleave.
// A gap or jitter there would move the echo against its reference, and the filter
// would have to learn the path anew. So would two device clocks that run apart (a
// loudspeaker's and a microphone's differ by up to a few hundred parts per million:
// half a millisecond a second): the reference is read at the rate the capture keeps
// against it, between its samples where it falls there.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <vector>

namespace zv::voice {

class ReferenceTap {
public:
    // What the game plays comes at `playedRate` frames a second (48 kHz, the desktop
    // device's, unless told).
    explicit ReferenceTap(int playedRate = 48000);
    ~ReferenceTap();
    ReferenceTap(const ReferenceTap&) = delete;
    ReferenceTap& operator=(const ReferenceTap&) = delete;

    // What the game played: interleaved signed 16-bit frames at the played rate,
    // handed to the sound device at `nowNs` (steady clock). Converted to 16 kHz mono
    // and kept.
    void played(const std::int16_t* frames, int frameCount, int channels, std::int64_t nowNs);
    // Where a run of captured samples lies in what the device was handed: the position
    // (in handed samples, at 16 kHz) of its first sample's time, and how far on each
    // next captured sample lies (1, but for the two devices' clocks running apart).
    struct Placement {
        double first = 0;
        double step = 1;
        bool known = false;  // false until the device has been handed anything
    };
    // The placement of the next `count` captured samples, the last of which was
    // captured at about `nowNs`: the two streams' sample positions placed on clocks
    // read from their callbacks, along the line on which the offset between the two
    // clocks has moved as they run apart. Called once for each run, in order.
    Placement placeCapture(int count, std::int64_t nowNs);
    // The reference for `count` samples captured at `at` (placeCapture()): what the
    // sound device was handed for the time of each, not for when the callbacks
    // happened to run (but never further behind the newest handed than an echo path
    // is long). Returns how many of them are known: the rest, at the end, are times
    // the device has not been handed yet (its callback is late, or it is closed) and
    // come as the newest sound it was handed: the game may still be sounding it.
    int take(std::int16_t* out, int count, const Placement& at);
    // What the device was handed from sample `next` on (counted from the first ever
    // handed; a reader more than the kept span behind skips to the oldest kept), at
    // most `count` samples: the whole handed stream, in order, whatever the capture's
    // clock. `next` moves past what was copied; returns how many were.
    int handedSince(std::int64_t& next, std::int16_t* out, int count);
    // Whether the device was handed sound within the last `withinNs` before `nowNs`:
    // a reference not yet known is then worth waiting for.
    bool flowing(std::int64_t nowNs, std::int64_t withinNs);

private:
    // A stream's clock: the steady-clock time of its sample 0, read from the early
    // arrivals among the last ones (the tenth percentile: a callback can run late,
    // never early, and a device's first callbacks come in a burst of queued sound),
    // so that it also follows device clocks that drift apart, and a stream that
    // restarts late after an underrun. It moves only when the reading strays further
    // than a callback's jitter: each move shifts the echo against its reference, and
    // the canceller would have to learn the path anew (a shift of a sample or two,
    // again and again, keeps it from ever taking a high note's echo off).
    struct StreamClock {
        std::int64_t zeroNs = 0;
        bool known = false;
        std::deque<std::int64_t> recent;
        std::vector<std::int64_t> sorted;
        void observe(std::int64_t nowNs, std::int64_t samplesBefore);
        std::int64_t timeOf(std::int64_t sample) const;
    };

    std::mutex mutex_;
    std::vector<std::int16_t> ring_;  // the last samples of the reference, by index modulo size
    std::int64_t written_ = 0;        // index of the next reference sample
    std::int64_t captured_ = 0;       // index of the next captured sample
    std::int64_t lastPlayedNs_ = 0;   // when the device was last handed sound
    StreamClock playedClock_, capturedClock_;
    // Where the offset between the two clocks stepped (the captured sample, and the
    // offset from then on, in samples), the newest last.
    struct Step {
        std::int64_t at, offset;
    };
    std::deque<Step> steps_;
    struct Resampler;
    std::unique_ptr<Resampler> resampler_;
};

}  // namespace zv::voice
