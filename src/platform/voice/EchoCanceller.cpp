#include "platform/voice/EchoCanceller.h"

#include <speex/speex_echo.h>
#include <speex/speex_preprocess.h>
#include <speex/speex_resampler.h>

#include <algorithm>

namespace zv::voice {

namespace {
constexpr int kPlayedRate = 48000;
// The reference may run this far ahead of the capture before the excess is dropped:
// two of the sound device's buffers, so the echo never precedes its reference.
constexpr std::size_t kMaxBacklog = kRate / 100;  // 10 ms
}  // namespace

struct ReferenceTap::Resampler {
    SpeexResamplerState* state = speex_resampler_init(1, kPlayedRate, kRate, 3, nullptr);
    ~Resampler() { speex_resampler_destroy(state); }
};

ReferenceTap::ReferenceTap() : resampler_(std::make_unique<Resampler>()) {}

ReferenceTap::~ReferenceTap() = default;

void ReferenceTap::played(const std::int16_t* frames, int frameCount, int channels) {
    if (frameCount <= 0 || channels <= 0) return;
    std::int16_t mono[1024];
    std::int16_t out[1024 / 3 + 8];
    while (frameCount > 0) {
        const int n = std::min(frameCount, 1024);
        for (int i = 0; i < n; ++i) {
            int sum = 0;
            for (int c = 0; c < channels; ++c) sum += frames[i * channels + c];
            mono[i] = static_cast<std::int16_t>(sum / channels);
        }
        spx_uint32_t in = n, produced = sizeof out / sizeof out[0];
        std::lock_guard lock(mutex_);
        speex_resampler_process_int(resampler_->state, 0, mono, &in, out, &produced);
        queue_.insert(queue_.end(), out, out + produced);
        frames += n * channels;
        frameCount -= n;
    }
}

void ReferenceTap::take(std::int16_t* out, int count) {
    std::lock_guard lock(mutex_);
    const std::size_t want = static_cast<std::size_t>(count);
    if (queue_.size() > want + kMaxBacklog) queue_.erase(queue_.begin(), queue_.end() - (want + kMaxBacklog));
    // Silence first where the queue falls short: what is queued was played last.
    const std::size_t have = std::min(queue_.size(), want);
    std::fill(out, out + (want - have), 0);
    std::copy(queue_.begin(), queue_.begin() + have, out + (want - have));
    queue_.erase(queue_.begin(), queue_.begin() + have);
}

struct EchoCanceller::Impl {
    SpeexEchoState* echo = speex_echo_state_init(kHop, kTailMs * kRate / 1000);
    SpeexPreprocessState* pre = speex_preprocess_state_init(kHop, kRate);

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

void EchoCanceller::process(const std::int16_t* mic, const std::int16_t* reference, std::int16_t* out) {
    speex_echo_cancellation(d_->echo, mic, reference, out);
    speex_preprocess_run(d_->pre, out);
}

}  // namespace zv::voice
