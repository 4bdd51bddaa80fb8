// Writes a synthesized singer (support/SynthVoice.h) as a 16 kHz 16-bit mono WAV file:
// the notes one after another, each `ms` long with 20 cents of vibrato, a scoop into
// every other one, 200 ms of breath before each (--lead: before the first).
//   sing_wav [--lead <ms>] <out.wav> <ms> <MIDI note>...
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "support/SynthVoice.h"

int main(int argc, char** argv) {
    int lead = 200;
    if (argc > 2 && std::strcmp(argv[1], "--lead") == 0) {
        lead = std::atoi(argv[2]);
        argc -= 2;
        argv += 2;
    }
    if (argc < 4) {
        std::fprintf(stderr, "usage: sing_wav [--lead <ms>] <out.wav> <ms> <MIDI note>...\n");
        return 2;
    }
    std::vector<zv::synth::Note> notes;
    for (int i = 3; i < argc; ++i) notes.push_back({std::atof(argv[i]), std::atoi(argv[2]), 20, i % 2 ? 1.5 : 0, i == 3 ? lead : 200});
    const auto sung = zv::synth::sing(notes, 5);
    std::FILE* f = std::fopen(argv[1], "wb");
    if (!f) return 1;
    const std::uint32_t bytes = static_cast<std::uint32_t>(sung.samples.size() * 2), rate = zv::synth::kRate;
    auto u32 = [&](std::uint32_t v) { std::fwrite(&v, 4, 1, f); };
    auto u16 = [&](std::uint16_t v) { std::fwrite(&v, 2, 1, f); };
    std::fwrite("RIFF", 1, 4, f), u32(36 + bytes), std::fwrite("WAVEfmt ", 1, 8, f);
    u32(16), u16(1), u16(1), u32(rate), u32(rate * 2), u16(2), u16(16);
    std::fwrite("data", 1, 4, f), u32(bytes);
    for (float x : sung.samples) u16(static_cast<std::uint16_t>(static_cast<std::int16_t>(std::clamp(x, -1.0f, 1.0f) * 32767)));
    return std::fclose(f) == 0 ? 0 : 1;
}
