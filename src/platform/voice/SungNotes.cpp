#include "platform/voice/SungNotes.h"

#include <aubio/aubio.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace zv::voice {

namespace {

constexpr int kSteadyFrames = kSteadyMs * kRate / 1000 / kHop;  // 8 hops
constexpr double kSteadyTolerance = 0.5;  // semitones either side of the median
// A held note ends when the pitch leaves its centre by this much for kStepFrames hops
// in a row: a step of a semitone (even sung a little flat) does, vibrato of half a
// semitone around the slowly followed centre does not.
constexpr double kStepSemitones = 0.75;
constexpr int kStepFrames = 4;
// The centre of a held note follows the pitch with a time constant of about 150 ms,
// so vibrato (5-7 Hz) barely moves it while a slow drift of the voice is followed.
constexpr double kCentreFollow = 0.065;
// This many unvoiced hops in a row are a silence: a breath or a consonant ends a note.
constexpr int kGapFrames = 3;
// Below this a hop is silence (dB SPL relative to full scale), whatever its pitch.
constexpr double kSilenceDb = -48;
// YIN's confidence (1 - the normalised difference at the period) a voiced hop needs;
// noise, breath, clicks and consonants stay below it.
constexpr double kMinConfidence = 0.85;
// Sung notes lie between C2 and C7; the tracker's answers outside are not a voice.
constexpr double kLowestMidi = 36, kHighestMidi = 96;

double median(std::vector<double> v) {
    std::nth_element(v.begin(), v.begin() + v.size() / 2, v.end());
    return v[v.size() / 2];
}

bool steady(const std::vector<double>& run) {
    const double m = median(run);
    return std::all_of(run.begin(), run.end(), [m](double p) { return std::fabs(p - m) <= kSteadyTolerance; });
}

}  // namespace

struct SungNotes::Impl {
    Sink sink;
    aubio_pitch_t* pitch = new_aubio_pitch("yinfft", kWindow, kHop, kRate);
    aubio_onset_t* onset = new_aubio_onset("hfc", 512, kHop, kRate);
    fvec_t* hop = new_fvec(kHop);
    fvec_t* pitchOut = new_fvec(1);
    fvec_t* onsetOut = new_fvec(1);
    std::size_t filled = 0;
    std::int64_t hops = 0;  // hops analysed so far

    std::vector<double> run;  // pitches of the stretch that may become the next note
    bool holding = false;
    int heldMidi = 0;
    double centre = 0;
    int unvoiced = 0;
    int off = 0;

    explicit Impl(Sink s) : sink(std::move(s)) {
        aubio_pitch_set_unit(pitch, "midi");
        aubio_pitch_set_silence(pitch, kSilenceDb);
        aubio_pitch_set_tolerance(pitch, 0.7);
        aubio_onset_set_silence(onset, kSilenceDb);
        aubio_onset_set_threshold(onset, 0.6);
        aubio_onset_set_minioi_ms(onset, 80);
    }

    ~Impl() {
        del_aubio_pitch(pitch);
        del_aubio_onset(onset);
        del_fvec(hop);
        del_fvec(pitchOut);
        del_fvec(onsetOut);
    }

    std::int64_t now() const { return hops * kHop; }

    void end() {
        if (holding) sink({SungNote::Kind::End, heldMidi, now(), 0});
        holding = false;
        off = 0;
    }

    void analyse() {
        ++hops;
        aubio_pitch_do(pitch, hop, pitchOut);
        aubio_onset_do(onset, hop, onsetOut);
        const double p = pitchOut->data[0];
        const bool voiced = aubio_db_spl(hop) > kSilenceDb && aubio_pitch_get_confidence(pitch) >= kMinConfidence &&
                            p >= kLowestMidi && p <= kHighestMidi;
        if (onsetOut->data[0] > 0) {
            end();
            run.clear();
        }
        if (!voiced) {
            run.clear();
            if (++unvoiced >= kGapFrames) end();
            return;
        }
        unvoiced = 0;
        if (holding) {
            if (std::fabs(p - centre) < kStepSemitones) {
                off = 0;
                run.clear();
                centre += kCentreFollow * (p - centre);
                return;
            }
            run.push_back(p);
            if (++off < kStepFrames) return;
            end();  // a step: the hops off the old note begin the next one
        } else {
            run.push_back(p);
        }
        while (!run.empty() && !steady(run)) run.erase(run.begin());
        if (static_cast<int>(run.size()) < kSteadyFrames) return;
        centre = median(run);
        heldMidi = static_cast<int>(std::lround(centre));
        holding = true;
        sink({SungNote::Kind::Start, heldMidi, now(), now() - static_cast<std::int64_t>(run.size()) * kHop});
        run.clear();
    }
};

SungNotes::SungNotes(Sink sink) : d_(std::make_unique<Impl>(std::move(sink))) {}

SungNotes::~SungNotes() = default;

void SungNotes::feed(const float* samples, std::size_t count) {
    while (count > 0) {
        const std::size_t n = std::min(count, static_cast<std::size_t>(kHop) - d_->filled);
        std::copy(samples, samples + n, d_->hop->data + d_->filled);
        d_->filled += n;
        samples += n;
        count -= n;
        if (d_->filled == static_cast<std::size_t>(kHop)) {
            d_->filled = 0;
            d_->analyse();
        }
    }
}

void SungNotes::finish() { d_->end(); }

}  // namespace zv::voice
