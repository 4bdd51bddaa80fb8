#include "platform/voice/EchoCanceller.h"

#include <speex/speex_echo.h>
#include <speex/speex_preprocess.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace zv::voice {

struct EchoCanceller::Impl {
    SpeexEchoState* echo = speex_echo_state_init(kHop, kTailMs * kRate / 1000);
    SpeexPreprocessState* pre = speex_preprocess_state_init(kHop, kRate);
    bool suppressing = true;
    bool cancelling = true;
    bool added = false;
    std::vector<spx_int32_t> response;
    std::vector<double> energy;

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
        d_->added = cancel && addedSound(mic, out);
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

bool EchoCanceller::echoLags(int& last) const {
    int size = 0;
    speex_echo_ctl(d_->echo, SPEEX_ECHO_GET_IMPULSE_RESPONSE_SIZE, &size);
    d_->response.resize(static_cast<std::size_t>(size));
    speex_echo_ctl(d_->echo, SPEEX_ECHO_GET_IMPULSE_RESPONSE, d_->response.data());
    // The energy up to each tap, in place.
    std::vector<double>& energy = d_->energy;
    energy.resize(d_->response.size());
    double sum = 0;
    for (std::size_t k = 0; k < energy.size(); ++k) energy[k] = sum += double(d_->response[k]) * d_->response[k];
    if (sum <= 0) return false;
    // The response reaches well past the path's end: a piano's few partials leave
    // most of the filter's frequencies unlearnt, and what those hold spreads thinly
    // over the whole tail. Most of the energy lies on the path.
    const auto reached = std::lower_bound(energy.begin(), energy.end(), 0.95 * sum);
    last = static_cast<int>(std::min<std::ptrdiff_t>(reached - energy.begin(), size - 1)) / kHop;
    return true;
}

}  // namespace zv::voice
