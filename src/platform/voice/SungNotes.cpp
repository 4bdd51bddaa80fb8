#include "platform/voice/SungNotes.h"

#include <aubio/aubio.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <complex>
#include <numbers>
#include <numeric>
#include <vector>

namespace zv::voice {

namespace {

// Hops of a steady stretch: the windows of 6 hops (64 ms each, 10 ms apart) span
// 114 ms of sound, all of it at one pitch; fewer than 6 hops judge vibrato badly.
constexpr int kSteadyFrames = 6;
static_assert((kSteadyFrames - 1) * kHop * 1000 / kRate + kWindow * 1000 / kRate >= kSteadyMs);
constexpr double kSteadyTolerance = 0.5;  // semitones either side of the stretch's middle
// A steady stretch whose mean lies this close to a note is that note at once; one
// nearer the border between two notes is decided when it is this many hops long.
constexpr double kDecidedWithin = 0.3;
constexpr int kLongestWaitFrames = 14;
// A held note ends when a steady stretch lies this far from its centre: a step of a
// semitone (even sung a little flat) does, vibrato around the centre does not.
constexpr double kStepSemitones = 0.75;
// The centre of a held note follows the pitch with a time constant of about 200 ms,
// so vibrato (5-7 Hz) hardly moves it while a slow drift of the voice is followed.
constexpr double kCentreFollow = 0.05;
// A stretch whose last hops lie this far above or below its first is still gliding
// (a scoop into the note) and is decided when it has stopped or grown long.
constexpr double kGlide = 0.35;
constexpr int kGlideHops = 2;
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
// While the game's sound is audible a new note needs more: what leaks through the
// echo canceller is a blend of partials, far less periodic than a voice.
constexpr double kEchoPeriodicity = 0.88;
// A held note whose level stays this far below its own for kDipHops hops, then rises
// by kReattackDb from the dip within kRiseHops (a voice's attack takes up to 100 ms),
// is sung again: a breath between two notes of one pitch that the room's (or the
// voice's) ringing keeps voiced. A note fading on is one note, and so is one swelling
// and fading with a tremolo: its dips come every 150-250 ms, while a breath follows
// kBreathAfterHops of steady singing, counted from the note's onset (a note sung into
// the game's echo may be taken late).
constexpr double kDipDb = 9;
constexpr int kDipHops = 6;
constexpr double kReattackDb = 6;
constexpr int kRiseHops = 10;
constexpr int kBreathAfterHops = 36;
// An onset this soon after a note was taken is that note's own attack, not the next.
constexpr int kOwnAttackHops = 10;
// A stretch at the pitch of the note that ended within kTailHops, this much quieter
// than that note was, is its tail ringing on (a room's reverberation, the voice's own
// fade): a note sung again after a breath comes back about as loud as it was.
constexpr int kTailHops = 30;
constexpr double kTailDb = 15;
// While the game's echo is audible, a held note lost to kGapFrames murky hops (each
// as loud as the note: the echo blended with the voice, no breath) waits to end: a
// steady stretch back at its pitch that begins within kResumeWithin hops of the last
// murky hop is the note going on, not the note sung again.
constexpr int kResumeWithin = 2;
constexpr int kResumeHops = kResumeWithin + kLongestWaitFrames;
// The tracker names a held note an octave (or two) off for a few hops now and then,
// and for longer while a new note settles; or a twelfth below, at three of its
// periods. A held note named so for kLeapHops steady, clear hops in a row, beginning
// once it has been held kSettledHops, has leapt: a legato octave (or twelfth) is the
// next note.
constexpr int kLeapHops = 10;
constexpr int kSettledHops = 20;
// Sung notes lie between C2 and C7; the tracker's answers outside are not a voice.
constexpr double kLowestMidi = 36, kHighestMidi = 96;

// A pitch with less than this share of the window's power at its own frequency
// (-20 dB) has no fundamental there: the tracker named a common subharmonic.
constexpr double kMissingFundamental = 0.01;

// Two periodicities this close are alike.
constexpr double kPeriodicityTie = 0.05;

// Normalised correlation of n samples with themselves `lag` samples later.
double correlationAt(const float* w, std::size_t n, int lag) {
    if (lag <= 0 || lag * 2 > static_cast<int>(n)) return 0;
    double xy = 0, xx = 0, yy = 0;
    for (std::size_t i = 0; i + lag < n; ++i) {
        xy += double(w[i]) * w[i + lag];
        xx += double(w[i]) * w[i];
        yy += double(w[i + lag]) * w[i + lag];
    }
    return xx > 0 && yy > 0 ? xy / std::sqrt(xx * yy) : 0;
}

double correlationAt(const std::vector<float>& w, int lag) { return correlationAt(w.data(), w.size(), lag); }

// Normalised correlation of the window with itself one period later.
double periodicity(const std::vector<float>& w, double hz) {
    return correlationAt(w, static_cast<int>(std::lround(kRate / hz)));
}

// How clearly a hop is voiced at `hz`: the better of the whole window's periodicity
// and that of its newer half, where the period fits twice in it. An ensemble (a
// choir patch, several voices a few cents apart) drifts out of phase with itself over
// the whole 64 ms and repeats better over 32 ms; so does a note just begun, whose
// older half still holds the breath or the note before.
double clarityAt(const std::vector<float>& w, double hz) {
    const int lag = static_cast<int>(std::lround(kRate / hz));
    const std::size_t half = w.size() / 2;
    return std::max(correlationAt(w, lag), correlationAt(w.data() + half, w.size() - half, lag));
}

// The same, at whichever of the two whole lags around the period the window repeats
// better: a high note's period is a few samples long, and what is left of its echo
// (a partial or two, a piano's a little sharp of the note's multiples) may repeat at
// the one the period rounds away from.
double periodicityAround(const std::vector<float>& w, double hz) {
    const int below = static_cast<int>(std::floor(kRate / hz));
    return std::max(correlationAt(w, below), correlationAt(w, below + 1));
}

// The share of the window's power that lies at `hz`: one bin of its discrete Fourier
// transform under a Hann window, scaled so that a sine at `hz` alone gives 1.
double shareAt(const std::vector<float>& w, double hz) {
    static const std::vector<double> hann = [] {
        std::vector<double> h(kWindow);
        for (int i = 0; i < kWindow; ++i) h[i] = 0.5 - 0.5 * std::cos(2 * std::numbers::pi * i / (kWindow - 1));
        return h;
    }();
    const double n = static_cast<double>(w.size());
    const std::complex<double> turn = std::polar(1.0, -2 * std::numbers::pi * hz / kRate);
    std::complex<double> phasor = 1, bin = 0;
    double power = 0;
    for (std::size_t i = 0; i < w.size(); ++i, phasor *= turn) {
        const double x = w[i] * hann[i];
        bin += x * phasor;
        power += x * x;
    }
    // A sine of amplitude A: |bin|^2 = (A n / 4)^2, power = A^2 / 2 * 3n / 8.
    return power > 0 ? std::norm(bin) / (power * n / 3) : 0;
}

// How far above a pitch its k-th harmonic lies, in semitones.
double harmonicSemitones(int k) { return 12 * std::log2(k); }

// Whether `above` lies within half a semitone of a whole multiple (2 to 8) of `below`:
// a voice there repeats at the lower note's period too, whatever else sounds.
bool multipleOf(double above, double below) {
    for (int k = 2; k <= 8; ++k)
        if (std::fabs(above - below - harmonicSemitones(k)) < 0.5) return true;
    return false;
}

// Every hop within kSteadyTolerance of one pitch (the middle of the run's range).
bool steady(const std::vector<double>& run) {
    const auto [lo, hi] = std::minmax_element(run.begin(), run.end());
    return *hi - *lo <= 2 * kSteadyTolerance;
}

double mean(const std::vector<double>& v) {
    double sum = 0;
    for (double x : v) sum += x;
    return sum / static_cast<double>(v.size());
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

    std::vector<double> run;   // pitches of the stretch that may become the next note
    std::vector<double> leap;  // a held note's hops an octave (or a twelfth) off, in a row
    bool holding = false;
    int heldMidi = 0;
    double centre = 0;
    int unvoiced = 0;
    int heldHops = 0;      // hops since the held note was taken
    int sungHops = 0;      // hops since its onset, the first of the stretch that made it
    double heldDb = -200;  // the held note's level: the loudest of its voiced hops
    int dipHops = 0;       // hops in a row well below that level
    double dipDb = 0;      // the lowest level of the dip
    int riseHops = 0;      // hops left for the rise after a long dip
    int lastDipHop = 0;    // sungHops when the last long dip ended (0: none yet)
    double smoothDb = -200;
    std::array<double, 3> lastDb{};  // the last hops' levels, for smoothDb
    bool suspended = false;          // the held note lost to murky hops, its end waiting
    std::int64_t suspendedAt = 0;    // the sample its end has
    std::int64_t suspendedHop = 0;   // the last murky hop since
    bool gapLoud = true;             // every hop of the gap so far as loud as the note
    // The hop the last note ended at (or rang on to); its centre and level stay in
    // `centre` and `heldDb` until the next note begins.
    std::int64_t endedHop = -kTailHops - 1;
    bool echoSounding = false;
    EchoCheck couldBeEcho;

    Impl(Sink s, EchoCheck echo) : sink(std::move(s)), couldBeEcho(std::move(echo)) {
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

    // Whether the window holds any power at `midi` itself: a voice always sounds at its
    // own pitch, a tracker's subharmonic of other sounds need not.
    bool soundsAt(double midi) const { return shareAt(window, hz(midi)) >= kMissingFundamental; }

    void end() {
        if (holding) {
            sink({SungNote::Kind::End, heldMidi, now(), 0});
            endedHop = hops;
        }
        holding = false;
    }

    void suspend() {
        holding = false;
        suspended = true;
        suspendedAt = now();
        suspendedHop = hops;
    }

    void endSuspended() {
        if (!suspended) return;
        sink({SungNote::Kind::End, heldMidi, suspendedAt, 0});
        endedHop = suspendedHop;
        suspended = false;
    }

    // Whether the stretch at `midi` may be the game's echo: its own pitch, or any pitch
    // at all while the window repeats at a note the game may be sounding. What
    // the canceller leaves of a note may be little but some of its upper partials,
    // which a pitch tracker names as almost anything (an octave or two above, a
    // twelfth below, the ninth partial over the eighth a tone above), yet they still
    // repeat at the note's own period; a voice at another pitch does not. A voice a
    // whole number of times above the note (a twelfth, two octaves) repeats there too,
    // so that says nothing of it: it is held only if its own pitch may be the echo (a
    // partial of what sounds; not a fifth above it, a twelfth above the octave below).
    bool mayBeEcho(double midi) const {
        if (couldBeEcho(midi)) return true;
        // A voice always sounds at its own pitch; what the tracker names in the echo's
        // residue may have nothing there at all.
        if (echoSounding && !soundsAt(midi)) return true;
        // A voice a tone or two from the note repeats almost as well at the note's
        // period as at its own (its fundamental is a sine there, nearly in phase): what
        // is the echo's repeats at the note's period at least as well as at the pitch
        // named.
        const double own = periodicityAround(window, hz(midi));
        for (int n = static_cast<int>(kLowestMidi); n <= static_cast<int>(kHighestMidi); ++n) {
            if (!couldBeEcho(n) || multipleOf(midi, n)) continue;
            const double atNote = periodicityAround(window, hz(n));
            if (atNote >= kHoldPeriodicity && atNote + kPeriodicityTie >= own) return true;
        }
        return false;
    }

    // A voice beside the game's echo: the two together may repeat only at a common
    // subharmonic, which the tracker names (E4 sung over C#5's residue repeats at A2,
    // three of E4's periods and five of C#5's; G4 over a D4 the canceller lets through
    // repeats at G2), though nothing sounds at that pitch itself. The louder of the two
    // is the harmonic of the named pitch at whose period the window repeats best; with
    // the voice the louder, that is the voice. (A voice's own fundamental is never that
    // faint, even when its third harmonic is strong enough to repeat so.)
    double voiceOverEcho(double p) const {
        if (soundsAt(p)) return p;
        double best = p, bestPeriodicity = kHoldPeriodicity;
        for (int k = 2; k <= 6 && p + harmonicSemitones(k) <= kHighestMidi; ++k) {
            const double up = p + harmonicSemitones(k), repeats = periodicity(window, hz(up));
            if (repeats > bestPeriodicity) best = up, bestPeriodicity = repeats;
        }
        return best;
    }

    // Whether the held note, after a dip of kDipHops below its level, rises again: a
    // breath and the same note sung anew.
    bool reattacked(double db, bool voiced) {
        if (voiced && dipHops == 0 && riseHops == 0) heldDb = std::max(heldDb, db);
        // The dip on the median level of the last three hops: a ringing voice flickers,
        // and a hop of it cuts no dip short (nor makes one).
        std::rotate(lastDb.begin(), lastDb.begin() + 1, lastDb.end());
        lastDb.back() = db;
        smoothDb = std::max(std::min(lastDb[0], lastDb[1]), std::min(std::max(lastDb[0], lastDb[1]), lastDb[2]));
        if (smoothDb < heldDb - kDipDb) {
            dipDb = dipHops++ ? std::min(dipDb, smoothDb) : smoothDb;
            riseHops = 0;
            return false;
        }
        if (dipHops >= kDipHops) {
            // A long dip ends: the rise may follow, unless dips keep coming.
            if (sungHops - dipHops - lastDipHop >= kBreathAfterHops) riseHops = kRiseHops;
            lastDipHop = sungHops;
        }
        dipHops = 0;
        if (riseHops == 0) return false;
        --riseHops;
        if (db < dipDb + kReattackDb) return false;
        riseHops = 0;
        return true;
    }

    void analyse() {
        ++hops;
        if (suspended && hops - suspendedHop > kResumeHops) endSuspended();
        aubio_pitch_do(pitch, hop, pitchOut);
        aubio_onset_do(onset, hop, onsetOut);
        std::copy(window.begin() + kHop, window.end(), window.begin());
        std::copy(hop->data, hop->data + kHop, window.end() - kHop);
        double p = pitchOut->data[0];
        const double db = aubio_db_spl(hop);
        const bool pitched = db > kSilenceDb && p >= kLowestMidi && p <= kHighestMidi;
        // A voice named at its common subharmonic with the echo is as clear as the
        // window repeats there: the echo's share lowers its repeating at its own period.
        const double named = p;
        if (pitched && echoSounding) p = voiceOverEcho(p);
        const double clarity = pitched ? clarityAt(window, hz(named)) : 0;
        // Clear enough to begin a note (a new one, or a step from the held one).
        const bool clear = clarity >= (echoSounding ? kEchoPeriodicity : kMinPeriodicity);
        const bool voiced = clear || (holding && clarity >= kHoldPeriodicity);
        ++heldHops;
        ++sungHops;
        if (holding && reattacked(db, voiced)) {
            end();
            run.clear();
        }
        if (onsetOut->data[0] > 0 && !echoSounding && !(holding && heldHops < kOwnAttackHops)) {
            end();
            run.clear();
        }
        if (!voiced) {
            run.clear();
            gapLoud = (unvoiced == 0 || gapLoud) && db > heldDb - kDipDb;
            if (suspended && gapLoud) suspendedHop = hops;
            if (suspended && !gapLoud) endSuspended();
            if (++unvoiced >= kGapFrames) {
                if (holding && echoSounding && gapLoud) suspend();
                else end();
            }
            return;
        }
        unvoiced = 0;
        if (holding) {
            // A hop an octave (or two) off the held note, or a twelfth below it, neither
            // ends it nor moves its centre, unless a long steady stretch of them is a leap.
            const double octaves = std::round((p - centre) / 12);
            if ((octaves != 0 && std::fabs(p - centre - 12 * octaves) < kStepSemitones) ||
                std::fabs(p - centre + harmonicSemitones(3)) < kStepSemitones) {
                if (!clear) {
                    leap.clear();
                    return;
                }
                leap.push_back(p);
                while (!leap.empty() && !steady(leap)) leap.erase(leap.begin());
                const int leapHops = static_cast<int>(leap.size());
                if (leapHops < kLeapHops || heldHops - leapHops + 1 < kSettledHops) return;
                // A voice always sounds at its own pitch: with nothing there, a leap
                // below is the held note's period counted twice or three times over.
                if (p < centre && !soundsAt(p)) return;
                if (!stepsOff(leap)) return;
                run.swap(leap);
                leap.clear();
                decide(db);
                return;
            }
            leap.clear();
            // A step is a steady stretch about a semitone or more from the centre: the
            // swing of vibrato, however wide, never stays that far for that long. A
            // murky hop (the held note's ringing blending into the next one's attack)
            // goes on with the held note but is no part of a step.
            if (!clear) {
                run.clear();
                return;
            }
            run.push_back(p);
            if (static_cast<int>(run.size()) > kSteadyFrames) run.erase(run.begin());
            if (static_cast<int>(run.size()) < kSteadyFrames || !steady(run) ||
                std::fabs(mean(run) - centre) < kStepSemitones) {
                // Only hops near the centre move it: not the way to a next note.
                if (std::fabs(p - centre) <= kSteadyTolerance) centre += kCentreFollow * (p - centre);
                return;
            }
            if (!stepsOff(run)) return;  // the stretch off the old note begins the next one
        } else {
            run.push_back(p);
        }
        decide(db);
    }

    // Whether a steady stretch off the held note (a step or a leap) ends it. One that
    // may be the game's echo showing through the voice (named at a common
    // subharmonic, lifted to the echo's harmonic) is no step: it is dropped, and the
    // voice goes on, and its note with it.
    bool stepsOff(std::vector<double>& stretch) {
        if (couldBeEcho && mayBeEcho(mean(stretch))) {
            stretch.clear();
            return false;
        }
        end();
        return true;
    }

    // Takes the run as the next note once it is steady and long enough (`db`: this hop's level).
    void decide(double db) {
        while (!run.empty() && !steady(run)) run.erase(run.begin());
        if (static_cast<int>(run.size()) < kSteadyFrames) return;
        // Vibrato moves the pitch up to half a semitone either side in a cycle of
        // 150-200 ms, so a steady stretch shorter than that may lie on one side of
        // the note: a mean close to the border between two notes waits for more hops.
        const double m = mean(run);
        const double glide = std::accumulate(run.end() - kGlideHops, run.end(), 0.0) / kGlideHops -
                             std::accumulate(run.begin(), run.begin() + kGlideHops, 0.0) / kGlideHops;
        if ((std::fabs(m - std::round(m)) > kDecidedWithin || std::fabs(glide) > kGlide) &&
            static_cast<int>(run.size()) < kLongestWaitFrames)
            return;
        if (suspended) {
            const std::int64_t firstHop = hops - static_cast<std::int64_t>(run.size()) + 1;
            if (firstHop - suspendedHop <= kResumeWithin && std::fabs(m - centre) <= kSteadyTolerance) {
                suspended = false;
                holding = true;
                run.clear();
                return;
            }
            endSuspended();
        }
        if (hops - endedHop <= kTailHops && std::fabs(m - centre) <= kSteadyTolerance && db < heldDb - kTailDb) {
            endedHop = hops;  // for as long as it rings on
            return;
        }
        if (couldBeEcho && mayBeEcho(m)) return;
        // Two notes overlapping in a step (the last one's release, the next one's
        // attack) repeat together at a common subharmonic, which the tracker names: a
        // stretch there, more than an octave below the note just ended, with nothing
        // at its own frequency, is no voice.
        if (hops - endedHop <= kTailHops && m < centre - 12 && !soundsAt(m)) return;
        centre = m;
        heldMidi = static_cast<int>(std::lround(centre));
        holding = true;
        heldHops = 0;
        sungHops = static_cast<int>(run.size());
        heldDb = smoothDb = db;
        lastDb.fill(db);
        dipHops = riseHops = lastDipHop = 0;
        sink({SungNote::Kind::Start, heldMidi, now(), now() - static_cast<std::int64_t>(run.size()) * kHop});
        run.clear();
        leap.clear();
    }
};

SungNotes::SungNotes(Sink sink, EchoCheck couldBeEcho)
    : d_(std::make_unique<Impl>(std::move(sink), std::move(couldBeEcho))) {}

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

void SungNotes::setEcho(bool sounding) { d_->echoSounding = sounding; }

}  // namespace zv::voice
