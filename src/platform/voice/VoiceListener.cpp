#include "platform/voice/VoiceListener.h"

#include <aubio/aubio.h>

#include <cmath>
#include <deque>

namespace zv::voice {

namespace {
// How long after a note of the reference begins its pitch class is held back: the
// echo path's length plus the time the canceller takes to learn the new note.
constexpr int kEchoHops = (EchoCanceller::kTailMs + 350) / 10;
// A rise of this much from one hop to the next is the attack of a new note.
constexpr double kAttackDb = 6;
// Quieter than this (dB relative to full scale), the reference brings back nothing
// the note finder would hear.
constexpr double kAudibleDb = -55;
}  // namespace

// The pitch classes of the notes the game's sound began in the last kEchoHops hops.
struct VoiceListener::ReferencePitch {
    aubio_pitch_t* pitch = new_aubio_pitch("yinfft", kWindow, kHop, kRate);
    fvec_t* in = new_fvec(kHop);
    fvec_t* out = new_fvec(1);
    std::deque<unsigned> recent = std::deque<unsigned>(kEchoHops, 0u);
    unsigned lastClass = 0;
    double lastDb = -200;
    ReferencePitch() { aubio_pitch_set_unit(pitch, "midi"); }
    ~ReferencePitch() {
        del_aubio_pitch(pitch);
        del_fvec(in);
        del_fvec(out);
    }
    unsigned update(const std::int16_t* hop) {
        bool any = false;
        for (int k = 0; k < kHop; ++k) any |= (in->data[k] = hop[k] / 32768.0f) != 0;
        aubio_pitch_do(pitch, in, out);
        const double p = out->data[0], db = any ? aubio_db_spl(in) : -200;
        const unsigned cls = p > 0 && db > kAudibleDb ? 1u << (static_cast<int>(std::lround(p)) % 12) : 0u;
        // The tracker settles on a new note a few hops after its attack: a class is
        // new when it differs from the last hop's, or comes back with a louder attack.
        recent.pop_front();
        recent.push_back(cls && (cls != lastClass || db - lastDb >= kAttackDb) ? cls : 0u);
        lastClass = cls;
        lastDb = db;
        unsigned mask = 0;
        for (unsigned m : recent) mask |= m;
        return mask;
    }
};

VoiceListener::VoiceListener(ReferenceTap& reference, SungNotes::Sink sink)
    : reference_(reference), notes_(std::move(sink)), referencePitch_(std::make_unique<ReferencePitch>()) {
    pending_.reserve(kHop);
}

VoiceListener::~VoiceListener() = default;

void VoiceListener::captured(const std::int16_t* samples, std::size_t count) {
    std::int16_t reference[kHop], voice[kHop];
    float hop[kHop];
    for (std::size_t i = 0; i < count; ++i) {
        pending_.push_back(samples[i]);
        if (pending_.size() < static_cast<std::size_t>(kHop)) continue;
        reference_.take(reference, kHop);
        canceller_.process(pending_.data(), reference, voice);
        notes_.setEchoClasses(referencePitch_->update(reference));
        for (int k = 0; k < kHop; ++k) hop[k] = voice[k] / 32768.0f;
        notes_.feed(hop, kHop);
        pending_.clear();
    }
}

}  // namespace zv::voice
