// The microphone's path to sung notes, on the capture thread: each captured hop has
// the game's own sound taken out (EchoCanceller, against the ReferenceTap) and goes
// to the note finder (SungNotes).
//
// An adaptive filter learns the echo path only at the frequencies the game has
// played, and has to learn it again whenever the path's delay moves: the attack of a
// new piano note leaks through, and the filter never takes all of a note. So the
// game's sound is also watched, placed by audio time against the capture: how loud
// its echo can be at the microphone at all (measured: with headphones, nothing), and
// which pitch class it sounds. While the echo may be within reach of what the
// microphone hears (and for the pitch tracker's window after), a steady pitch the
// game is sounding (or the octave above it, or any pitch while the sound repeats at
// the game's note's period), and for 400 ms after a sound's attack any new pitch,
// waits: it is heard once the game's note has died away from the microphone (the
// game's sounds last 1.5 s), or once the voice rises well above any echo, or above
// it while the canceller takes little of what the microphone hears (it hears
// something the game did not play), or at once when the microphone holds far more at
// its own fundamental than the echo can bring there (an octave below the game's note,
// where a piano's sound has nothing). Any other note is heard at once, ringing piano or
// not; with headphones every note is.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <vector>

#include "platform/voice/EchoCanceller.h"
#include "platform/voice/ReferenceTap.h"
#include "platform/voice/SungNotes.h"

namespace zv::voice {

class VoiceListener {
public:
    // The reference must outlive the listener.
    VoiceListener(ReferenceTap& reference, SungNotes::Sink sink);
    ~VoiceListener();

    // Any number of captured samples, mono, signed 16-bit at kRate, the last of them
    // captured at about nowNs (steady clock, as the reference's times). A hop whose
    // reference the sound device has not been handed yet is held back for it, up to
    // 150 ms, while the device is being handed sound.
    void captured(const std::int16_t* samples, std::size_t count, std::int64_t nowNs);

private:
    struct Waiting {
        std::array<std::int16_t, kHop> mic;
        ReferenceTap::Placement at;  // where its samples lie in the reference
        std::int64_t arrivedNs;  // when it came
    };
    void process(const std::int16_t* mic, const std::int16_t* reference, int known);

    ReferenceTap& reference_;
    EchoCanceller canceller_;
    SungNotes notes_;
    std::vector<std::int16_t> pending_;
    std::deque<Waiting> waiting_;
    int silentHops_ = 0;  // hops in a row whose reference was known silence
    struct EchoWatch;
    std::unique_ptr<EchoWatch> echo_;
};

}  // namespace zv::voice
