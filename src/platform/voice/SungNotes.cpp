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
// How alike the last window is to itself shifted by the tracked period (normalised
// correlation) for a hop to count as voiced; noise, breath, clicks and consonants
// stay well below it. (aubio's YIN-FFT reports no confidence of its own.)
constexpr double kMinPeriodicity = 0.8;
// A note already held goes on with less: another sound over the voice (a piano note
// from the loudspeakers) lowers the correlation without the voice stopping.
constexpr double kHoldPeriodicity = 0.5;
// Sung notes lie between C2 and C7; the tracker's answers outside are not a voice.
constexpr double kLowestMidi = 36, kHighestMidi = 96;

double median(std::vector<double> v) {
    std::nth_element(v.begin(), v.begin() + v.size() / 2, v.end());
    return v[v.size() / 2];
}

// Normalised correlation of the window with itself one period later.
double periodicity(const std::vector<float>& w, double hz) {
    const int lag = static_cast<int>(std::lround(kRate / hz));
    if (lag <= 0 || lag * 2 > static_cast<int>(w.size())) return 0;
    double xy = 0, xx = 0, yy = 0;
    for (std::size_t i = 0; i + lag < w.size(); ++i) {
        xy += double(w[i]) * w[i + lag];
        xx += double(w[i]) * w[i];
        yy += double(w[i + lag]) * w[i + lag];
    }
    return xx > 0 && yy > 0 ? xy / std::sqrt(xx * yy) : 0;
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
    std::vector<float> window = std::vector<float>(kWindow, 0.0f);  // the last kWindow samples
    std::size_t filled = 0;
    std::int64_t hops = 0;  // hops analysed so far

    std::vector<double> run;  // pitches of the stretch that may become the next note
    bool holding = false;
    int heldMidi = 0;
    double centre = 0;
    int unvoiced = 0;
    int off = 0;
    unsigned echoClasses = 0;

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
        std::copy(window.begin() + kHop, window.end(), window.begin());
        std::copy(hop->data, hop->data + kHop, window.end() - kHop);
        const double p = pitchOut->data[0];
        const bool voiced = aubio_db_spl(hop) > kSilenceDb && p >= kLowestMidi && p <= kHighestMidi &&
                            periodicity(window, 440 * std::pow(2, (p - 69) / 12)) >=
                                (holding ? kHoldPeriodicity : kMinPeriodicity);
        if (onsetOut->data[0] > 0 && echoClasses == 0) {
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
            // The tracker sometimes jumps an octave (or two) for a few hops on a held
            // note; such a hop neither ends the note nor moves its centre.
            const double octaves = std::round((p - centre) / 12);
            if (octaves != 0 && std::fabs(p - centre - 12 * octaves) < kStepSemitones) return;
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
        const double m = median(run);
        if (echoClasses & (1u << (static_cast<int>(std::lround(m)) % 12))) return;
        centre = m;
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

void SungNotes::setEchoClasses(unsigned mask) { d_->echoClasses = mask; }

}  // namespace zv::voice
