// Sung-note figures on synthesized voices (tests/support/SynthVoice.h), through the
// microphone's whole path (echo canceller, then the note finder), in audio time:
//   1. a set of sung notes over four voice ranges: how many are heard with the right
//      pitch class, how many extra notes come, and the time from each note's onset
//      to its report (median, 95th percentile), plus the path's CPU time per second
//      of audio on this thread;
//   2. a minute of silence, room noise, clicks, coughs and consonants: notes heard;
//   3. a minute of the game's own sounds at the microphone, as loud as a voice,
//      with nobody singing: notes heard;
//   4. with a corpus table and its rendered folder (tests/support/render_voices.py),
//      the sampled singers answering as a person does, with headphones and with
//      loudspeakers: notes heard by the right pitch class, extra, from the game, each
//      right note's report against its nominal onset (median, 95th percentile, most;
//      with BENCH_VERBOSE each one over 250 ms), and the path's CPU time per second
//      of audio; with loudspeakers also the dB the echo canceller takes off the
//      game's sound alone (the same takes without the voice): over the whole takes
//      and over each piano note's attack.
//   bench_voice_notes <sound folder> [notes (240)] [seed (1)] [corpus table] [corpus folder]
//                     [reference burst (1): 20 ms blocks handed to the device at once]
// bench_voice_notes_webrtc is the same with webrtc's echo canceller in speexdsp's place
// (support/WebrtcEchoCanceller.h: its settings from the environment).
#include <SDL.h>
#include <time.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "support/ListenRoom.h"
#include "support/MonoWav.h"
#include "support/SynthVoice.h"
#include "support/VoiceCorpus.h"
#ifdef ZORVANTA_BENCH_WEBRTC
#include "support/WebrtcEchoCanceller.h"
#endif

namespace {

using Sounds = std::vector<std::pair<const std::vector<std::int16_t>*, int>>;

double threadSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return ts.tv_sec + ts.tv_nsec / 1e9;
}

// The path over the room (support/ListenRoom.h), with its CPU time on this thread.
std::vector<zv::voice::SungNote> listenTimed(const zv::synth::Room& room, double* cpuSeconds) {
    const double start = threadSeconds();
    auto notes = zv::synth::listen(room);
    if (cpuSeconds) *cpuSeconds = threadSeconds() - start;
    return notes;
}

int starts(const std::vector<zv::voice::SungNote>& notes) {
    return static_cast<int>(std::count_if(notes.begin(), notes.end(),
                                          [](auto& n) { return n.kind == zv::voice::SungNote::Kind::Start; }));
}

// The canceller alone over a room (support/SynthVoice.h), fed as listen() feeds it
// (support/ListenRoom.h) and working on every hop: the power of each 10 ms hop of the
// microphone and of what the canceller made of it (summed squares of 16-bit samples).
struct HopPower {
    double in, out;
};

std::vector<HopPower> cancelHops(const zv::synth::Room& room) {
    using namespace zv::voice;
    ReferenceTap reference;
    EchoCanceller canceller;
    std::vector<HopPower> hops;
    std::int16_t mic[kHop], ref[kHop], out[kHop];
    for (std::size_t b = 0; b < room.mic.size() / 320; ++b) {
        const std::int64_t ns = static_cast<std::int64_t>(b) * 20000000;
        reference.played(room.played.data() + b * 320 * 6, 960, 2, ns);
        for (int h = 0; h < 2; ++h) {
            for (int i = 0; i < kHop; ++i)
                mic[i] = static_cast<std::int16_t>(std::clamp(room.mic[b * 320 + h * kHop + i], -1.0f, 1.0f) * 32767);
            reference.take(ref, kHop, reference.placeCapture(kHop, ns + (h + 1) * 10000000));
            canceller.process(mic, ref, out);
            HopPower p{0, 0};
            for (int i = 0; i < kHop; ++i) p.in += double(mic[i]) * mic[i], p.out += double(out[i]) * out[i];
            hops.push_back(p);
        }
    }
    return hops;
}

// The sum of the hops' powers from sample `from` to `to`.
HopPower span(const std::vector<HopPower>& hops, std::int64_t from, std::int64_t to) {
    HopPower sum{0, 0};
    for (std::int64_t h = std::max<std::int64_t>(0, from / zv::voice::kHop);
         h < std::min<std::int64_t>(std::int64_t(hops.size()), to / zv::voice::kHop); ++h)
        sum.in += hops[std::size_t(h)].in, sum.out += hops[std::size_t(h)].out;
    return sum;
}

double db(double ratio) { return 10 * std::log10(std::max(ratio, 1e-12)); }

double percentile(std::vector<double> v, double p) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, static_cast<std::size_t>(p * (v.size() - 1) + 0.5))];
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <sound folder> [notes] [seed]\n", argv[0]);
        return 2;
    }
#ifdef ZORVANTA_BENCH_WEBRTC
    std::printf("canceller %s\n", zv::bench::describe(zv::bench::webrtcSettings()).c_str());
#else
    std::printf("canceller speexdsp\n");
#endif
    const int count = argc > 2 ? std::atoi(argv[2]) : 240;
    const unsigned seed = argc > 3 ? static_cast<unsigned>(std::atoi(argv[3])) : 1;
    std::mt19937 rng(seed);
    auto uniform = [&](double a, double b) { return std::uniform_real_distribution<double>(a, b)(rng); };

    // 1. Phrases of eight notes, each range in turn: bass E2-E4, tenor C3-C5, alto
    // F3-F5, soprano C4-C6; steps of up to a fifth, detuned up to 15 cents.
    const int ranges[4][2] = {{40, 64}, {48, 72}, {53, 77}, {60, 84}};
    std::vector<zv::synth::Note> notes;
    std::vector<int> truth;
    for (int i = 0; i < count; ++i) {
        const auto& r = ranges[(i / 8) % 4];
        int m = i % 8 == 0 ? static_cast<int>(uniform(r[0], r[1] + 1)) : truth.back() + static_cast<int>(uniform(-7, 8));
        if (i % 8 != 0 && m == truth.back() && uniform(0, 1) < 0.5) m += 2;
        m = std::clamp(m, r[0], r[1]);
        zv::synth::Note n{m + uniform(-0.15, 0.15), static_cast<int>(uniform(150, 900)), uniform(0, 50),
                          uniform(0, 1) < 0.4 ? uniform(0.5, 2.5) : 0, static_cast<int>(uniform(40, 400)),
                          uniform(0, 1) < 0.3};
        // A third of the steps legato (not onto the same note: that needs an onset).
        if (i % 8 != 0 && m != truth.back() && uniform(0, 1) < 0.33) n.gapMs = -1;
        notes.push_back(n);
        truth.push_back(m);
    }
    const zv::synth::Sung sung = zv::synth::sing(notes, seed, 0.3, 0.004);
    double cpu = 0;
    const auto heard = listenTimed(zv::synth::withGameSound(sung.samples, {}, 0, 0), &cpu);
    int right = 0, extra = 0;
    std::vector<double> latencyMs;
    std::size_t e = 0;
    for (std::size_t i = 0; i < truth.size(); ++i) {
        const std::int64_t from = sung.onsets[i];
        const std::int64_t to = i + 1 < truth.size() ? sung.onsets[i + 1] : INT64_MAX;
        int here = 0;
        bool ok = false;
        const std::size_t firstEvent = e;
        // A report belongs to the note where its steady stretch began.
        for (; e < heard.size() && (heard[e].kind != zv::voice::SungNote::Kind::Start || heard[e].fromSample < to); ++e) {
            if (heard[e].kind != zv::voice::SungNote::Kind::Start) continue;
            if (heard[e].fromSample < from) {
                ++extra;
                continue;
            }
            if (here++ == 0 && heard[e].midi % 12 == truth[i] % 12) {
                ok = true;
                latencyMs.push_back((heard[e].atSample - from) * 1000.0 / zv::synth::kRate);
            }
        }
        right += ok;
        extra += std::max(0, here - 1);
        if (std::getenv("BENCH_VERBOSE") && (!ok || here > 1))
            std::fprintf(stderr, "note %zu after %d: %d (%.2f, %d ms, vibrato %.0f, scoop %.1f, gap %d%s): %d reports%s\n", i,
                         i ? truth[i - 1] : 0, truth[i], notes[i].midi, notes[i].ms, notes[i].vibratoCents, notes[i].scoop, notes[i].gapMs,
                         notes[i].consonant ? ", consonant" : "", here, ok ? "" : ", missed");
        if (std::getenv("BENCH_VERBOSE") && (!ok || here > 1))
            for (std::size_t k = firstEvent; k < e; ++k)
                std::fprintf(stderr, "    %s %d at +%.0f ms\n", heard[k].kind == zv::voice::SungNote::Kind::Start ? "start" : "end",
                             heard[k].midi, (heard[k].atSample - from) * 1000.0 / zv::synth::kRate);
    }
    const double seconds = double(sung.samples.size()) / zv::synth::kRate;
    std::printf("notes %d heard-right %d (%.1f %%) extra %d (%.1f %%)\n", count, right, 100.0 * right / count, extra,
                100.0 * extra / count);
    std::printf("onset-to-report ms: median %.0f p95 %.0f max %.0f\n", percentile(latencyMs, 0.5),
                percentile(latencyMs, 0.95), percentile(latencyMs, 1.0));
    std::printf("cpu %.3f s for %.1f s of audio (%.2f %% of one core)\n", cpu, seconds, 100 * cpu / seconds);

    // 2. A minute of silence and noises, no voice.
    {
        std::vector<float> x(60 * zv::synth::kRate, 0.0f);
        std::normal_distribution<float> n(0, 1);
        float brown = 0;
        for (std::size_t i = 0; i < x.size(); ++i) {
            const double t = double(i) / zv::synth::kRate, sec = std::fmod(t, 10.0);
            brown = 0.98f * brown + 0.02f * n(rng);
            if (t >= 10) x[i] += 0.03f * brown + 0.003f * n(rng);  // after 10 s of silence, a room
            if (sec < 2 && i % 4000 == 0) x[i] += 0.8f;                                                // clicks
            if (sec >= 3 && sec < 5) x[i] += 0.3f * n(rng) * float(std::exp(-std::fmod(sec, 0.7) * 12));  // coughs
            if (sec >= 6 && std::fmod(sec, 0.5) < 0.12) x[i] += 0.15f * n(rng);                        // consonants
            if (sec >= 8) x[i] += 0.01f * n(rng);                                                       // breath
        }
        std::printf("noise-60s notes %d\n", starts(zv::synth::listen(zv::synth::withGameSound(x, {}, 0, 0))));
    }

    // 3. A minute of the game's sounds at the microphone, as loud as a voice (peak 0.3),
    // a sound every 500 ms in random order, a pause of 2 s after every fifth.
    {
        static const char* names[] = {"do", "do#", "re", "re#", "mi", "fa", "fa#", "so", "so#", "ra", "ra#", "si",
                                      "+do", "+do#", "+re", "+re#", "+mi", "+fa", "+fa#", "+so", "+so#", "+ra",
                                      "+ra#", "+si", "+++do"};
        std::vector<std::vector<std::int16_t>> decoded;
        for (const char* name : names) {
            const std::string path = std::string(argv[1]) + "/" + name;
            decoded.push_back(zv::synth::readMonoWav(path));
            if (decoded.back().empty()) {
                std::fprintf(stderr, "cannot read %s as 16-bit mono WAV\n", path.c_str());
                return 1;
            }
        }
        Sounds sounds;
        for (int at = 100, k = 0; at < 59000; ++k) {
            sounds.push_back({&decoded[static_cast<std::size_t>(uniform(0, 25))], at});
            at += k % 5 == 4 ? 2500 : 500;
        }
        double peak = 0;
        for (auto& d : decoded)
            for (auto v : d) peak = std::max(peak, std::abs(v) / 32768.0);
        std::vector<float> silence(60 * zv::synth::kRate, 0.0f);
        const auto room = zv::synth::withGameSound(silence, sounds, 0.3 / peak, 40);
        std::printf("game-sound-60s notes %d\n", starts(zv::synth::listen(room)));
    }
    // 4. The sampled singers.
    if (argc > 5) {
        const auto keys = zv::synth::keySounds(std::string(argv[1]) + "/..");
        const auto phrases = zv::synth::corpusPhrases(argv[4]);
        const int burst = argc > 6 ? std::max(1, std::atoi(argv[6])) : 1;
        for (double gain : {0.0, 0.45}) {
            zv::synth::CorpusCount all;
            double cpu = 0, seconds = 0;
            HopPower echoWhole{0, 0};
            std::vector<double> attacksDb, voiceKeptDb, latencyMs;
            for (std::size_t p = 0; p < phrases.size(); ++p) {
                const auto wav = zv::synth::readMonoWav(std::string(argv[5]) + "/" + std::to_string(p) + ".wav");
                const auto take = zv::synth::takePhrase(phrases[p], wav, gain, keys);
                const double start = threadSeconds();
                const auto heard = zv::synth::listen(take.room, burst);
                cpu += threadSeconds() - start;
                seconds += double(take.room.mic.size()) / zv::synth::kRate;
                std::vector<std::pair<std::size_t, std::size_t>> right;
                const auto c = zv::synth::countHeard(phrases[p], take.sungAt, heard, &right);
                // Each right note's report against its nominal onset, in audio time.
                for (const auto& [e, n] : right) {
                    latencyMs.push_back(double(heard[e].atSample - take.sungAt[n]) * 1000 / zv::synth::kRate);
                    if (std::getenv("BENCH_VERBOSE") && latencyMs.back() > 250)
                        std::fprintf(stderr, "phrase %zu echo %.2f: note %zu (%d) heard %.0f ms after its onset\n", p, gain,
                                     n, phrases[p][n], latencyMs.back());
                }
                if (gain > 0) {
                    // The canceller over the same take without the voice: the echo it
                    // takes off, over the whole take and over each piano note's attack
                    // (its first 100 ms at the microphone: the room's delay, 60 ms,
                    // VoiceCorpus.h, after the note). And with the voice, against the
                    // voice alone, over the first sung note (sung while the last piano
                    // note rings): what the canceller leaves of a voice under the echo
                    // (the residual echo in it too), 0 dB for all of it.
                    const std::vector<float> silence(take.room.mic.size(), 0.0f);
                    const auto echoHops = cancelHops(zv::synth::withGameSound(silence, take.question, gain, 60));
                    const HopPower whole = span(echoHops, 0, std::int64_t(silence.size()));
                    echoWhole.in += whole.in, echoWhole.out += whole.out;
                    for (const auto& q : take.question) {
                        const std::int64_t at = std::int64_t(q.second + 60) * zv::synth::kRate / 1000;
                        const HopPower attack = span(echoHops, at, at + zv::synth::kRate / 10);
                        attacksDb.push_back(db(attack.in / std::max(attack.out, 1.0)));
                    }
                    const std::vector<float> voice = zv::synth::takePhrase(phrases[p], wav, 0, keys).room.mic;
                    double alone = 0;
                    for (auto i = take.sungAt[0]; i < std::min<std::int64_t>(take.sungAt[1], std::int64_t(voice.size())); ++i) {
                        const double v = std::clamp(voice[std::size_t(i)], -1.0f, 1.0f) * 32767.0;
                        alone += v * v;
                    }
                    const HopPower both = span(cancelHops(take.room), take.sungAt[0], take.sungAt[1]);
                    voiceKeptDb.push_back(db(both.out / std::max(alone, 1.0)));
                }
                if (std::getenv("BENCH_VERBOSE") && (c.right < c.notes || c.extra || c.fromGame)) {
                    std::fprintf(stderr, "phrase %zu echo %.2f: right %d of %d, extra %d, from the game %d\n", p, gain,
                                 c.right, c.notes, c.extra, c.fromGame);
                    for (const auto& n : heard)
                        if (n.kind == zv::voice::SungNote::Kind::Start)
                            std::fprintf(stderr, "    %d from %lld ms at %lld ms\n", n.midi,
                                         static_cast<long long>(n.fromSample / 16), static_cast<long long>(n.atSample / 16));
                }
                all.notes += c.notes, all.right += c.right, all.extra += c.extra, all.fromGame += c.fromGame;
            }
            std::printf("corpus %s notes %d right %d (%.1f %%) extra %d (%.1f %%) from-game %d\n",
                        gain > 0 ? "loudspeakers" : "headphones", all.notes, all.right, 100.0 * all.right / all.notes,
                        all.extra, 100.0 * all.extra / all.notes, all.fromGame);
            std::printf("corpus %s onset-to-report ms: median %.0f p95 %.0f max %.0f\n", gain > 0 ? "loudspeakers" : "headphones",
                        percentile(latencyMs, 0.5), percentile(latencyMs, 0.95), percentile(latencyMs, 1.0));
            std::printf("corpus %s reference-burst %d cpu %.3f s for %.1f s of audio (%.2f %% of one core)\n",
                        gain > 0 ? "loudspeakers" : "headphones", burst, cpu, seconds, 100 * cpu / seconds);
            if (gain > 0) {
                std::printf("corpus loudspeakers echo taken off: whole takes %.1f dB, attacks' first 100 ms median %.1f dB "
                            "p10 %.1f dB min %.1f dB (%zu attacks)\n",
                            db(echoWhole.in / std::max(echoWhole.out, 1.0)), percentile(attacksDb, 0.5),
                            percentile(attacksDb, 0.1), percentile(attacksDb, 0.0), attacksDb.size());
                std::printf("corpus loudspeakers first sung note under the echo, out of the canceller against the voice "
                            "alone: median %.1f dB p10 %.1f dB min %.1f dB\n",
                            percentile(voiceKeptDb, 0.5), percentile(voiceKeptDb, 0.1), percentile(voiceKeptDb, 0.0));
            }
        }
    }
    return 0;
}
