// The microphone's path to sung notes, on the capture thread: each captured hop has
// the game's own sound taken out (EchoCanceller, against the ReferenceTap) and goes
// to the note finder (SungNotes).
//
// An adaptive filter learns the echo path only at the frequencies the game has
// played, and has to learn it again whenever the path's delay moves (the sound
// server's buffers change as the device starts): the attack of a new piano note, and
// on a busy sound server more of it, leaks through. For 400 ms after the game's
// sound jumps in level no new note is taken at all (the game plays nothing while an
// answer is sung, so this costs a singer nothing). An echo path is linear, so what
// leaks can only be at frequencies the game is playing: the reference's spectrum is
// kept too, and a steady pitch whose fundamental or octave it carries (or whose
// twelfth is its loudest partial: a tracker may name a fundamental below a lone
// partial), while it does and for half a second
// after, is not taken for a sung note. A singer holding such a note (the piano's own
// pitch class, or a fifth above it) is heard as soon as the piano's note has died
// away (the game's sounds last 1.5 s); every other note is heard at once, ringing
// piano or not.
#pragma once

#include <cstdint>
#include <functional>
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

    // Any number of captured samples, mono, signed 16-bit at kRate, the last of them
    // captured at about nowNs (steady clock, as the reference's times).
    void captured(const std::int16_t* samples, std::size_t count, std::int64_t nowNs);

private:
    ReferenceTap& reference_;
    EchoCanceller canceller_;
    SungNotes notes_;
    std::vector<std::int16_t> pending_;
    int silentHops_ = 0;  // hops in a row whose reference was silence
    struct ReferenceSpectrum;
    std::unique_ptr<ReferenceSpectrum> playedSpectrum_, alignedSpectrum_;
    bool couldBeEcho(double midi) const;
};

}  // namespace zv::voice
