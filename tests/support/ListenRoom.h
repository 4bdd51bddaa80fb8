// The microphone's whole path over a synthesized room (SynthVoice.h): the echo
// canceller against what the device played, then the note finder, fed 20 ms captures,
// each after the 20 ms the device played meanwhile. Every note event, in order.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "platform/voice/VoiceListener.h"
#include "support/SynthVoice.h"

namespace zv::synth {

inline std::vector<voice::SungNote> listen(const Room& room) {
    std::vector<voice::SungNote> notes;
    voice::ReferenceTap reference;
    voice::VoiceListener listener(reference, [&](const voice::SungNote& n) { notes.push_back(n); });
    std::vector<std::int16_t> block(320);
    for (std::size_t at = 0; at + 320 <= room.mic.size(); at += 320) {
        const std::int64_t ns = static_cast<std::int64_t>(at) * 62500;  // 16 kHz samples to ns
        reference.played(room.played.data() + at * 6, 960, 2, ns);      // 48 kHz stereo
        for (int i = 0; i < 320; ++i)
            block[i] = static_cast<std::int16_t>(std::clamp(room.mic[at + i], -1.0f, 1.0f) * 32767);
        listener.captured(block.data(), block.size(), ns + 20000000);
    }
    return notes;
}

}  // namespace zv::synth
