// The microphone's path to sung notes, on the capture thread: each captured hop has
// the game's own sound taken out (EchoCanceller, against the ReferenceTap) and goes
// to the note finder (SungNotes).
#pragma once

#include <cstdint>
#include <vector>

#include "platform/voice/EchoCanceller.h"
#include "platform/voice/SungNotes.h"

namespace zv::voice {

class VoiceListener {
public:
    // The reference must outlive the listener.
    VoiceListener(ReferenceTap& reference, SungNotes::Sink sink);

    // Any number of captured samples, mono, signed 16-bit at kRate.
    void captured(const std::int16_t* samples, std::size_t count);

private:
    ReferenceTap& reference_;
    EchoCanceller canceller_;
    SungNotes notes_;
    std::vector<std::int16_t> pending_;
};

}  // namespace zv::voice
