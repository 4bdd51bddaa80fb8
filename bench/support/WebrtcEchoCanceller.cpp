// EchoCanceller (platform/voice/EchoCanceller.h), the same contract, on webrtc's audio
// processing (Debian's libwebrtc-audio-processing): its echo canceller (a partitioned
// frequency-domain adaptive filter with a delay estimator and a nonlinear residual-echo
// suppressor) and its noise suppression, no automatic gain. Built only into the
// benchmarks, to measure it against speexdsp on the same singers.
//
// Where the two differ in what they can be told:
//   - Resting (`cancel` false): webrtc's canceller cannot be paused without being
//     reset (enabling it again starts it from nothing), so it is handed silence as the
//     reference instead: a filter fed silence neither learns nor subtracts, and its
//     suppressor, finding nothing of the reference in the microphone, leaves the voice
//     alone; what it learnt stays for when the game sounds again.
//   - `suppressEcho` false: its residual-echo suppression cannot be turned off, only
//     lowered: it runs at its lowest level meanwhile.
#include "support/WebrtcEchoCanceller.h"

#include <webrtc/modules/audio_processing/include/audio_processing.h>
#include <webrtc/modules/interface/module_common_types.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/voice/EchoCanceller.h"

namespace zv::bench {

namespace {
bool flag(const char* name, bool otherwise) {
    const char* v = std::getenv(name);
    return v && *v ? std::strcmp(v, "0") != 0 : otherwise;
}
}  // namespace

const WebrtcSettings& webrtcSettings() {
    static const WebrtcSettings settings = [] {
        WebrtcSettings s;
        if (const char* v = std::getenv("BENCH_WEBRTC_SUPPRESSION")) {
            const std::string level = v;
            s.suppression = level == "low" ? 0 : level == "high" ? 2 : 1;
        }
        s.delayAgnostic = flag("BENCH_WEBRTC_DELAY_AGNOSTIC", s.delayAgnostic);
        s.extendedFilter = flag("BENCH_WEBRTC_EXTENDED", s.extendedFilter);
        if (const char* v = std::getenv("BENCH_WEBRTC_DELAY_MS")) s.delayMs = std::atoi(v);
        s.noiseSuppression = flag("BENCH_WEBRTC_NOISE", s.noiseSuppression);
        return s;
    }();
    return settings;
}

std::string describe(const WebrtcSettings& s) {
    static const char* levels[] = {"low", "moderate", "high"};
    return std::string("webrtc suppression ") + levels[s.suppression] + " delay-agnostic " +
           (s.delayAgnostic ? "on" : "off") + " extended-filter " + (s.extendedFilter ? "on" : "off") +
           " stream-delay " + std::to_string(s.delayMs) + " ms noise-suppression " + (s.noiseSuppression ? "on" : "off");
}

}  // namespace zv::bench

namespace zv::voice {

namespace {
webrtc::EchoCancellation::SuppressionLevel level(int suppression) {
    return suppression == 0   ? webrtc::EchoCancellation::kLowSuppression
           : suppression == 2 ? webrtc::EchoCancellation::kHighSuppression
                              : webrtc::EchoCancellation::kModerateSuppression;
}

void check(int error, const char* what) {
    if (error != webrtc::AudioProcessing::kNoError) {
        std::fprintf(stderr, "webrtc audio processing: %s failed (%d)\n", what, error);
        std::abort();
    }
}
}  // namespace

struct EchoCanceller::Impl {
    const bench::WebrtcSettings& settings = bench::webrtcSettings();
    std::unique_ptr<webrtc::AudioProcessing> apm;
    webrtc::AudioFrame near, far;
    std::int16_t silence[kHop] = {};
    bool suppressing = true;
    bool added = false;

    Impl() {
        webrtc::Config config;
        config.Set<webrtc::ExtendedFilter>(new webrtc::ExtendedFilter(settings.extendedFilter));
        config.Set<webrtc::DelayAgnostic>(new webrtc::DelayAgnostic(settings.delayAgnostic));
        config.Set<webrtc::ExperimentalAgc>(new webrtc::ExperimentalAgc(false));
        apm.reset(webrtc::AudioProcessing::Create(config));
        check(apm->Initialize(kRate, kRate, kRate, webrtc::AudioProcessing::kMono, webrtc::AudioProcessing::kMono,
                              webrtc::AudioProcessing::kMono),
              "Initialize");
        check(apm->echo_cancellation()->Enable(true), "echo cancellation");
        check(apm->echo_cancellation()->set_suppression_level(level(settings.suppression)), "suppression level");
        check(apm->noise_suppression()->Enable(settings.noiseSuppression), "noise suppression");
        check(apm->noise_suppression()->set_level(webrtc::NoiseSuppression::kModerate), "noise suppression level");
        check(apm->gain_control()->Enable(false), "gain control");
        check(apm->high_pass_filter()->Enable(false), "high-pass filter");
    }

    static void fill(webrtc::AudioFrame& frame, const std::int16_t* samples) {
        frame.UpdateFrame(0, 0, samples, kHop, kRate, webrtc::AudioFrame::kNormalSpeech, webrtc::AudioFrame::kVadUnknown, 1);
    }
};

EchoCanceller::EchoCanceller() : d_(std::make_unique<Impl>()) {}

EchoCanceller::~EchoCanceller() = default;

void EchoCanceller::process(const std::int16_t* mic, const std::int16_t* reference, std::int16_t* out, bool cancel,
                            bool suppressEcho) {
    const bool suppressing = cancel && suppressEcho;
    if (suppressing != d_->suppressing)
        check(d_->apm->echo_cancellation()->set_suppression_level(suppressing ? level(d_->settings.suppression)
                                                                               : webrtc::EchoCancellation::kLowSuppression),
              "suppression level");
    d_->suppressing = suppressing;
    Impl::fill(d_->far, cancel ? reference : d_->silence);
    check(d_->apm->ProcessReverseStream(&d_->far), "ProcessReverseStream");
    Impl::fill(d_->near, mic);
    // The reference comes lined up with the microphone by audio time (ReferenceTap):
    // what is left is the room's own delay.
    check(d_->apm->set_stream_delay_ms(d_->settings.delayMs), "set_stream_delay_ms");
    check(d_->apm->ProcessStream(&d_->near), "ProcessStream");
    std::copy(d_->near.data_, d_->near.data_ + kHop, out);
    d_->added = cancel && addedSound(mic, out);
}

bool EchoCanceller::addedEcho() const { return d_->added; }

// webrtc keeps its filter to itself: the echo may lie anywhere in the path's span.
bool EchoCanceller::echoLags(int&) const { return false; }

}  // namespace zv::voice
