// The sampled singers (tests/platform/voice_corpus.txt) as one virtual microphone's
// stream for the page, and the count of what the page heard in it, by the same rules
// as the desktop's figures (support/VoiceCorpus.h). bench/web/voice_corpus.mjs runs it.
//   bench_web_voice_corpus stream <app folder> <table> <rendered folder> <echo gain> <out.wav> <plan>
//     the stream: two seconds of silence, then for each phrase a 20 ms tone (the mark
//     the page places the phrase by, so that audio the capture lost or repeated
//     before it shifts nothing after it), a second after its start the phrase as the
//     microphone hears it (singPhrase's take, the game's sound at `echo gain`), and
//     two seconds of silence. The plan: "mark <samples from a mark to its phrase>",
//     then a line a phrase: "phrase <offset> <notes>... | <key>:<ms>... | <sung note
//     span starts>..." (key: 0-23 from C4, ms in the phrase).
//   bench_web_voice_corpus native <the same arguments, out.wav replaced by heard>
//     the same stream through the desktop's path (ListenRoom.h), its notes written as
//     `count` reads them: the page's figures beside the desktop's on the same stream.
//   bench_web_voice_corpus count <plan> <heard>
//     heard: "<MIDI note> <stream sample where its steady stretch began>" a start a
//     line, in order. Prints the totals and "right <heard line> <sung onset sample>".
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "support/VoiceCorpus.h"

namespace {

constexpr int kRate = zv::synth::kRate;

int stream(char** argv, bool native) {
    const auto keys = zv::synth::keySounds(argv[2]);
    const auto phrases = zv::synth::corpusPhrases(argv[3]);
    const double gain = std::atof(argv[5]);
    std::vector<float> out(2 * kRate, 0.0f);
    zv::synth::Room all;  // the device's side: 48 kHz stereo, three frames a sample
    const auto silenceTo = [&](std::size_t samples) {
        out.resize(samples, 0.0f);
        all.played.resize(samples * 6, 0);
    };
    std::ofstream plan(argv[7]);
    plan << "mark " << kRate << "\n";
    for (std::size_t p = 0; p < phrases.size(); ++p) {
        const std::size_t mark = out.size();
        for (int i = 0; i < kRate / 50; ++i) out.push_back(0.9f * static_cast<float>(std::sin(2 * M_PI * 1000.0 * i / kRate)));
        silenceTo(mark + kRate);
        const auto wav = zv::synth::readMonoWav(std::string(argv[4]) + "/" + std::to_string(p) + ".wav");
        if (wav.empty()) {
            std::fprintf(stderr, "cannot read phrase %zu in %s\n", p, argv[4]);
            return 1;
        }
        const auto take = zv::synth::takePhrase(phrases[p], wav, gain, keys);
        plan << "phrase " << out.size();
        for (int n : phrases[p]) plan << " " << n;
        plan << " |";
        for (const auto& [sound, ms] : take.question) plan << " " << (sound - keys.data()) << ":" << ms;
        plan << " |";
        for (auto at : take.sungAt) plan << " " << at;
        plan << "\n";
        out.insert(out.end(), take.room.mic.begin(), take.room.mic.end());
        all.played.insert(all.played.end(), take.room.played.begin(), take.room.played.end());
        silenceTo(out.size() + 2 * kRate);
    }
    if (native) {
        all.mic = out;
        std::ofstream heard(argv[6]);
        for (const auto& n : zv::synth::listen(all))
            if (n.kind == zv::voice::SungNote::Kind::Start) heard << n.midi << " " << n.fromSample << "\n";
        return 0;
    }
    std::FILE* f = std::fopen(argv[6], "wb");
    if (!f) return 1;
    const auto bytes = static_cast<std::uint32_t>(out.size() * 2);
    auto u32 = [&](std::uint32_t v) { std::fwrite(&v, 4, 1, f); };
    auto u16 = [&](std::uint16_t v) { std::fwrite(&v, 2, 1, f); };
    std::fwrite("RIFF", 1, 4, f), u32(36 + bytes), std::fwrite("WAVEfmt ", 1, 8, f);
    u32(16), u16(1), u16(1), u32(kRate), u32(kRate * 2), u16(2), u16(16);
    std::fwrite("data", 1, 4, f), u32(bytes);
    for (float x : out) u16(static_cast<std::uint16_t>(static_cast<std::int16_t>(std::clamp(x, -1.0f, 1.0f) * 32767)));
    return std::fclose(f) == 0 ? 0 : 1;
}

struct Phrase {
    std::int64_t offset;
    std::vector<int> notes;
    std::vector<std::int64_t> sungAt;
};

int count(char** argv) {
    std::vector<Phrase> phrases;
    std::ifstream plan(argv[2]);
    for (std::string line; std::getline(plan, line);) {
        if (line.rfind("phrase ", 0) != 0) continue;
        std::istringstream row(line.substr(7));
        Phrase p;
        row >> p.offset;
        for (std::string word; row >> word && word != "|";) p.notes.push_back(std::stoi(word));
        for (std::string word; row >> word && word != "|";) {}
        for (std::int64_t at; row >> at;) p.sungAt.push_back(at);
        phrases.push_back(p);
    }
    std::vector<std::vector<zv::voice::SungNote>> events(phrases.size());
    std::vector<std::vector<std::size_t>> lines(phrases.size());
    std::ifstream heard(argv[3]);
    int outside = 0;
    std::size_t line = 0;
    for (int midi; heard >> midi; ++line) {
        std::int64_t from = 0;
        heard >> from;
        std::size_t p = phrases.size();
        while (p > 0 && from < phrases[p - 1].offset) --p;
        if (p == 0) {
            ++outside;
            continue;
        }
        events[p - 1].push_back({zv::voice::SungNote::Kind::Start, midi, 0, from - phrases[p - 1].offset});
        lines[p - 1].push_back(line);
    }
    zv::synth::CorpusCount all;
    for (std::size_t p = 0; p < phrases.size(); ++p) {
        std::vector<std::pair<std::size_t, std::size_t>> right;
        const auto c = zv::synth::countHeard(phrases[p].notes, phrases[p].sungAt, events[p], &right);
        for (const auto& [e, n] : right) std::printf("right %zu %lld\n", lines[p][e], static_cast<long long>(phrases[p].offset + phrases[p].sungAt[n]));
        all.notes += c.notes, all.right += c.right, all.extra += c.extra, all.fromGame += c.fromGame;
    }
    std::printf("notes %d right %d (%.1f %%) extra %d (%.1f %%) from-game %d before-the-first-phrase %d\n", all.notes,
                all.right, 100.0 * all.right / all.notes, all.extra, 100.0 * all.extra / all.notes, all.fromGame, outside);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 8 && std::string(argv[1]) == "stream") return stream(argv, false);
    if (argc == 8 && std::string(argv[1]) == "native") return stream(argv, true);
    if (argc == 4 && std::string(argv[1]) == "count") return count(argv);
    std::fprintf(stderr, "usage: %s stream <app folder> <table> <rendered folder> <echo gain> <out.wav> <plan>\n"
                         "       %s count <plan> <heard>\n", argv[0], argv[0]);
    return 2;
}
