// The microphone's whole path over a synthesized room (SynthVoice.h): the echo
// canceller against what the device played, then the note finder, fed 20 ms captures,
// each after the 20 ms the device played meanwhile (or, with a burst, before some of
// it is handed to the device); each callback (capture and device) may run up to
// `lateMs` late, as on a busy machine. Every note event, in order.
#pragma once

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

#include "platform/voice/VoiceListener.h"
#include "support/SynthVoice.h"

namespace zv::synth {

inline std::vector<voice::SungNote> listen(const Room& room, int referenceBurst = 1, int lateMs = 0) {
    std::vector<voice::SungNote> notes;
    voice::ReferenceTap reference;
    voice::VoiceListener listener(reference, [&](const voice::SungNote& n) { notes.push_back(n); });
    std::vector<std::int16_t> block(320);
    const std::size_t blocks = room.mic.size() / 320;
    std::mt19937 rng(11);
    std::uniform_int_distribution<std::int64_t> late(0, std::int64_t(lateMs) * 1000000);
    const auto ns = [&](std::size_t b) { return static_cast<std::int64_t>(b) * 20000000 + late(rng); };
    for (std::size_t b = 0, played = 0; b < blocks; ++b) {
        // The device is handed `referenceBurst` blocks at a time, all when the last is
        // due (a late callback, or a long buffer): captures meanwhile come first.
        for (; played <= b && (played / referenceBurst + 1) * referenceBurst - 1 <= b; ++played)
            reference.played(room.played.data() + played * 320 * 6, 960, 2, ns((played / referenceBurst + 1) * referenceBurst - 1));
        for (int i = 0; i < 320; ++i)
            block[i] = static_cast<std::int16_t>(std::clamp(room.mic[b * 320 + i], -1.0f, 1.0f) * 32767);
        listener.captured(block.data(), block.size(), ns(b) + 20000000);
    }
    return notes;
}

}  // namespace zv::synth
