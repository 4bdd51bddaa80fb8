// The microphone's path to sung notes, on the capture thread: each captured hop has
// the game's own sound taken out (EchoCanceller, against the ReferenceTap) and goes
// to the note finder (SungNotes).
//
// An adaptive filter learns the echo path only at the frequencies the game has
// played, so the first fraction of a second of a new piano note leaks through it
// (measured: 5-10 dB taken out at a note's attack, 30-40 dB once it rings). What
// leaks can only be the pitch of a note the game has just begun: the reference's own
// pitch is tracked too, and for 600 ms after a note of it begins (the echo path's
// length and the time the filter needs to learn the note), that note's pitch class
// is not taken for a sung note. A singer holding that note is heard once the 600 ms
// are over; every other note is heard at once, ringing piano or not.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/voice/EchoCanceller.h"
#include "platform/voice/SungNotes.h"

namespace zv::voice {

class VoiceListener {
public:
    // The reference must outlive the listener.
    VoiceListener(ReferenceTap& reference, SungNotes::Sink sink);
    ~VoiceListener();

    // Any number of captured samples, mono, signed 16-bit at kRate.
    void captured(const std::int16_t* samples, std::size_t count);

private:
    ReferenceTap& reference_;
    EchoCanceller canceller_;
    SungNotes notes_;
    std::vector<std::int16_t> pending_;
    struct ReferencePitch;
    std::unique_ptr<ReferencePitch> referencePitch_;
};

}  // namespace zv::voice
