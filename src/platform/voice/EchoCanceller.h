// Takes the game's own sound out of the microphone's signal, so that a piano note
// coming back from the loudspeakers is never heard as a sung note. The reference is
// what the game handed to its sound device; speexdsp's echo canceller (a frequency-
// domain adaptive filter, MDF) learns the path from that to the microphone (delay,
// loudspeaker, room) and subtracts its estimate, and speexdsp's preprocessor then
// suppresses the residual echo and steady room noise. An adaptive filter rather than
// muting: the piano's notes ring on while the player sings. The reference, lined up
// with the microphone by audio time, comes from ReferenceTap.h.
#pragma once

#include <algorithm>
#include <cstdint>
#include <memory>

#include "platform/voice/SungNotes.h"

namespace zv::voice {

// A hop's power (mean square, full scale 1).
inline double hopPower(const std::int16_t* x, int n = kHop) {
    double sum = 0;
    for (int i = 0; i < n; ++i) sum += double(x[i]) * x[i];
    return sum / n / (32768.0 * 32768.0);
}

// Whether a canceller's output hop came out 6 dB louder than the microphone's (as
// speexdsp counts a hop gone wrong), above the level where rounding noise is the
// louder: it added sound (EchoCanceller::addedEcho, in any implementation).
inline bool addedSound(const std::int16_t* mic, const std::int16_t* out) {
    return hopPower(out) > std::max(4 * hopPower(mic), 1e-6);
}

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
    // Without `cancel` (there is no echo: nothing was played for longer than the
    // tail, or the microphone does not hear the game) the adaptive filter and the
    // residual-echo suppression rest and only the noise suppression runs, so the
    // voice sounds the same either way. Without `suppressEcho` (a voice well above any
    // echo) the filter still works but what it leaves is not suppressed further.
    void process(const std::int16_t* mic, const std::int16_t* reference, std::int16_t* out, bool cancel = true,
                 bool suppressEcho = true);
    // Whether the filter's last hop came out well louder than the microphone: its idea
    // of the echo path is wrong (the path dropped out or moved: a sound server's
    // underrun or re-buffering), so it adds a copy of the game's sound instead of
    // removing it. If that goes on, speexdsp resets the filter.
    bool addedEcho() const;
    // The lags, in hops, over which the filter has placed the echo: `last` is the hop
    // of its impulse response by which it holds 95 % of the response's energy. False
    // while it has placed nothing (or cannot tell).
    bool echoLags(int& last) const;

private:
    struct Impl;
    std::unique_ptr<Impl> d_;
};

}  // namespace zv::voice
