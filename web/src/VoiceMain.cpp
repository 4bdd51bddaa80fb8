// The web edition's voice module (site/voice.{js,wasm}), which the page fetches only
// when the player turns singing on: the desktop's voice (platform/voice) fed by the
// page's capture (web/page/singing.js). Each block of the page's audio graph brings the
// microphone and the game's own output for the same frames, at the graph's rate, with
// the graph's time at its start: the output becomes the echo reference, as SdlSound's
// post-mix hook hands it on the desktop, and the microphone, resampled to the voice's
// rate, goes to the listener. Each sung note's start and end goes to the page.
#include <emscripten.h>
#include <speex/speex_resampler.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/voice/VoiceListener.h"

namespace {

namespace voice = zv::voice;

// The most frames the page hands in one call (its blocks are 128 to 1024 frames).
constexpr int kMaxFrames = 4096;
constexpr int kQuality = 5;

EM_JS(void, zv_voice_heard, (int midi, int on, double fromSample, double atSample), {
    Module.onNote(midi, on !== 0, fromSample, atSample);
});

std::int16_t toSample(float x) {
    return static_cast<std::int16_t>(std::lround(std::clamp(x, -1.0F, 1.0F) * 32767.0F));
}

class Resampler {
public:
    Resampler(int from, int to)
        : from_(from), to_(to), state_(from == to ? nullptr : speex_resampler_init(1, from, to, kQuality, nullptr)) {}
    ~Resampler() {
        if (state_) speex_resampler_destroy(state_);
    }
    Resampler(const Resampler&) = delete;
    Resampler& operator=(const Resampler&) = delete;

    // The frames as signed 16-bit samples at the target rate, in out (reused).
    void convert(const float* in, int count, std::vector<std::int16_t>& out) {
        source_.resize(static_cast<std::size_t>(count));
        std::transform(in, in + count, source_.begin(), toSample);
        if (!state_) {
            out = source_;
            return;
        }
        out.resize(static_cast<std::size_t>(count) * static_cast<std::size_t>(to_) / static_cast<std::size_t>(from_) + 16);
        spx_uint32_t taken = static_cast<spx_uint32_t>(count);
        spx_uint32_t made = static_cast<spx_uint32_t>(out.size());
        speex_resampler_process_int(state_, 0, source_.data(), &taken, out.data(), &made);
        out.resize(made);
    }

private:
    int from_, to_;
    SpeexResamplerState* state_;
    std::vector<std::int16_t> source_;
};

struct Voice {
    explicit Voice(int rate) : reference(rate), toVoice(rate, voice::kRate) {}

    voice::ReferenceTap reference;
    voice::VoiceListener listener{reference, [](const voice::SungNote& n) {
        zv_voice_heard(n.midi, n.kind == voice::SungNote::Kind::Start, static_cast<double>(n.fromSample),
                       static_cast<double>(n.atSample));
    }};
    Resampler toVoice;
    std::vector<float> frames = std::vector<float>(2 * kMaxFrames);  // the microphone's, then the output's
    std::vector<std::int16_t> mic, output;
};

std::unique_ptr<Voice> voiceNow;

}  // namespace

extern "C" {

// Starts listening to a graph running at `rate` frames a second. Returns where the
// page puts each block's frames: kMaxFrames of the microphone, then as many of the
// game's output.
EMSCRIPTEN_KEEPALIVE float* zv_voice_open(int rate) {
    voiceNow = std::make_unique<Voice>(rate);
    return voiceNow->frames.data();
}

EMSCRIPTEN_KEEPALIVE int zv_voice_max_frames() { return kMaxFrames; }

// One block of `count` frames put in place, the first of which the graph rendered at
// `startSeconds` (its own clock), lasting `seconds`.
EMSCRIPTEN_KEEPALIVE void zv_voice_block(int count, double startSeconds, double seconds) {
    if (!voiceNow || count <= 0 || count > kMaxFrames) return;
    Voice& v = *voiceNow;
    const auto startNs = static_cast<std::int64_t>(std::llround(startSeconds * 1e9));
    const auto endNs = static_cast<std::int64_t>(std::llround((startSeconds + seconds) * 1e9));
    // The reference takes the game's output at the graph's rate, as it resamples it.
    v.output.resize(static_cast<std::size_t>(count));
    std::transform(v.frames.data() + kMaxFrames, v.frames.data() + kMaxFrames + count, v.output.begin(), toSample);
    v.reference.played(v.output.data(), count, 1, startNs);
    v.toVoice.convert(v.frames.data(), count, v.mic);
    v.listener.captured(v.mic.data(), v.mic.size(), endNs);
}

EMSCRIPTEN_KEEPALIVE void zv_voice_close() { voiceNow.reset(); }

}  // extern "C"
