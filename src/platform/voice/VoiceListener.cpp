#include "platform/voice/VoiceListener.h"

#include <aubio/aubio.h>

#include <algorithm>
#include <array>
#include <bitset>
#include <cmath>
#include <cstdlib>
#include <deque>
#include <numbers>
#include <numeric>

namespace zv::voice {

namespace {
// How long after the game played a sound it may still arrive at the microphone: the
// echo path's length (the sound server's buffers, both ways, and what the two
// streams' clocks may be off by) plus the tracker's window, with room to spare.
constexpr int kEchoHops = (EchoCanceller::kTailMs + 250) / 10;
// Quieter than this (dB relative to full scale), the reference brings back nothing.
constexpr double kAudibleDb = -55;
// Hops of silent reference after which the canceller rests: its tail and some.
constexpr int kRestAfterHops = EchoCanceller::kTailMs / 10 + 20;
// For this long after the reference's level jumps (a new sound starts: the piano's
// hammer, the chime), what leaks through the filter is noise at any pitch, so no
// new note is taken while the echo may be audible: 400 ms, the echo path and the
// filter's first learning.
// A rise of kAttackRiseDb within kAttackRiseHops hops is an attack, and so is a note
// of another pitch following at once: a note cutting the one before rises less than
// from silence, sometimes not at all.
constexpr int kAttackHops = 40;
constexpr double kAttackRiseDb = 5;
constexpr int kAttackRiseHops = 3;
// How loud the echo can be, as a share of the reference's power: measured in blocks
// of kCouplingBlockHops hops, the last kCouplingBlocks blocks with a measure on at
// least half their hops (5 s of the game sounding: a headset put on or taken off is
// noticed that soon); before any measure, assumed louder than played.
constexpr int kCouplingBlockHops = 50;
constexpr int kCouplingBlocks = 10;
constexpr double kUnknownCoupling = 4;
// A block's measure ignores its lowest tenth: the echo path drops out now and then
// (a sound server's underrun), and for a moment the microphone hears no echo at all.
constexpr double kCouplingQuantile = 0.1;
// The echo counts as audible while its bound, with 6 dB to spare, comes within 10 dB
// of what the microphone hears: a voice 10 dB above any echo is a voice.
constexpr double kEchoMargin = 4;
constexpr double kVoiceAboveEcho = 10;
// Hops in the pitch tracker's window.
constexpr int kWindowHops = (kWindow + kHop - 1) / kHop;
// While the echo is audible, the canceller taking this much (dB, on average over the
// tracker's window) off what the microphone hears means the microphone hears mostly
// the game: its own, uncorrelated sound would have stayed. What is left is the echo's
// residue, which a tracker can name as any pitch (a piano's stretched upper partials
// repeat at no note's period).
constexpr double kEchoRemovedDb = 12;
// A voice over the echo, even at the game's own pitch: the microphone kVoiceOverEchoDb
// louder than the echo can be (the bound below, its margin aside), the canceller
// taking kVoiceRemovedDb or less off it and adding nothing. Something the game did
// not play sounds at the microphone. (The canceller alone says nothing: on a ringing
// note it swings between taking much and little, the echo path unchanged.)
constexpr double kVoiceOverEchoDb = 3;
constexpr double kVoiceRemovedDb = 6;

// A voice at a pitch the game's sound holds little of: the microphone's power in
// that pitch's band (three bins of a kWindow-sample spectrum about its fundamental)
// kVoiceInBandDb above the most the echo can bring there (the echo's bound, as above,
// on the loudest the game played in that band over the echo path's span), and at
// least kVoiceShareInBand of all the microphone hears (no faint hum). The echo path
// is linear: it brings nothing at a frequency the game did not play (an octave below
// a piano's note), so a voice there stands out however loud the note rings, while a
// tracker's slip to the octave below the echo finds nothing there.
constexpr double kVoiceInBandDb = 10;
constexpr double kVoiceShareInBand = 0.01;
// A reference spectrum every kSpectrumHops hops, over the echo path's span and the
// tracker's window.
constexpr int kSpectrumHops = 3;
constexpr int kSpectra = (kEchoHops + kWindowHops) / kSpectrumHops + 1;
constexpr int kBins = kWindow / 2 + 1;

// The echo's bound looks back over the path's whole span (kEchoHops) unless the
// canceller has placed the echo within kMostLagHops hops, two readings kLagsEveryHops
// apart agreeing within kLagAgreeHops, with no sound added since: then over those
// hops and kLagSpareHops more. A piano note's attack then stops counting once its echo
// has passed, and a voice sung into its ring is judged against the ring.
constexpr int kLagsEveryHops = 50;
constexpr int kMostLagHops = 12;
constexpr int kLagAgreeHops = 2;
constexpr int kLagSpareHops = 3;

// How long a captured hop waits for its reference while the device is being handed
// sound: longer than a sound server's usual buffer.
constexpr std::int64_t kWaitNs = 150000000;

}  // namespace

// What the game played over the echo path's span, placed by audio time against the
// capture: its power and the pitch class it sounded, hop by hop, and how loud its
// echo at the microphone can be at all.
//
// The bound on the echo: the path is linear, so the echo's power is at most the
// path's gain times the reference's power somewhere in the span; the microphone
// hears the echo plus whatever else, so its power divided by the span's weakest
// reference power is never below the gain. The smallest such ratios over the last
// seconds bound the gain from above: with loudspeakers they stay near the real
// gain, with headphones (a silent microphone while the game sounds) they fall to
// nothing, and then nothing about the game's sound holds back a sung note. Each
// block's low quantile, and the median of the blocks, keep a dropout of the echo
// path from passing for headphones, and a voice singing along from passing for
// loudspeakers.
struct VoiceListener::EchoWatch {
    struct Hop {
        double power = 0;
        int pitch = -1;   // the note the reference's pitch tracker names, -1 for nothing
        int handed = -1;  // the same for the newest sound handed to the device
        bool guessed = false;
    };
    aubio_pitch_t* pitch = new_aubio_pitch("yinfft", kWindow, kHop, kRate);
    aubio_pitch_t* handedPitch = new_aubio_pitch("yinfft", kWindow, kHop, kRate);
    fvec_t* in = new_fvec(kHop);
    fvec_t* out = new_fvec(1);
    std::deque<Hop> recent = std::deque<Hop>(kEchoHops);
    std::int64_t handedNext = 0;   // the next handed sample the handed tracker has not had
    std::array<std::int16_t, kHop> handedHop{};
    int handedFill = 0;
    int handedNote = -1;
    int guessed = 0;               // guessed hops in `recent`
    int attackHops = kAttackHops;  // hops since the reference's level last jumped, up to kAttackHops
    // The notes the reference's tracker has named since its last new note: the note
    // and the partials and subharmonics of it that it slips to as the note rings.
    std::bitset<128> sounding;
    std::array<double, kAttackRiseHops> lastDb{-200, -200, -200};
    std::deque<double> couplingBlocks;
    std::vector<double> blockRatios;
    int blockHops = 0;
    bool audible = false;    // the echo may be within reach of what the microphone hears
    int hopsSinceAudible = kWindowHops;
    int addingHops = 0;              // hops in a row the canceller added sound (EchoCanceller::addedEcho)
    bool aboveEcho = false;          // the microphone louder than the echo can be, the margin aside
    int voiceHops = 0;               // hops in a row with a voice over the echo, up to kWindowHops
    bool mayEcho = false;    // the echo may be above the microphone's floor at all
    int boundHops = kEchoHops;  // the newest hops of `recent` the echo's bound looks at
    int lagsAge = 0;            // hops since the canceller's lags were last read
    int lastLag = -1;           // the last reading's, -1 for none
    std::array<double, kWindowHops> removedDb{};  // what the canceller took off, the last hops
    // The band check: the last kWindow samples of the microphone and of the reference
    // (as lined up, and as handed), and the reference's windows over the span, every
    // kSpectrumHops hops. A window's power spectrum is taken only when a check needs
    // it (seldom: a stretch held as the game's own), and once.
    struct Spectra {
        struct Window {
            std::vector<float> samples = std::vector<float>(kWindow);
            std::vector<float> power = std::vector<float>(kBins);
            bool known = true;  // `power` is of `samples` (all silence at first)
        };
        std::vector<float> samples = std::vector<float>(kWindow);
        std::vector<Window> windows = std::vector<Window>(kSpectra);
        int hops = 0;
        int next = 0;  // the oldest window, the next one replaced
    };
    Spectra lined, handedSpectra;
    std::vector<float> micSamples = std::vector<float>(kWindow);
    std::vector<float> micPower = std::vector<float>(kBins);
    bool micPowerFresh = false;  // micPower is of this hop's window
    std::vector<float> hann = std::vector<float>(kWindow);
    aubio_fft_t* fft = new_aubio_fft(kWindow);
    fvec_t* frame = new_fvec(kWindow);
    cvec_t* spectrum = new_cvec(kWindow);

    EchoWatch() {
        for (aubio_pitch_t* p : {pitch, handedPitch}) {
            aubio_pitch_set_unit(p, "midi");
            aubio_pitch_set_silence(p, kAudibleDb);
        }
        for (int k = 0; k < kWindow; ++k) hann[static_cast<std::size_t>(k)] = 0.5f - 0.5f * std::cos(2 * std::numbers::pi_v<float> * k / kWindow);
    }
    ~EchoWatch() {
        del_aubio_pitch(pitch);
        del_aubio_pitch(handedPitch);
        del_fvec(in);
        del_fvec(out);
        del_aubio_fft(fft);
        del_fvec(frame);
        del_cvec(spectrum);
    }

    // The power spectrum of a window, Hann-windowed.
    void powerSpectrum(const std::vector<float>& x, std::vector<float>& power) {
        for (int k = 0; k < kWindow; ++k) frame->data[k] = x[static_cast<std::size_t>(k)] * hann[static_cast<std::size_t>(k)];
        aubio_fft_do(fft, frame, spectrum);
        for (int k = 0; k < kBins; ++k) power[static_cast<std::size_t>(k)] = spectrum->norm[k] * spectrum->norm[k];
    }
    static void append(std::vector<float>& window, const std::int16_t* hop) {
        std::copy(window.begin() + kHop, window.end(), window.begin());
        for (int k = 0; k < kHop; ++k) window[static_cast<std::size_t>(kWindow - kHop + k)] = hop[k] / 32768.0f;
    }
    void appendReference(Spectra& s, const std::int16_t* hop) {
        append(s.samples, hop);
        if (++s.hops % kSpectrumHops) return;
        Spectra::Window& w = s.windows[static_cast<std::size_t>(s.next)];
        s.next = (s.next + 1) % kSpectra;
        w.samples = s.samples;
        w.known = false;
    }
    const std::vector<float>& power(Spectra::Window& w) {
        if (w.known) return w.power;
        // Silence (the reference between sounds, and all along with headphones) needs no FFT.
        if (std::all_of(w.samples.begin(), w.samples.end(), [](float v) { return v == 0; }))
            std::fill(w.power.begin(), w.power.end(), 0.0f);
        else
            powerSpectrum(w.samples, w.power);
        w.known = true;
        return w.power;
    }
    static double band(const std::vector<float>& power, double midi) {
        const int at = static_cast<int>(std::lround(hz(midi) * kWindow / kRate));
        double sum = 0;
        for (int k = std::max(at - 1, 0); k <= std::min(at + 1, kBins - 1); ++k) sum += power[static_cast<std::size_t>(k)];
        return sum;
    }
    // Whether the microphone holds more in the pitch's band than the echo can bring.
    bool voiceInBand(double midi) {
        if (guessed > 0) return false;  // the span's reference is not all known
        if (!micPowerFresh) powerSpectrum(micSamples, micPower);
        micPowerFresh = true;
        double played = 0;
        for (Spectra* s : {&lined, &handedSpectra})
            for (Spectra::Window& w : s->windows) played = std::max(played, band(power(w), midi));
        const double heard = band(micPower, midi);
        const double all = std::accumulate(micPower.begin(), micPower.end(), 0.0);
        return heard >= coupling() * kEchoMargin * played * std::pow(10.0, kVoiceInBandDb / 10) &&
               heard >= kVoiceShareInBand * all;
    }

    double coupling() const {
        if (couplingBlocks.empty()) return kUnknownCoupling;
        std::vector<double> sorted(couplingBlocks.begin(), couplingBlocks.end());
        const auto middle = sorted.begin() + static_cast<std::ptrdiff_t>(sorted.size() / 2);
        std::nth_element(sorted.begin(), middle, sorted.end());
        return *middle;
    }

    // The note of the newest sound handed to the device: the tracker follows the
    // handed stream itself, hop by hop as it came, so a device handed big buffers now
    // and then (or nothing for a while) is heard as it sounds, not as the same hop
    // over and over (which a tracker takes for a 100 Hz tone).
    void followHanded(ReferenceTap& tap) {
        for (int n; (n = tap.handedSince(handedNext, handedHop.data() + handedFill, kHop - handedFill)) > 0;) {
            handedFill += n;
            if (handedFill < kHop) return;
            handedFill = 0;
            for (int k = 0; k < kHop; ++k) in->data[k] = handedHop[static_cast<std::size_t>(k)] / 32768.0f;
            aubio_pitch_do(handedPitch, in, out);
            appendReference(handedSpectra, handedHop.data());
            handedNote = out->data[0] > 0 ? static_cast<int>(std::lround(out->data[0])) : -1;
        }
    }

    // One hop of reference (`known` of its samples handed to the device, the rest
    // not yet) and the microphone's hop.
    void update(ReferenceTap& tap, const std::int16_t* reference, int known, const std::int16_t* mic) {
        attackHops = std::min(attackHops + 1, kAttackHops);
        followHanded(tap);
        Hop hop;
        int named = handedNote;
        if (known < kHop) {
            // Not handed yet: the game may be sounding. As far as is known, it goes
            // on as it last was, at the note last handed (the tracker is not fed the
            // stand-in: the same hop over and over would read as a 100 Hz tone).
            hop = recent.back();
            hop.guessed = true;
        } else {
            for (int k = 0; k < kHop; ++k) in->data[k] = reference[k] / 32768.0f;
            aubio_pitch_do(pitch, in, out);
            named = out->data[0] > 0 ? static_cast<int>(std::lround(out->data[0])) : -1;
        }
        const double p = hopPower(reference);
        if (p > hop.power) {
            hop.power = p;
            hop.pitch = named;
        }
        hop.handed = handedNote;
        const double db = 10 * std::log10(hop.power + 1e-20);
        // A new sound: a rise in level, or a new note cutting the one before (which
        // may rise less than that). The tracker's leaps on one ringing note, as it
        // fades, to a partial or a subharmonic of it are none, nor are leaps between
        // two of those (F5 named F4, then A#3: a fifth apart, both below F5).
        bool related = sounding.none();
        for (int n = 0; n < 128 && !related && hop.pitch >= 0; ++n) related = sounding[n] && partialOf(hop.pitch, n);
        const bool newNote = hop.pitch >= 0 && !related;
        if (newNote) sounding.reset();
        if (hop.pitch >= 0) sounding.set(static_cast<std::size_t>(std::min(hop.pitch, 127)));
        if (db > kAudibleDb && (newNote || db - *std::min_element(lastDb.begin(), lastDb.end()) >= kAttackRiseDb))
            attackHops = 0;
        std::rotate(lastDb.begin(), lastDb.begin() + 1, lastDb.end());
        lastDb.back() = db;
        guessed += hop.guessed - recent.front().guessed;
        static const std::array<std::int16_t, kHop> nothing{};
        appendReference(lined, known < kHop ? nothing.data() : reference);
        append(micSamples, mic);
        micPowerFresh = false;
        recent.pop_front();
        recent.push_back(hop);

        double weakest = 1, loudest = 0;
        for (const Hop& h : recent) weakest = std::min(weakest, h.power);
        for (auto h = recent.end() - boundHops; h != recent.end(); ++h) loudest = std::max(loudest, h->power);
        const double heard = hopPower(mic);
        // A guessed hop may overstate the reference: no measure from such a span. Nor
        // from a hop the canceller added sound to: the echo path dropping out for a
        // moment (a sound server's underrun) makes it do so, and is no headset put on.
        if (guessed == 0 && weakest > 0 && addingHops == 0) blockRatios.push_back(heard / weakest);
        if (++blockHops == kCouplingBlockHops) {
            if (2 * static_cast<int>(blockRatios.size()) >= kCouplingBlockHops) {
                const auto at = blockRatios.begin() + static_cast<std::ptrdiff_t>(kCouplingQuantile * blockRatios.size());
                std::nth_element(blockRatios.begin(), at, blockRatios.end());
                couplingBlocks.push_back(*at);
                if (static_cast<int>(couplingBlocks.size()) > kCouplingBlocks) couplingBlocks.pop_front();
            }
            blockRatios.clear();
            blockHops = 0;
        }
        const double bound = coupling() * kEchoMargin * loudest;
        mayEcho = 10 * std::log10(bound + 1e-20) > kAudibleDb;
        audible = mayEcho && bound >= heard * std::pow(10.0, -kVoiceAboveEcho / 10);
        aboveEcho = mayEcho && heard * kEchoMargin >= bound * std::pow(10.0, kVoiceOverEchoDb / 10);
        hopsSinceAudible = audible ? 0 : std::min(hopsSinceAudible + 1, kWindowHops);
    }

    // What the canceller left of the microphone's hop, and whether it added sound.
    void cancelled(const std::int16_t* mic, const std::int16_t* left, bool added) {
        std::rotate(removedDb.begin(), removedDb.begin() + 1, removedDb.end());
        removedDb.back() = 10 * std::log10((hopPower(mic) + 1e-12) / (hopPower(left) + 1e-12));
        addingHops = added ? addingHops + 1 : 0;
        const bool voice = aboveEcho && !added && removedDb.back() <= kVoiceRemovedDb;
        voiceHops = voice ? std::min(voiceHops + 1, kWindowHops) : 0;
    }
    // Reads where the canceller has placed the echo (EchoCanceller::echoLags) now and
    // then while it works; any sound it added (the path moved or dropped out) puts
    // the bound back on the whole span until two readings agree again.
    void placed(const EchoCanceller& canceller, bool cancelling) {
        if (addingHops > 0) {
            boundHops = kEchoHops;
            lastLag = -1;
            lagsAge = 0;
            return;
        }
        if (!cancelling || ++lagsAge < kLagsEveryHops) return;
        lagsAge = 0;
        int last = 0;
        // Not before the path's gain is measured: against a guessed gain, only the
        // loudest of the span bounds the echo safely.
        const bool placedNow = !couplingBlocks.empty() && canceller.echoLags(last) && last <= kMostLagHops;
        const bool agree = placedNow && lastLag >= 0 && std::abs(last - lastLag) <= kLagAgreeHops;
        boundHops = agree ? std::max(last, lastLag) + 1 + kLagSpareHops : kEchoHops;
        lastLag = placedNow ? last : -1;
    }

    bool mostlyEcho() const {
        double sum = 0;
        for (double db : removedDb) sum += db;
        return sum / kWindowHops >= kEchoRemovedDb;
    }

    // Whether one named note is the other's partial (2nd to 8th), or the other way round.
    static bool partialOf(int a, int b) {
        constexpr int kPartials[] = {0, 12, 19, 24, 28, 31, 34, 36};
        return std::find(std::begin(kPartials), std::end(kPartials), std::abs(a - b)) != std::end(kPartials);
    }

    static bool mayNameEchoOf(int note, int sounding) {
        return sounding >= 0 && (note == sounding - 12 || (note >= sounding && partialOf(note, sounding)));
    }

    // Whether a steady pitch may be the game's echo: only the note the game has been
    // sounding over the span (lined up with the capture, or, should the two streams'
    // clocks be misread on a busy machine, as handed to the device: the game sounds
    // nothing while an answer is sung, so this costs a singer nothing), or one of its
    // partials (what the filter leaves of a note may be mostly its second or third
    // partial) or the octave below it (a tracker's commonest slip on what little is
    // left), or any, for the moment after a sound's attack, while what leaks through is
    // noise at any pitch, or while the canceller takes off most of what the microphone
    // hears. When the canceller has lost the echo path (it moved, or dropped out for a
    // moment: a sound server's underrun), what passes it while it relearns is the
    // whole echo or a mix of the last notes: their pitches and partials, which this
    // rule holds, so a voice in another class is heard meanwhile.
    bool couldBeEcho(double midi) {
        // Until the pitch tracker's window has no hop left of the time the echo was
        // audible: a voice rising over the echo is judged by its own hops, not by a
        // stretch of the echo's that the tracker has not yet left behind.
        if (hopsSinceAudible >= kWindowHops) return false;
        if (attackHops < kAttackHops || mostlyEcho()) return true;
        // A voice over the echo for the whole of the tracker's window: what it names
        // is the voice's, the game's own note included.
        if (voiceHops >= kWindowHops) return false;
        const int note = static_cast<int>(std::lround(midi));
        return std::any_of(recent.begin(), recent.end(),
                           [&](const Hop& h) { return mayNameEchoOf(note, h.pitch) || mayNameEchoOf(note, h.handed); }) &&
               !voiceInBand(midi);
    }
};

VoiceListener::VoiceListener(ReferenceTap& reference, SungNotes::Sink sink)
    : reference_(reference),
      notes_(std::move(sink), [this](double midi) { return echo_->couldBeEcho(midi); }),
      echo_(std::make_unique<EchoWatch>()) {
    pending_.reserve(kHop);
}

VoiceListener::~VoiceListener() = default;

void VoiceListener::captured(const std::int16_t* samples, std::size_t count, std::int64_t nowNs) {
    for (std::size_t i = 0; i < count; ++i) {
        pending_.push_back(samples[i]);
        if (pending_.size() < static_cast<std::size_t>(kHop)) continue;
        // This hop's last sample came in count - 1 - i samples before the last of all.
        const std::int64_t lastNs = nowNs - static_cast<std::int64_t>(count - 1 - i) * 1000000000LL / kRate;
        waiting_.push_back({{}, reference_.placeCapture(kHop, lastNs), lastNs});
        std::copy(pending_.begin(), pending_.end(), waiting_.back().mic.begin());
        pending_.clear();
    }
    // Each hop is matched with the sound the device was handed for its time. While the
    // device is being handed sound, a hop whose reference has not come yet (the sound
    // device's callback runs late, or hands big buffers) waits for it, up to kWaitNs.
    std::int16_t reference[kHop];
    while (!waiting_.empty()) {
        const Waiting& hop = waiting_.front();
        const int known = reference_.take(reference, kHop, hop.at);
        if (known < kHop && nowNs - hop.arrivedNs < kWaitNs && reference_.flowing(nowNs, kWaitNs)) break;
        process(hop.mic.data(), reference, known);
        waiting_.pop_front();
    }
}

void VoiceListener::process(const std::int16_t* mic, const std::int16_t* reference, int known) {
    std::int16_t voice[kHop];
    float hop[kHop];
    echo_->update(reference_, reference, known, mic);
    // With nothing played for longer than the filter's tail, or a microphone that
    // does not hear the game (headphones), there is no echo to take out: the adaptive
    // filter (the larger part of the work) rests meanwhile.
    const bool referenceSilent =
        known == kHop && std::all_of(reference, reference + kHop, [](std::int16_t v) { return v == 0; });
    silentHops_ = referenceSilent ? std::min(silentHops_ + 1, kRestAfterHops) : 0;
    // The residual-echo suppression only while the echo may be heard at all: with
    // headphones it would take a bite out of the voice.
    const bool cancel = silentHops_ < kRestAfterHops && echo_->mayEcho;
    canceller_.process(mic, reference, voice, cancel, echo_->mayEcho);
    echo_->cancelled(mic, voice, canceller_.addedEcho());
    echo_->placed(canceller_, cancel);
    notes_.setEcho(echo_->audible);
    for (int k = 0; k < kHop; ++k) hop[k] = voice[k] / 32768.0f;
    notes_.feed(hop, kHop);
}

}  // namespace zv::voice
