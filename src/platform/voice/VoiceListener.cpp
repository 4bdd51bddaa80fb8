#include "platform/voice/VoiceListener.h"

#include <aubio/aubio.h>

#include <algorithm>
#include <cmath>
#include <deque>

namespace zv::voice {

namespace {
// How long after the game played a frequency it may still arrive at the microphone:
// the echo path's length (the sound server's buffers, both ways) plus the tracker's
// window, with room to spare.
constexpr int kEchoHops = (EchoCanceller::kTailMs + 250) / 10;
// Quieter than this (dB relative to full scale), the reference brings back nothing.
constexpr double kAudibleDb = -55;
// A partial within this much of the reference's strongest in the window counts as
// carried by it: what the filter leaves of a weaker one is too quiet to be tracked.
constexpr double kCarriedDb = 20;
// A partial within this much of the strongest is the reference's loudest.
constexpr double kLoudestDb = 6;
constexpr int kFft = kWindow;
// Hops of silent reference after which the canceller rests: its tail and some.
constexpr int kRestAfterHops = EchoCanceller::kTailMs / 10 + 20;
// For this long after the reference's level jumps (a new sound starts: the piano's
// hammer, the chime), what leaks through the filter is noise at any pitch, so no
// new note is taken at all: 400 ms, the echo path and the filter's first learning.
constexpr int kAttackHops = 40;
constexpr double kAttackRiseDb = 10;
}  // namespace

// The reference's spectrum over the last kEchoHops hops, and whether a pitch could
// be its echo: an echo path is linear, so it brings back only frequencies the
// reference carries. A pitch is taken for an echo when the reference carries its
// fundamental or its octave, or has its twelfth as its loudest partial: a pitch
// tracker can name a fundamental an octave or a twelfth below a lone partial (the
// start chime, a high C, leaks through as the F two octaves and a fifth below).
struct VoiceListener::ReferenceSpectrum {
    aubio_pvoc_t* pvoc = new_aubio_pvoc(kFft, kHop);
    fvec_t* in = new_fvec(kHop);
    cvec_t* spectrum = new_cvec(kFft);
    std::deque<std::vector<float>> recent;
    int audibleHops = kEchoHops;  // hops since the reference was last audible, up to kEchoHops
    int attackHops = kAttackHops;  // hops since its level last jumped, up to kAttackHops
    double lastDb = -200;

    ~ReferenceSpectrum() {
        del_aubio_pvoc(pvoc);
        del_fvec(in);
        del_cvec(spectrum);
    }

    // One hop's time of reference, `fresh` of its samples new (the rest, in front,
    // silence); whether it has been audible within the window. A hop that brought
    // nothing new (the device's buffers come unevenly, or it is closed) only ages it.
    bool update(const std::int16_t* hop, int fresh) {
        attackHops = std::min(attackHops + 1, kAttackHops);
        audibleHops = std::min(audibleHops + 1, kEchoHops);
        if (fresh > 0) {
            for (int k = 0; k < kHop; ++k) in->data[k] = hop[k] / 32768.0f;
            aubio_pvoc_do(pvoc, in, spectrum);
            fvec_t newest{static_cast<uint_t>(fresh), in->data + (kHop - fresh)};
            const double db = aubio_db_spl(&newest);
            if (db > kAudibleDb) {
                if (db - lastDb >= kAttackRiseDb) attackHops = 0;
                audibleHops = 0;
            }
            lastDb = db;
            recent.emplace_back(spectrum->norm, spectrum->norm + spectrum->length);
        }
        if (audibleHops >= kEchoHops) {
            recent.clear();
            lastDb = -200;
        }
        if (static_cast<int>(recent.size()) > kEchoHops) recent.pop_front();
        return !recent.empty();
    }

    // Whether a partial of one hop's spectrum (a peak, its frequency interpolated on
    // the log magnitudes) lies within 2.5 % (under half a semitone) of hz.
    static bool carries(const std::vector<float>& held, float floor, double hz) {
        const int centre = static_cast<int>(std::lround(hz * kFft / kRate));
        for (int b = std::max(1, centre - 3); b <= std::min(kFft / 2 - 1, centre + 3); ++b) {
            if (held[b] < floor || held[b] <= held[b - 1] || held[b] < held[b + 1]) continue;
            const double l = std::log(held[b - 1] + 1e-9), c = std::log(held[b] + 1e-9), r = std::log(held[b + 1] + 1e-9);
            const double d = l - 2 * c + r;
            const double f = (b + (d < 0 ? 0.5 * (l - r) / d : 0)) * kRate / kFft;
            if (std::fabs(f - hz) <= 0.025 * hz) return true;
        }
        return false;
    }

    bool couldBeEcho(double midi) const {
        if (recent.empty()) return false;
        if (attackHops < kAttackHops) return true;
        float peak = 0;
        for (const auto& s : recent) peak = std::max(peak, *std::max_element(s.begin(), s.end()));
        const float floor = peak * static_cast<float>(std::pow(10.0, -kCarriedDb / 20));
        const float loudest = peak * static_cast<float>(std::pow(10.0, -kLoudestDb / 20));
        const double hz = 440 * std::pow(2, (midi - 69) / 12);
        // Hop by hop: the loudest of every bin over the window would make peaks of its
        // own between the partials of different notes.
        for (const auto& s : recent)
            if (carries(s, floor, hz) || carries(s, floor, 2 * hz) || carries(s, loudest, 3 * hz)) return true;
        return false;
    }
};

VoiceListener::VoiceListener(ReferenceTap& reference, SungNotes::Sink sink)
    : reference_(reference),
      notes_(std::move(sink), [this](double midi) { return couldBeEcho(midi); }),
      playedSpectrum_(std::make_unique<ReferenceSpectrum>()),
      alignedSpectrum_(std::make_unique<ReferenceSpectrum>()) {
    pending_.reserve(kHop);
}

VoiceListener::~VoiceListener() = default;

bool VoiceListener::couldBeEcho(double midi) const {
    return playedSpectrum_->couldBeEcho(midi) || alignedSpectrum_->couldBeEcho(midi);
}

void VoiceListener::captured(const std::int16_t* samples, std::size_t count, std::int64_t nowNs) {
    std::int16_t reference[kHop], voice[kHop];
    float hop[kHop];
    for (std::size_t i = 0; i < count; ++i) {
        pending_.push_back(samples[i]);
        if (pending_.size() < static_cast<std::size_t>(kHop)) continue;
        // This hop's last sample came in count - 1 - i samples before the last of all.
        reference_.take(reference, kHop, nowNs - static_cast<std::int64_t>(count - 1 - i) * 1000000000LL / kRate);
        // With nothing played for longer than the filter's tail there is no echo to
        // take out: the adaptive filter (the larger part of the work) rests meanwhile.
        const bool referenceSilent = std::all_of(reference, reference + kHop, [](std::int16_t v) { return v == 0; });
        silentHops_ = referenceSilent ? std::min(silentHops_ + 1, kRestAfterHops) : 0;
        canceller_.process(pending_.data(), reference, voice, silentHops_ < kRestAfterHops);
        // What the game plays is watched twice: as it is handed to the device (ahead
        // of its echo by the path's length, which kEchoHops covers, however well the
        // streams are lined up) and as lined up with the capture (right however late
        // the capture is processed, on a busy machine).
        std::int16_t played[kHop];
        const int fresh = reference_.fresh(played, kHop);
        const bool sounding = playedSpectrum_->update(played, fresh) | alignedSpectrum_->update(reference, kHop);
        notes_.setEcho(sounding);
        for (int k = 0; k < kHop; ++k) hop[k] = voice[k] / 32768.0f;
        notes_.feed(hop, kHop);
        pending_.clear();
    }
}

}  // namespace zv::voice
