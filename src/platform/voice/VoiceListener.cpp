#include "platform/voice/VoiceListener.h"

namespace zv::voice {

VoiceListener::VoiceListener(ReferenceTap& reference, SungNotes::Sink sink)
    : reference_(reference), notes_(std::move(sink)) {
    pending_.reserve(kHop);
}

void VoiceListener::captured(const std::int16_t* samples, std::size_t count) {
    std::int16_t reference[kHop], voice[kHop];
    float hop[kHop];
    for (std::size_t i = 0; i < count; ++i) {
        pending_.push_back(samples[i]);
        if (pending_.size() < static_cast<std::size_t>(kHop)) continue;
        reference_.take(reference, kHop);
        canceller_.process(pending_.data(), reference, voice);
        for (int k = 0; k < kHop; ++k) hop[k] = voice[k] / 32768.0f;
        notes_.feed(hop, kHop);
        pending_.clear();
    }
}

}  // namespace zv::voice
