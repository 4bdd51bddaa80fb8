// Synthesized singing for the voice tests and benchmarks: a glottal source's
// harmonics through three vowel formants, with vibrato, scoops, legato glides, breath noise and
// consonants, at 16 kHz. Deterministic for a seed.
#pragma once

#include <cmath>
#include <cstdint>
#include <random>
#include <speex/speex_resampler.h>
#include <vector>

namespace zv::synth {

struct Note {
    double midi;
    int ms;                   // how long it is sung (from its onset)
    double vibratoCents = 0;  // depth either side, at 5.5 Hz
    double scoop = 0;         // semitones below, glided up over the first 70 ms
    int gapMs = 60;           // before it: silence, or a glide from the last note when < 0 (legato)
    bool consonant = false;   // a noise burst ("t", "s") starts it
    double third = 0;         // a tone a twelfth below, against the fundamental (a sampled voice's loop)
};

inline constexpr int kRate = 16000;

struct Sung {
    std::vector<float> samples;
    std::vector<std::int64_t> onsets;  // sample where each note begins
};

// Notes one after another at a peak of about `level`, with breath noise `breath`.
inline Sung sing(const std::vector<Note>& notes, unsigned seed, double level = 0.3, double breath = 0.004) {
    static const double kVowels[3][3] = {{730, 1090, 2440}, {570, 840, 2410}, {300, 870, 2240}};
    std::mt19937 rng(seed);
    std::normal_distribution<double> noise(0, 1);
    Sung out;
    double phase = 0, phase3 = 0, lastMidi = notes.empty() ? 60 : notes[0].midi;
    std::vector<double> amp;
    for (std::size_t n = 0; n < notes.size(); ++n) {
        const Note& note = notes[n];
        const bool legato = note.gapMs < 0, tied = n + 1 < notes.size() && notes[n + 1].gapMs < 0;
        for (int i = 0; !legato && i < note.gapMs * kRate / 1000; ++i) out.samples.push_back(breath * noise(rng));
        out.onsets.push_back(static_cast<std::int64_t>(out.samples.size()));
        const double* vowel = kVowels[n % 3];
        const int count = note.ms * kRate / 1000, burst = note.consonant ? kRate * 40 / 1000 : 0;
        const std::size_t first = out.samples.size();
        for (int i = 0; i < count; ++i) {
            const double t = double(i) / kRate;
            double m = note.midi + note.vibratoCents / 100 * std::sin(2 * M_PI * 5.5 * t) -
                       note.scoop * std::exp(-t / 0.025);
            if (legato) m += (lastMidi - note.midi) * std::exp(-t / 0.012);
            const double f0 = 440 * std::pow(2, (m - 69) / 12);
            phase += f0 / kRate;
            phase -= std::floor(phase);
            // The glottal source's harmonics (falling 12 dB an octave) shaped by the
            // vowel's three formants, below 7 kHz: band-limited, so no aliasing.
            if (i % 32 == 0) {
                amp.assign(static_cast<std::size_t>(7000 / f0), 0);
                for (std::size_t k = 1; k <= amp.size(); ++k) {
                    double h = 0;
                    for (int j = 0; j < 3; ++j) h += (j ? 0.5 : 1) / (1 + std::pow((k * f0 - vowel[j]) / 60, 2));
                    amp[k - 1] = (0.05 + h) / (k * k);
                }
            }
            double v = 0;
            for (std::size_t k = 1; k <= amp.size(); ++k) v += amp[k - 1] * std::sin(2 * M_PI * k * phase);
            v += note.third * amp[0] * std::sin(2 * M_PI * (phase3 = std::fmod(phase3 + f0 / 3 / kRate, 1.0)));
            const double attack = legato ? 1 : std::min(1.0, t / 0.03);
            const double release = tied ? 1 : std::min(1.0, (count - i) / (0.04 * kRate));
            out.samples.push_back(static_cast<float>(v * attack * release));
        }
        // Every note at the same peak, whatever its formants make of its pitch.
        float peak = 1e-9f;
        for (std::size_t i = first; i < out.samples.size(); ++i) peak = std::max(peak, std::fabs(out.samples[i]));
        for (std::size_t i = first; i < out.samples.size(); ++i) {
            const int k = static_cast<int>(i - first);
            out.samples[i] = static_cast<float>(out.samples[i] * level / peak + breath * noise(rng) +
                                                (k < burst ? 0.5 * level * noise(rng) * (1 - double(k) / burst) : 0));
        }
        lastMidi = note.midi;
    }
    for (int i = 0; i < kRate / 5; ++i) out.samples.push_back(breath * noise(rng));
    return out;
}

// The game's sound as it reaches the microphone: what the sound device played (48 kHz
// stereo, one voice: each sound cuts the one before) and, at the microphone, that
// sound delayed, scaled and with two room reflections, added to the voice; the echo
// path may drop out (a sound server's underrun) for `dropMs` from `dropFromMs`, and be
// `shiftMs` longer from then on (the stream resumed late).
struct Room {
    std::vector<std::int16_t> played;  // 48 kHz stereo frames, as handed to the device
    std::vector<float> mic;            // 16 kHz: the voice plus the echo
};

// sounds: 48 kHz mono samples of each sound and the millisecond it starts.
inline Room withGameSound(const std::vector<float>& voice,
                          const std::vector<std::pair<const std::vector<std::int16_t>*, int>>& sounds, double gain,
                          int delayMs, int dropFromMs = 0, int dropMs = 0, int shiftMs = 0) {
    Room room;
    const std::size_t frames = voice.size() * 3;
    std::vector<float> mono(frames, 0);
    for (std::size_t n = 0; n < sounds.size(); ++n) {
        const std::size_t from = static_cast<std::size_t>(sounds[n].second) * 48;
        const std::size_t to = n + 1 < sounds.size() ? static_cast<std::size_t>(sounds[n + 1].second) * 48 : frames;
        for (std::size_t i = from; i < to && i < frames && i - from < sounds[n].first->size(); ++i)
            mono[i] = (*sounds[n].first)[i - from] / 32768.0f;
    }
    for (float x : mono) room.played.insert(room.played.end(), 2, static_cast<std::int16_t>(x * 32767));
    // To 16 kHz as a sound server would (speexdsp's resampler at its best quality).
    std::vector<float> low(voice.size() + 64, 0);
    SpeexResamplerState* r = speex_resampler_init(1, 48000, kRate, 10, nullptr);
    spx_uint32_t in = static_cast<spx_uint32_t>(frames), out = static_cast<spx_uint32_t>(low.size());
    speex_resampler_process_float(r, 0, mono.data(), &in, low.data(), &out);
    speex_resampler_destroy(r);
    room.mic = voice;
    const std::size_t delay = static_cast<std::size_t>(delayMs) * 16;
    const std::size_t dropFrom = static_cast<std::size_t>(dropFromMs) * 16, dropTo = dropFrom + static_cast<std::size_t>(dropMs) * 16;
    for (std::size_t i = 0; i < voice.size(); ++i) {
        if (i >= dropFrom && i < dropTo) continue;
        const std::size_t d = delay + (i >= dropTo ? static_cast<std::size_t>(shiftMs) * 16 : 0);
        auto at = [&](std::size_t back) { return i >= back ? low[i - back] : 0.0f; };
        room.mic[i] += static_cast<float>(gain * (at(d) + 0.4 * at(d + 93) - 0.25 * at(d + 211)));
    }
    return room;
}

}  // namespace zv::synth
