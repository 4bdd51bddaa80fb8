// Sung notes in a stream of microphone samples (mono, 16 kHz), found with aubio's
// pitch tracker (YIN in the frequency domain) and onset detector. Plain C++: no
// toolkit, no game; it runs on whatever thread feeds it (the capture thread).
//
// A note is a pitch held steady, every hop within half a semitone of one pitch, for at
// least kSteadyMs after an onset, a silence or the previous note. It is
// reported once, when it has been steady that long, however long it is then held;
// an onset, a silence (or unvoiced sound) or a step of a semitone or more ends it,
// and the next steady stretch is the next note. Vibrato of up to half a semitone
// either side, a scoop into the note and breath noise stay within one note; noise,
// clicks, coughs and consonants, being unvoiced or unsteady, make none.
#pragma once

#include <cmath>
#include <cstdint>
#include <functional>
#include <memory>

namespace zv::voice {

inline constexpr int kRate = 16000;
inline constexpr int kHop = 160;       // 10 ms: one analysis step
inline constexpr int kWindow = 1024;   // 64 ms: five periods of a low bass note (E2)
inline constexpr int kSteadyMs = 80;

// The frequency (Hz) of a MIDI pitch, fractional or not.
inline double hz(double midi) { return 440 * std::pow(2, (midi - 69) / 12.0); }

struct SungNote {
    enum class Kind { Start, End };
    Kind kind;
    int midi;                 // the nearest MIDI note of the steady stretch's median
    std::int64_t atSample;    // sample position (since the first fed) when it was decided
    std::int64_t fromSample;  // where the steady stretch began (Start only)
};

class SungNotes {
public:
    using Sink = std::function<void(const SungNote&)>;
    using EchoCheck = std::function<bool(double midi)>;

    // Notes go to the sink, on the feeding thread, in order. `couldBeEcho` answers for
    // a pitch (MIDI, fractional) whether the game's sound may be carrying it at the
    // microphone now (none: never). A steady stretch it accepts, at the stretch's own
    // pitch or at any note whose period the sound repeats at (what a pitch tracker
    // misnames of an echo's partials), is not reported (it is once the check no longer
    // accepts it, if still sung). Runs only for a stretch about to be reported.
    explicit SungNotes(Sink sink, EchoCheck couldBeEcho = {});
    ~SungNotes();
    SungNotes(const SungNotes&) = delete;
    SungNotes& operator=(const SungNotes&) = delete;

    // Any number of samples (-1..1); analysed in hops as they fill.
    void feed(const float* samples, std::size_t count);

    // Whether the loudspeakers may be bringing the game's sound back to the microphone:
    // while `sounding`, an onset (most likely the echo's attack) does not end the note
    // being sung, and a new note needs a clearer pitch. Called on the feeding thread.
    void setEcho(bool sounding);

private:
    struct Impl;
    std::unique_ptr<Impl> d_;
};

}  // namespace zv::voice
