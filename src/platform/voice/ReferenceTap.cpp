#include "platform/voice/ReferenceTap.h"

#include <speex/speex_resampler.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "platform/voice/SungNotes.h"

namespace zv::voice {

namespace {
constexpr std::int64_t kNsPerSample = 1000000000LL / kRate;
// Two seconds of reference: far more than the echo path is long.
constexpr std::size_t kRingSize = 2 * kRate;
// A stream's clock is read from its last arrivals (one or two seconds of them).
constexpr std::size_t kClockObservations = 200;
// A reading of a stream's clock this close to the one in use leaves it as it is.
constexpr std::int64_t kClockSteadyNs = 1500000;
// An echo comes back within this of the sound being handed to the device: a capture
// placed further behind what the device was handed has its clock misread (a busy
// machine's callbacks), and takes the sound of that long ago instead.
constexpr std::int64_t kLongestPath = kRate / 2;
// Two clocks running apart move the offset between them a step of kClockSteadyNs at a
// time (two streams' clocks on one device never do). The capture's place follows the
// least-squares line through the last kDriftSteps steps (once kLeastDriftSteps of
// them have come, all one way) rather than the steps themselves, so the echo slides
// against its reference as smoothly as the clocks part; with no steps it stays where
// it was placed. A step further than kRestartSamples (more than the threshold and a
// callback's jitter) is a stream started again, not a drift: the line starts over
// from it.
constexpr std::size_t kDriftSteps = 8;
constexpr std::size_t kLeastDriftSteps = 3;
constexpr std::int64_t kRestartSamples = 2 * kClockSteadyNs / kNsPerSample;
constexpr double kMostDrift = 0.002;  // two thousand parts per million
// A pause in what the sound device was handed longer than this (it was closed: the
// game closes it after seconds of silence; a callback late on a busy machine is not
// a pause) starts the reference again at the time of the next buffer.
constexpr std::int64_t kGapNs = 1000000000;
}  // namespace

void ReferenceTap::StreamClock::observe(std::int64_t nowNs, std::int64_t samplesBefore) {
    recent.push_back(nowNs - samplesBefore * kNsPerSample);
    if (recent.size() > kClockObservations) recent.pop_front();
    sorted.assign(recent.begin(), recent.end());
    const auto at = sorted.begin() + static_cast<std::ptrdiff_t>(sorted.size() / 10);
    std::nth_element(sorted.begin(), at, sorted.end());
    if (!known || std::llabs(*at - zeroNs) > kClockSteadyNs) zeroNs = *at;
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

ReferenceTap::Placement ReferenceTap::placeCapture(int count, std::int64_t nowNs) {
    std::lock_guard lock(mutex_);
    // The callback runs once its samples are in: the last was captured at about nowNs.
    capturedClock_.observe(nowNs, captured_ + count);
    const std::int64_t first = captured_;
    captured_ += count;
    if (!playedClock_.known) return {};
    // The offset between the two clocks, in samples, and where it stepped.
    const std::int64_t offset = (capturedClock_.zeroNs - playedClock_.zeroNs) / kNsPerSample;
    if (steps_.empty() || offset != steps_.back().offset) {
        if (!steps_.empty() && std::llabs(offset - steps_.back().offset) > kRestartSamples) steps_.clear();
        steps_.push_back({first, offset});
        if (steps_.size() > kDriftSteps) steps_.pop_front();
    }
    const Placement stepped{double(first + steps_.back().offset), 1, true};
    // A drift steps one way, again and again; a glitch of the callbacks once, or back.
    if (steps_.size() < kLeastDriftSteps) return stepped;
    double n = 0, sx = 0, sy = 0, sxx = 0, sxy = 0;
    int oneWay = 0;
    for (std::size_t i = 0; i < steps_.size(); ++i) {
        const double x = double(steps_[i].at - first), y = double(steps_[i].offset);
        n += 1, sx += x, sy += y, sxx += x * x, sxy += x * y;
        if (i > 0) oneWay += steps_[i].offset > steps_[i - 1].offset ? 1 : -1;
    }
    if (std::abs(oneWay) + 1 < int(steps_.size())) return stepped;
    const double drift = (n * sxy - sx * sy) / (n * sxx - sx * sx), there = (sy - drift * sx) / n;
    if (!(std::fabs(drift) <= kMostDrift)) return stepped;
    // The line strayed from the clocks' offset further than a step: the drift changed.
    if (std::fabs(there - double(steps_.back().offset)) > double(kRestartSamples)) {
        steps_.erase(steps_.begin(), steps_.end() - 1);
        return stepped;
    }
    return {double(first) + there, 1 + drift, true};
}

bool ReferenceTap::flowing(std::int64_t nowNs, std::int64_t withinNs) {
    std::lock_guard lock(mutex_);
    return playedClock_.known && nowNs - lastPlayedNs_ < withinNs;
}

int ReferenceTap::take(std::int16_t* out, int count, const Placement& at) {
    std::lock_guard lock(mutex_);
    if (!at.known) {
        std::fill(out, out + count, 0);
        return 0;
    }
    double first = at.first, step = at.step;
    if (first < static_cast<double>(written_ - kLongestPath - count)) {
        first = static_cast<double>(written_ - kLongestPath - count);
        step = 1;
    }
    const auto sample = [this](std::int64_t k) -> float {
        const bool kept = k >= 0 && k < written_ && k >= written_ - static_cast<std::int64_t>(kRingSize);
        return kept ? ring_[static_cast<std::size_t>(k) % kRingSize] : 0.0f;
    };
    int known = 0;
    for (int i = 0; i < count; ++i) {
        const double p = first + i * step;
        const auto k = static_cast<std::int64_t>(std::floor(p));
        const auto f = static_cast<float>(p - static_cast<double>(k));
        if (k + 2 >= written_) {
            // Not handed yet: the device goes on with what it was handed last, as far
            // as is known (silence where nothing was).
            out[i] = static_cast<std::int16_t>(sample(std::min(k, written_ - count + i)));
            known += k < written_;
            continue;
        }
        // Between two samples: a cubic through the four around (Catmull-Rom), which
        // gives a sample itself where the place falls on one.
        const float a = sample(k - 1), b = sample(k), c = sample(k + 1), d = sample(k + 2);
        const float v = b + 0.5f * f * (c - a + f * (2 * a - 5 * b + 4 * c - d + f * (3 * (b - c) + d - a)));
        out[i] = static_cast<std::int16_t>(std::clamp(std::lround(v), -32768L, 32767L));
        ++known;
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

}  // namespace zv::voice
