// Sung notes from synthesized voices (support/SynthVoice.h) through the microphone's
// whole path: the echo canceller against what the game played, then the note finder.
// Each row sings a phrase over some noise and, maybe, the game's own sound at the
// microphone as loud as the voice, and names the pitch classes that must be heard.
#include <QTest>

#include <map>
#include <numeric>
#include <random>

#include "support/ListenRoom.h"
#include "support/MonoWav.h"
#include "support/VoiceCorpus.h"

using zv::synth::Note;
using Notes = std::vector<Note>;
using Classes = std::vector<int>;
Q_DECLARE_METATYPE(Notes)

namespace {

enum Noise { Quiet, Room, Clicks, Cough, Consonants };

// The game's sound, 48 kHz mono, as SDL reads the file.
const std::vector<std::int16_t>& loadSound(const char* name) {
    static std::map<std::string, std::vector<std::int16_t>> cache;
    auto& s = cache[name];
    if (s.empty())
        s = zv::synth::readMonoWav(qEnvironmentVariable("ZORVANTA_SOURCE_DIR").toStdString() + "/assets/sound/" + name);
    return s;
}

void addNoise(std::vector<float>& x, Noise kind) {
    std::mt19937 rng(7);
    std::normal_distribution<float> n(0, 1);
    float brown = 0;
    for (std::size_t i = 0; i < x.size(); ++i) {
        const double t = double(i) / zv::synth::kRate;
        brown = 0.98f * brown + 0.02f * n(rng);
        if (kind == Room) x[i] += 0.03f * brown + 0.003f * n(rng);                    // hum of a room
        if (kind == Clicks && i % 4000 == 0) x[i] += 0.8f;                             // four clicks a second
        if (kind == Cough && std::fmod(t, 1.0) < 0.25) x[i] += 0.3f * n(rng) * float(std::exp(-std::fmod(t, 1.0) * 12));
        if (kind == Consonants && std::fmod(t, 0.5) < 0.12) x[i] += 0.15f * n(rng);    // "s", "sh", "t"
    }
}

// The game: the chime, then notes every half second, the last left ringing.
std::vector<std::pair<const std::vector<std::int16_t>*, int>> gameSounds(int played) {
    std::vector<std::pair<const std::vector<std::int16_t>*, int>> sounds;
    const char* names[] = {"+++do", "do", "mi", "so", "+do", "ra#", "re", "+si", "fa#", "do#", "+re"};
    for (int n = 0; n < played; ++n) {
        sounds.push_back({&loadSound(names[n]), 200 + 500 * n});
        if (sounds.back().first->empty()) qFatal("no sound %s", names[n]);
    }
    return sounds;
}

// The pitch classes of the notes heard, in order.
Classes classesHeard(const zv::synth::Room& room) {
    Classes got;
    for (const auto& n : zv::synth::listen(room))
        if (n.kind == zv::voice::SungNote::Kind::Start) got.push_back(n.midi % 12);
    return got;
}

}  // namespace

class TestSungNotes : public QObject {
    Q_OBJECT

private slots:
    void pitchClassesHeard_data() {
        QTest::addColumn<Notes>("notes");
        QTest::addColumn<int>("noise");
        QTest::addColumn<int>("played");  // how many of the game's sounds
        QTest::addColumn<Classes>("heard");
        auto scale = [](double from, int ms, double vibrato = 20) {
            Notes n;
            for (int step : {0, 2, 4, 5, 7}) n.push_back({from + step, ms, vibrato});
            return n;
        };
        QTest::newRow("bass, short notes") << scale(40, 180) << int(Quiet) << 0 << Classes{4, 6, 8, 9, 11};
        QTest::newRow("tenor") << scale(50, 300) << int(Quiet) << 0 << Classes{2, 4, 6, 7, 9};
        QTest::newRow("alto, in a room") << scale(55, 300) << int(Room) << 0 << Classes{7, 9, 11, 0, 2};
        QTest::newRow("soprano, up to C6") << scale(77, 300) << int(Quiet) << 0 << Classes{5, 7, 9, 10, 0};
        QTest::newRow("held 2 s, vibrato 50 cents") << Notes{{57, 2000, 50}, {64, 1500, 50}} << int(Quiet) << 0
                                                  << Classes{9, 4};
        QTest::newRow("scoops into each note")
            << Notes{{60, 400, 20, 2}, {67, 400, 20, 3}, {64, 400, 30, 1.5}} << int(Quiet) << 0 << Classes{0, 7, 4};
        QTest::newRow("legato, semitone and tone steps")
            << Notes{{60, 300, 20}, {61, 300, 20, 0, -1}, {63, 300, 20, 0, -1}, {62, 300, 20, 0, -1}, {67, 400, 20, 0, -1}}
            << int(Quiet) << 0 << Classes{0, 1, 3, 2, 7};
        QTest::newRow("repeated notes: consonant and breath between")
            << Notes{{62, 250, 10, 0, 60, true}, {62, 250, 10, 0, 80, true}, {62, 250, 10, 0, 120}} << int(Quiet) << 0
            << Classes{2, 2, 2};
        QTest::newRow("repeated notes: short breaths between")
            << Notes{{62, 250, 10, 0, 60}, {62, 250, 10, 0, 30}, {62, 250, 10, 0, 40}, {62, 250, 10, 0, 50}} << int(Quiet) << 0
            << Classes{2, 2, 2, 2};
        QTest::newRow("held, named a twelfth below for a moment")
            << Notes{{80, 300, 10}, {80, 90, 10, 0, -1, false, 0.2}, {80, 300, 10, 0, -1}} << int(Quiet) << 0 << Classes{8};
        QTest::newRow("silence") << Notes{} << int(Quiet) << 0 << Classes{};
        QTest::newRow("room noise") << Notes{{0, 0, 0, 0, 4000}} << int(Room) << 0 << Classes{};
        QTest::newRow("clicks") << Notes{{0, 0, 0, 0, 3000}} << int(Clicks) << 0 << Classes{};
        QTest::newRow("coughs") << Notes{{0, 0, 0, 0, 3000}} << int(Cough) << 0 << Classes{};
        QTest::newRow("consonants") << Notes{{0, 0, 0, 0, 3000}} << int(Consonants) << 0 << Classes{};
        QTest::newRow("the game's sound alone") << Notes{{0, 0, 0, 0, 6000}} << int(Room) << 11 << Classes{};
        QTest::newRow("singing while the question's last note rings")
            << Notes{{0, 0, 0, 0, 2900}, {59, 400, 30}, {62, 400, 30, 1}, {57, 400, 30}} << int(Quiet) << 6
            << Classes{11, 2, 9};
        QTest::newRow("a fifth above the ringing note, into its ring")
            << Notes{{0, 0, 0, 0, 3500}, {69, 450, 20}, {70, 450, 20}} << int(Quiet) << 7 << Classes{9, 10};
        QTest::newRow("the ringing note's own class, an octave below it")
            << Notes{{0, 0, 0, 0, 2900}, {58, 2200, 30}} << int(Quiet) << 6 << Classes{10};
        QTest::newRow("the ringing note's own class, an octave below it, 300 ms after it")
            << Notes{{0, 0, 0, 0, 3000}, {58, 450, 20}, {62, 450, 20}} << int(Quiet) << 6 << Classes{10, 2};
        QTest::newRow("the ringing note's own pitch, over its ring")
            << Notes{{0, 0, 0, 0, 3000}, {70, 500, 30}, {67, 400, 20}} << int(Quiet) << 6 << Classes{10, 7};
    }

    void pitchClassesHeard() {
        QFETCH(Notes, notes);
        QFETCH(int, noise);
        QFETCH(int, played);
        QFETCH(Classes, heard);
        zv::synth::Sung voice = zv::synth::sing(notes, 3);
        addNoise(voice.samples, Noise(noise));
        // The game's sound at the microphone as loud as the voice, 60 ms late.
        QCOMPARE(classesHeard(zv::synth::withGameSound(voice.samples, gameSounds(played), 0.45, 60)), heard);
    }

    // The echo path dropping out for a while (a sound server's underrun) while the
    // question plays, the echo as loud as usual or louder: the canceller, having
    // learnt the path, adds the game's sound for as long (and resets itself after half
    // a second of it); none of it is a sung note, nor is the microphone then taken for
    // a headset's. The answer, sung after the last note (D5) in other classes, is heard.
    void echoPathDropsOut_data() {
        QTest::addColumn<int>("fromMs");
        QTest::addColumn<int>("ms");
        QTest::addColumn<double>("gain");
        QTest::newRow("100 ms, a loud echo") << 700 << 100 << 2.5;
        QTest::newRow("300 ms, a loud echo") << 700 << 300 << 2.5;
        QTest::newRow("700 ms: the canceller resets") << 700 << 700 << 1.0;
        QTest::newRow("1.5 s") << 1000 << 1500 << 0.45;
    }
    void echoPathDropsOut() {
        QFETCH(int, fromMs);
        QFETCH(int, ms);
        QFETCH(double, gain);
        const zv::synth::Sung voice = zv::synth::sing(Notes{{0, 0, 0, 0, 5900}, {59, 400, 30}, {64, 400, 30, 1}, {57, 400, 30}}, 3);
        QCOMPARE(classesHeard(zv::synth::withGameSound(voice.samples, gameSounds(11), gain, 60, fromMs, ms)), (Classes{11, 4, 9}));
    }

    // The echo path growing 25 ms longer as the answer begins, 0.3 s after the last
    // note (the game's stream resumed late): the canceller lets the ringing note
    // through at full strength. A voice louder than it, which repeats with it only at
    // a common subharmonic (G4 or A4 over D4: G2, D3), is heard; so is one held over
    // it while the tracker names the echo's pitch for a few hops, once (C3 over A#4).
    void echoPathLengthens() {
        const struct { int played; double sung, next, gain; } rows[] = {
            {7, 67, 70, 1}, {7, 69, 70, 1}, {6, 48, 62, 0.45}};
        for (const auto& r : rows) {
            const int at = 200 + 500 * (r.played - 1) + 300;
            const zv::synth::Sung voice = zv::synth::sing(Notes{{0, 0, 0, 0, at}, {r.sung, 450, 20}, {r.next, 450, 20}}, 3);
            QCOMPARE(classesHeard(zv::synth::withGameSound(voice.samples, gameSounds(r.played), r.gain, 60, at + 30, 0, 25)),
                     (Classes{int(r.sung) % 12, int(r.next) % 12}));
        }
    }

    // The game's notes for 40 s at a microphone 500 ppm apart from the device's, either way: over the last
    // 10 s the canceller, fed what the tap places, takes off at least half the dB it does with one clock.
    void echoFollowsDriftingClocks() {
        std::vector<std::pair<const std::vector<std::int16_t>*, int>> sounds;
        for (int n = 0; n < 78; ++n) sounds.push_back({gameSounds(11)[std::size_t(n % 10 + 1)].first, 200 + 500 * n});
        const auto room = zv::synth::withGameSound(std::vector<float>(40 * zv::synth::kRate), sounds, 0.45, 60);
        const auto takenOffDb = [&](double drift) {
            zv::voice::ReferenceTap tap;
            zv::voice::EchoCanceller canceller;
            std::int16_t mic[zv::voice::kHop], ref[zv::voice::kHop], out[zv::voice::kHop];
            double in = 0, left = 0;
            // The room as the drifting clock samples it, through speexdsp's resampler as in withGameSound.
            std::vector<float> heard(room.mic.size() * 2);
            spx_uint32_t inLength = spx_uint32_t(room.mic.size()), outLength = spx_uint32_t(heard.size());
            SpeexResamplerState* r = speex_resampler_init_frac(1, 1000000, spx_uint32_t(std::lround(1e6 * (1 + drift))), zv::synth::kRate, zv::synth::kRate, 10, nullptr);
            speex_resampler_process_float(r, 0, room.mic.data(), &inLength, heard.data(), &outLength);
            speex_resampler_destroy(r);
            for (std::size_t h = 0, block = 0; (h + 1) * zv::voice::kHop <= outLength; ++h) {
                const std::int64_t capturedNs = std::llround((h + 1) * 1e7 / (1 + drift)) + 20000000;
                for (; std::int64_t(block) * 20000000 <= capturedNs && (block + 1) * 1920 <= room.played.size(); ++block)
                    tap.played(room.played.data() + block * 1920, 960, 2, std::int64_t(block) * 20000000);  // at its time
                for (int i = 0; i < zv::voice::kHop; ++i)
                    mic[i] = std::int16_t(std::clamp(heard[h * zv::voice::kHop + std::size_t(i)], -1.0f, 1.0f) * 32767);
                tap.take(ref, zv::voice::kHop, tap.placeCapture(zv::voice::kHop, capturedNs));
                canceller.process(mic, ref, out);
                for (int i = 0; h >= 3000 && i < zv::voice::kHop; ++i) in += double(mic[i]) * mic[i], left += double(out[i]) * out[i];
            }
            return 10 * std::log10(in / left);
        };
        const double oneClock = takenOffDb(0), fast = takenOffDb(5e-4), slow = takenOffDb(-5e-4);
        QVERIFY2(std::min(fast, slow) > oneClock / 2, qPrintable(QString("%1 / %2 dB, one clock %3").arg(fast).arg(slow).arg(oneClock)));
    }

    // The sampled singers straight into the note finder, as once the game knows its
    // sound does not reach the microphone: no note is heard twice, not even one whose
    // release rings on after it ended, far quieter (a sound font's, a room's); and at
    // least three in four notes sung again after a breath are heard again (some sound
    // fonts' release fills the breath all but entirely).
    void sampledNotesHeardOnce() {
        const auto repeats = [](const std::vector<int>& v) {
            return v.empty() ? 0 : std::inner_product(v.begin() + 1, v.end(), v.begin(), 0, std::plus<>(), std::equal_to<>());
        };
        const auto phrases = zv::synth::corpusPhrases(qEnvironmentVariable("ZORVANTA_SOURCE_DIR").toStdString() +
                                                      "/tests/platform/voice_corpus.txt");
        int sungAgain = 0, heardAgain = 0;
        for (std::size_t p = 0; p < phrases.size(); ++p) {
            const auto wav = zv::synth::readMonoWav(qEnvironmentVariable("ZORVANTA_VOICE_CORPUS").toStdString() + "/" +
                                                    std::to_string(p) + ".wav");
            std::vector<float> samples(wav.size() + zv::synth::kRate);  // and a second of silence
            std::transform(wav.begin(), wav.end(), samples.begin(), [](std::int16_t v) { return v / 32768.0f; });
            std::vector<int> heard;
            zv::voice::SungNotes([&](const zv::voice::SungNote& n) {
                if (n.kind == zv::voice::SungNote::Kind::Start) heard.push_back(n.midi);
            }).feed(samples.data(), samples.size());
            QVERIFY2(!wav.empty() && repeats(heard) <= repeats(phrases[p]), qPrintable(QString("phrase %1").arg(p)));
            sungAgain += repeats(phrases[p]), heardAgain += repeats(heard);
        }
        QVERIFY2(sungAgain > 0 && heardAgain * 4 >= sungAgain * 3, qPrintable(QString("%1 of %2").arg(heardAgain).arg(sungAgain)));
    }

    // The sampled singers (voice_corpus.txt, support/VoiceCorpus.h) answering as people
    // do, from 300 ms after the question's last note, with headphones or loudspeakers
    // (the game's sound handed to the device as it plays, or 100 ms at a time, or each
    // callback up to 10 ms late, as on a busy machine):
    // the share of notes heard by their pitch class at least `right` %, at most 1 %
    // extra, none from the game. (With loudspeakers a note at the ringing piano's own
    // pitch or an octave above, no louder than its echo, is held back until the piano
    // dies away.)

    void sampledSingers_data() {
        QTest::addColumn<double>("echo");
        QTest::addColumn<int>("burst");
        QTest::addColumn<int>("lateMs");
        QTest::addColumn<int>("right");
        QTest::newRow("headphones") << 0.0 << 1 << 0 << 98;
        QTest::newRow("headphones, the sound handed in bursts") << 0.0 << 5 << 0 << 98;
        QTest::newRow("loudspeakers") << 0.45 << 1 << 0 << 97;
        QTest::newRow("loudspeakers, the sound handed in bursts") << 0.45 << 5 << 0 << 97;
        QTest::newRow("loudspeakers, callbacks up to 10 ms late") << 0.45 << 1 << 10 << 96;
    }
    void sampledSingers() {
        QFETCH(double, echo);
        QFETCH(int, burst);
        QFETCH(int, lateMs);
        QFETCH(int, right);
        const std::string source = qEnvironmentVariable("ZORVANTA_SOURCE_DIR").toStdString();
        const auto phrases = zv::synth::corpusPhrases(source + "/tests/platform/voice_corpus.txt");
        const auto keys = zv::synth::keySounds(source + "/assets");
        zv::synth::CorpusCount all;
        for (std::size_t p = 0; p < phrases.size(); ++p) {
            const auto wav = zv::synth::readMonoWav(qEnvironmentVariable("ZORVANTA_VOICE_CORPUS").toStdString() + "/" +
                                                    std::to_string(p) + ".wav");
            QVERIFY2(!wav.empty(), "the corpus is not rendered");
            const auto c = zv::synth::singPhrase(phrases[p], wav, echo, keys, burst, nullptr, lateMs);
            all.notes += c.notes, all.right += c.right, all.extra += c.extra, all.fromGame += c.fromGame;
        }
        qInfo("%d notes: %d right, %d extra, %d from the game", all.notes, all.right, all.extra, all.fromGame);
        QVERIFY(all.notes >= 100);
        QVERIFY(all.right * 100 >= right * all.notes);
        QVERIFY(all.extra * 100 <= all.notes);
        QCOMPARE(all.fromGame, 0);
    }
};

QTEST_GUILESS_MAIN(TestSungNotes)
#include "tst_sung_notes.moc"
