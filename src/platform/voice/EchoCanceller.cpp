#include "platform/voice/EchoCanceller.h"

#include <speex/speex_echo.h>
#include <speex/speex_preprocess.h>
#include <speex/speex_resampler.h>

#include <algorithm>
#include <cmath>

namespace zv::voice {

namespace {
constexpr std::int64_t kNsPerSample = 1000000000LL / kRate;
// Two seconds of reference: far more than the echo path is long.
constexpr std::size_t kRingSize = 2 * kRate;
// A stream's clock is read from its last arrivals (one or two seconds of them).
constexpr std::size_t kClockObservations = 200;
// An echo comes back within this of the sound being handed to the device: a capture
// placed further behind what the device was handed has its clock misread (a busy
// machine's callbacks), and takes the sound of that long ago instead.
constexpr std::int64_t kLongestPath = kRate / 2;
// A pause in what the sound device was handed longer than this (it was closed: the
// game closes it after seconds of silence; a callback late on a busy machine is not
// a pause) starts the reference again at the time of the next buffer.
constexpr std::int64_t kGapNs = 1000000000;
// A hop the filter leaves louder than the microphone by 3 dB, above the level where
// its rounding noise is the louder, added sound.
constexpr double kAddedFactor = 4;
constexpr double kAddedFloor = 1e-6;

double power(const std::int16_t* x) {
    double sum = 0;
    for (int i = 0; i < kHop; ++i) sum += double(x[i]) * x[i];
    return sum / kHop / (32768.0 * 32768.0);
}
}  // namespace

void ReferenceTap::StreamClock::observe(std::int64_t nowNs, std::int64_t samplesBefore) {
    recent.push_back(nowNs - samplesBefore * kNsPerSample);
    if (recent.size() > kClockObservations) recent.pop_front();
    sorted.assign(recent.begin(), recent.end());
    const auto at = sorted.begin() + static_cast<std::ptrdiff_t>(sorted.size() / 10);
    std::nth_element(sorted.begin(), at, sorted.end());
    zeroNs = *at;
    known = true;
}

std::int64_t ReferenceTap::StreamClock::timeOf(std::int64_t sample) const { return zeroNs + sample * kNsPerSample; }

// The played frames go in 1024 at a time; `out` holds what each such batch makes.
struct ReferenceTap::Resampler {
    explicit Resampler(int playedRate)
        : state(speex_resampler_init(1, static_cast<spx_uint32_t>(playedRate), kRate, 3, nullptr)),
          out(static_cast<std::size_t>(kBatch) * kRate / static_cast<std::size_t>(playedRate) + 8) {}
    ~Resampler() { speex_resampler_destroy(state); }
    static constexpr int kBatch = 1024;
    SpeexResamplerState* state;
    std::vector<std::int16_t> out;
};

ReferenceTap::ReferenceTap(int playedRate) : ring_(kRingSize, 0), resampler_(std::make_unique<Resampler>(playedRate)) {}

ReferenceTap::~ReferenceTap() = default;

void ReferenceTap::played(const std::int16_t* frames, int frameCount, int channels, std::int64_t nowNs) {
    if (frameCount <= 0 || channels <= 0) return;
    std::lock_guard lock(mutex_);
    // After a pause the stream goes on at the time of this buffer, silence between.
    if (playedClock_.known && nowNs - playedClock_.timeOf(written_) > kGapNs) {
        const std::int64_t resume = (nowNs - playedClock_.zeroNs) / kNsPerSample;
        for (std::int64_t i = written_; i < resume && i < written_ + static_cast<std::int64_t>(kRingSize); ++i)
            ring_[static_cast<std::size_t>(i) % kRingSize] = 0;
        written_ = std::max(written_, resume);
    }
    playedClock_.observe(nowNs, written_);
    lastPlayedNs_ = nowNs;
    std::int16_t mono[Resampler::kBatch];
    std::vector<std::int16_t>& out = resampler_->out;
    while (frameCount > 0) {
        const int n = std::min(frameCount, Resampler::kBatch);
        for (int i = 0; i < n; ++i) {
            int sum = 0;
            for (int c = 0; c < channels; ++c) sum += frames[i * channels + c];
            mono[i] = static_cast<std::int16_t>(sum / channels);
        }
        spx_uint32_t in = n, produced = static_cast<spx_uint32_t>(out.size());
        speex_resampler_process_int(resampler_->state, 0, mono, &in, out.data(), &produced);
        for (spx_uint32_t i = 0; i < produced; ++i) ring_[static_cast<std::size_t>(written_++) % kRingSize] = out[i];
        frames += n * channels;
        frameCount -= n;
    }
}

std::int64_t ReferenceTap::captureTime(int count, std::int64_t nowNs) {
    std::lock_guard lock(mutex_);
    // The callback runs once its samples are in: the last was captured at about nowNs.
    capturedClock_.observe(nowNs, captured_ + count);
    const std::int64_t firstNs = capturedClock_.timeOf(captured_);
    captured_ += count;
    return firstNs;
}

bool ReferenceTap::flowing(std::int64_t nowNs, std::int64_t withinNs) {
    std::lock_guard lock(mutex_);
    return playedClock_.known && nowNs - lastPlayedNs_ < withinNs;
}

int ReferenceTap::take(std::int16_t* out, int count, std::int64_t firstNs) {
    std::lock_guard lock(mutex_);
    if (!playedClock_.known) {
        std::fill(out, out + count, 0);
        return 0;
    }
    const std::int64_t first =
        std::max((firstNs - playedClock_.zeroNs) / kNsPerSample, written_ - kLongestPath - count);
    int known = 0;
    for (int i = 0; i < count; ++i) {
        const std::int64_t k = first + i;
        // Not handed yet: the device goes on with what it was handed last, as far as
        // is known (silence where nothing was).
        const std::int64_t at = std::min(k, written_ - count + i);
        const bool kept = at >= 0 && at < written_ && at >= written_ - static_cast<std::int64_t>(kRingSize);
        out[i] = kept ? ring_[static_cast<std::size_t>(at) % kRingSize] : 0;
        known += k < written_;
    }
    return known;
}

int ReferenceTap::handedSince(std::int64_t& next, std::int16_t* out, int count) {
    std::lock_guard lock(mutex_);
    next = std::max(next, written_ - static_cast<std::int64_t>(kRingSize));
    const int n = static_cast<int>(std::clamp<std::int64_t>(written_ - next, 0, count));
    for (int i = 0; i < n; ++i) out[i] = ring_[static_cast<std::size_t>(next + i) % kRingSize];
    next += n;
    return n;
}

struct EchoCanceller::Impl {
    SpeexEchoState* echo = speex_echo_state_init(kHop, kTailMs * kRate / 1000);
    SpeexPreprocessState* pre = speex_preprocess_state_init(kHop, kRate);
    bool suppressing = true;
    bool cancelling = true;
    bool added = false;

    Impl() {
        int rate = kRate;
        speex_echo_ctl(echo, SPEEX_ECHO_SET_SAMPLING_RATE, &rate);
        speex_preprocess_ctl(pre, SPEEX_PREPROCESS_SET_ECHO_STATE, echo);
        int on = 1, off = 0;
        speex_preprocess_ctl(pre, SPEEX_PREPROCESS_SET_DENOISE, &on);
        // A level that the voice's own loudness would change is no help to a pitch
        // tracker: no automatic gain, no dereverberation.
        speex_preprocess_ctl(pre, SPEEX_PREPROCESS_SET_AGC, &off);
        speex_preprocess_ctl(pre, SPEEX_PREPROCESS_SET_DEREVERB, &off);
    }
    ~Impl() {
        speex_preprocess_state_destroy(pre);
        speex_echo_state_destroy(echo);
    }
};

EchoCanceller::EchoCanceller() : d_(std::make_unique<Impl>()) {}

EchoCanceller::~EchoCanceller() = default;

void EchoCanceller::process(const std::int16_t* mic, const std::int16_t* reference, std::int16_t* out, bool cancel,
                            bool suppressEcho) {
    // The preprocessor's residual-echo suppression works from the filter's estimate of
    // the echo; with the filter resting that estimate is stale, and would take a bite
    // out of a voice for an echo that is not there.
    const bool suppressing = cancel && suppressEcho;
    if (suppressing != d_->suppressing)
        speex_preprocess_ctl(d_->pre, SPEEX_PREPROCESS_SET_ECHO_STATE, suppressing ? d_->echo : nullptr);
    d_->suppressing = suppressing;
    d_->added = false;
    if (cancel || d_->cancelling) {
        speex_echo_cancellation(d_->echo, mic, reference, out);
        d_->added = cancel && power(out) > std::max(kAddedFactor * power(mic), kAddedFloor);
        // The filter's output is not the microphone's signal sample for sample (it
        // takes out DC too): where the filter starts or rests, one hop fades from
        // one to the other, or the step would sound like an attack.
        if (cancel != d_->cancelling)
            for (int i = 0; i < kHop; ++i) {
                const float w = (i + 0.5f) / kHop, filtered = cancel ? w : 1 - w;
                out[i] = static_cast<std::int16_t>(std::lround(filtered * out[i] + (1 - filtered) * mic[i]));
            }
    } else {
        std::copy(mic, mic + kHop, out);
    }
    d_->cancelling = cancel;
    speex_preprocess_run(d_->pre, out);
}

bool EchoCanceller::addedEcho() const { return d_->added; }

}  // namespace zv::voice
