// SdlSound against SDL2's dummy driver: one voice, instant play, formats converted
// once, bad files, the device closed while idle and opened again, and a missing or
// unreachable device. The mixed stream is read through the post-mix hook and
// analysed for its tones.
#include <SDL.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "support/TempFiles.h"
#include <QThread>
#include <algorithm>
#include <atomic>
#include <cmath>
#include <mutex>
#include <vector>

#include "platform/real/SdlSound.h"

using zv::SdlSound;

namespace {

// A WAV of a sine tone: 8-bit unsigned, 16-bit signed or 32-bit float samples
// (bits 8, 16 or -32), in every channel.
QByteArray wav(double freq, double seconds, int rate = 48000, int bits = 16, int channels = 1) {
    const int n = int(seconds * rate), bytes = std::abs(bits) / 8;
    QByteArray pcm;
    for (int i = 0; i < n; ++i) {
        const double x = freq > 0 ? 0.37 * std::sin(2 * M_PI * freq * i / rate) : 0;
        for (int c = 0; c < channels; ++c) {
            if (bits == 8) {
                pcm += char(quint8(128 + x * 127));
            } else if (bits == 16) {
                const auto v = qint16(x * 32767);
                pcm += QByteArray(reinterpret_cast<const char*>(&v), 2);
            } else {
                const auto v = float(x);
                pcm += QByteArray(reinterpret_cast<const char*>(&v), 4);
            }
        }
    }
    auto u32 = [](quint32 x) { return QByteArray(reinterpret_cast<const char*>(&x), 4); };
    auto u16 = [](quint16 x) { return QByteArray(reinterpret_cast<const char*>(&x), 2); };
    QByteArray w;
    w += "RIFF" + u32(36 + pcm.size()) + "WAVE";
    w += "fmt " + u32(16) + u16(bits < 0 ? 3 : 1) + u16(quint16(channels)) + u32(rate) +
         u32(quint32(rate * channels * bytes)) + u16(quint16(channels * bytes)) + u16(quint16(std::abs(bits)));
    w += "data" + u32(pcm.size()) + pcm;
    return w;
}

// Signal power at one frequency (Goertzel), normalised by length.
double power(const std::vector<float>& x, double freq, int rate) {
    const double k = 2 * std::cos(2 * M_PI * freq / rate);
    double s1 = 0, s2 = 0;
    for (float v : x) {
        const double s = v + k * s1 - s2;
        s2 = s1;
        s1 = s;
    }
    return (s1 * s1 + s2 * s2 - k * s1 * s2) / double(x.size() * x.size());
}

// The first channel of every mixed buffer from the moment it is made, with the
// running frame count; the test removes the hook before the capture goes.
struct Capture {
    std::mutex m;
    std::vector<float> samples;
    int channels = 1;
    explicit Capture(SdlSound& s) {
        channels = s.deviceChannels();
        s.setPostMixHook([this](const std::uint8_t* data, int bytes) {
            const auto* p = reinterpret_cast<const qint16*>(data);
            std::lock_guard lock(m);
            for (int i = 0; i < bytes / 2; i += channels) samples.push_back(p[i] / 32768.0f);
        });
    }
    size_t size() {
        std::lock_guard lock(m);
        return samples.size();
    }
    std::vector<float> slice(size_t from, size_t count) {
        std::lock_guard lock(m);
        from = std::min(from, samples.size());
        count = std::min(count, samples.size() - from);
        return {samples.begin() + from, samples.begin() + from + count};
    }
};

// Runs f with stderr sent to a file; returns what was written.
template <class F>
QByteArray captureStderr(F f) {
    QTemporaryDir dir;
    const QString path = dir.filePath("stderr.txt");
    fflush(stderr);
    const int saved = dup(2);
    FILE* out = fopen(QFile::encodeName(path).constData(), "w");
    dup2(fileno(out), 2);
    f();
    fflush(stderr);
    dup2(saved, 2);
    close(saved);
    fclose(out);
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

}  // namespace

class SdlSoundTest : public QObject {
    Q_OBJECT

    zv::test::TempFiles files_;
    QString write(const QString& name, const QByteArray& data) { return files_.write(name, data); }
    static std::string s(const QString& q) { return zv::test::TempFiles::native(q); }
    // Plays a file as sound 0.
    static void play(zv::SoundService& sound, const std::string& path) {
        sound.setFiles({path});
        sound.play(0);
    }

private slots:
    void initTestCase() { qputenv("SDL_AUDIODRIVER", "dummy"); }

    // A second sound cuts the first: after the switch the first tone is gone from the
    // mix instead of sounding on beneath the second.
    void secondPlayCutsTheFirst() {
        const QString a = write("a440", wav(440, 2)), b = write("b1000", wav(1000, 2));
        SdlSound sound;
        QVERIFY2(sound.available(), sound.failure().c_str());
        QCOMPARE(sound.deviceRate(), 48000);
        QCOMPARE(sound.deviceFormat(), std::uint16_t(AUDIO_S16SYS));
        Capture cap(sound);
        sound.preload({s(a), s(b)});
        const int rate = sound.deviceRate(), window = rate / 10;  // 100 ms
        // Switched once 200 ms of the first are mixed; compared 50 ms to 150 ms after.
        play(sound, s(a));
        QTRY_VERIFY_WITH_TIMEOUT(cap.size() >= size_t(2 * window), 5000);
        const size_t atSwitch = cap.size();
        play(sound, s(b));
        QTRY_VERIFY_WITH_TIMEOUT(cap.size() >= atSwitch + size_t(rate / 20 + window), 5000);
        sound.setPostMixHook({});

        const auto before = cap.slice(atSwitch - window, window);
        const auto after = cap.slice(atSwitch + rate / 20, window);  // from 50 ms after the switch
        QCOMPARE(int(after.size()), window);
        QVERIFY(power(before, 440, rate) > 100 * power(before, 1000, rate));
        QVERIFY(power(after, 1000, rate) > 100 * power(after, 440, rate));
        QVERIFY(power(after, 1000, rate) > 0.5 * power(before, 440, rate));  // a full-level tone, not a fade

        // The same file again restarts it rather than adding a second copy: the level
        // stays that of one tone.
        double peak = 0;
        for (float v : after) peak = std::max(peak, double(std::fabs(v)));
        QVERIFY2(peak < 0.45, "two voices summed");
    }

    // play() hands the device's opening to another thread: it returns at once with
    // the device closed, open, or unreachable (a sound server that is not there).
    void playNeverWaits_data() {
        QTest::addColumn<QByteArray>("driver");
        QTest::newRow("dummy") << QByteArray("dummy");
        QTest::newRow("sound server gone") << QByteArray("pulseaudio");
    }
    void playNeverWaits() {
        QFETCH(QByteArray, driver);
        const QString a = write("long", wav(440, 2));
        qputenv("SDL_AUDIODRIVER", driver);
        qputenv("PULSE_SERVER", QFile::encodeName(files_.path("no-server")));
        SdlSound sound;
        sound.preload({s(a)});
        std::vector<qint64> ns;
        QElapsedTimer t;
        for (int i = 0; i < 200; ++i) {
            t.start();
            play(sound, s(a));
            ns.push_back(t.nsecsElapsed());
            if (i % 20 == 0) QThread::msleep(5);  // let the other thread try to open
        }
        QVERIFY(sound.waitSettled(5000));
        qunsetenv("PULSE_SERVER");
        qputenv("SDL_AUDIODRIVER", "dummy");
        QCOMPARE(sound.available(), driver == "dummy");
        std::sort(ns.begin(), ns.end());
        qInfo("play(): median %.1f us, max %.1f us", ns[ns.size() / 2] / 1e3, ns.back() / 1e3);
        // A play() that opened the device itself would cost every call that; the worst
        // single call is the machine's scheduling as much as ours (bench/ times it).
        QVERIFY(ns[ns.size() / 2] < 1'000'000);
    }

    // Any WAV that SDL reads is converted once to the device format, at its length.
    void formatsConvertToTheDeviceFormat_data() {
        QTest::addColumn<int>("rate");
        QTest::addColumn<int>("bits");
        QTest::addColumn<int>("channels");
        QTest::newRow("8 kHz 8-bit mono") << 8000 << 8 << 1;
        QTest::newRow("44.1 kHz 16-bit stereo") << 44100 << 16 << 2;
        QTest::newRow("48 kHz float mono") << 48000 << -32 << 1;
    }
    void formatsConvertToTheDeviceFormat() {
        QFETCH(int, rate);
        QFETCH(int, bits);
        QFETCH(int, channels);
        const std::string path = s(write(QString("f%1-%2-%3").arg(rate).arg(bits).arg(channels),
                                         wav(440, 0.5, rate, bits, channels)));
        SdlSound sound;
        sound.preload({path});
        const SdlSound::Samples* samples = sound.samples(path);
        QVERIFY(samples);
        const double seconds = double(samples->size()) / (SdlSound::kRate * SdlSound::kChannels * 2);
        QVERIFY2(std::fabs(seconds - 0.5) < 0.01, qPrintable(QString::number(seconds)));
        std::vector<float> left;
        const auto* p = reinterpret_cast<const qint16*>(samples->data());
        for (size_t i = 0; i < samples->size() / 2; i += SdlSound::kChannels) left.push_back(p[i] / 32768.0f);
        QVERIFY(power(left, 440, SdlSound::kRate) > 100 * power(left, 1000, SdlSound::kRate));
    }

    // Files that cannot be played are silent, return at once and open no device; a
    // FIFO, which would block open(), is never opened; a file that would convert to
    // more than the limit is refused before converting.
    void badFilesPlayNothing() {
        QByteArray truncated = wav(440, 1);
        truncated.truncate(truncated.size() / 2);
        QByteArray garbage(4096, '\0');
        for (int i = 0; i < garbage.size(); ++i) garbage[i] = char((i * 7919) ^ (i >> 3));
        const QString fifo = files_.path("fifo");
        QCOMPARE(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        QDir(files_.folder()).mkdir("folder");
        // 8 kHz 8-bit mono grows 24-fold: 3 MB of it would take 72 MB.
        const double hugeSeconds = 3.0 * 1024 * 1024 / 8000;
        const std::vector<std::string> paths = {s(files_.path("missing")), s(write("empty", {})),
                                                s(write("garbage", garbage)), s(write("truncated", truncated)),
                                                s(files_.path("folder")), s(fifo),
                                                s(write("silent-header", wav(440, 0))),
                                                s(write("grows-too-large", wav(440, hugeSeconds, 8000, 8)))};
        SdlSound sound;
        QElapsedTimer t;
        t.start();
        for (const auto& p : paths) {
            play(sound, p);
            QVERIFY2(sound.isCached(p) && !sound.isLoaded(p), p.c_str());
        }
        QVERIFY(t.elapsed() < 1000);
        QVERIFY(sound.waitSettled(1000));
        QVERIFY(!sound.deviceOpen());

        // Nor do they cut a sound that plays.
        const std::string good = s(write("good-tone", wav(440, 1)));
        Capture cap(sound);
        const int rate = sound.deviceRate();
        play(sound, good);
        QTRY_VERIFY_WITH_TIMEOUT(cap.size() >= size_t(rate / 10), 5000);
        play(sound, paths[2]);
        const size_t atBad = cap.size();
        QTRY_VERIFY_WITH_TIMEOUT(cap.size() >= atBad + size_t(rate / 10), 5000);
        sound.setPostMixHook({});
        const auto last = cap.slice(cap.size() - rate / 20, rate / 20);
        QVERIFY(power(last, 440, rate) > 1e-3);
    }

    // A failed load is remembered: the file appearing later is not read again.
    void failureIsCached() {
        SdlSound sound;
        const std::string later = s(files_.path("appears-later"));
        play(sound, later);
        write("appears-later", wav(440, 0.2));
        play(sound, later);
        QVERIFY(sound.isCached(later) && !sound.isLoaded(later));
        // A good file decodes once and stays.
        const std::string good = s(write("good", wav(440, 0.2)));
        sound.preload({good});
        QVERIFY(sound.isLoaded(good));
    }

    // Nothing is open until a sound plays (or it is kept ready); the device closes
    // once the linger after the last sound (or the release) has passed, not while a
    // sound plays, and the next sound opens it again and is heard from its start.
    void deviceOpensOnDemandAndClosesWhenIdle() {
        const std::string tone = s(write("short", wav(440, 0.3)));
        const std::string other = s(write("short2", wav(1000, 0.3)));
        SdlSound sound(SdlSound::kDefaultBufferFrames, 200);
        sound.preload({tone, other});
        QVERIFY(sound.waitSettled(2000));
        QVERIFY(!sound.deviceOpen());
        Capture cap(sound);
        // Closed no sooner than the sound's 300 ms and the linger after it: a busy
        // machine only makes that later.
        QElapsedTimer open;
        open.start();
        play(sound, tone);
        QVERIFY(sound.waitSettled(2000));
        QVERIFY(sound.deviceOpen());
        QTRY_VERIFY_WITH_TIMEOUT(!sound.deviceOpen(), 2000);
        QVERIFY2(open.elapsed() >= 500, qPrintable(QString("closed after %1 ms").arg(open.elapsed())));
        // Kept ready, it opens without a sound and outlasts the linger; released, it
        // closes once the linger from the release has passed.
        sound.keepReady(true);
        QTRY_VERIFY_WITH_TIMEOUT(sound.deviceOpen(), 2000);
        QThread::msleep(600);
        QVERIFY(sound.deviceOpen());
        open.restart();
        sound.keepReady(false);
        QTRY_VERIFY_WITH_TIMEOUT(!sound.deviceOpen(), 2000);
        QVERIFY2(open.elapsed() >= 200, qPrintable(QString("closed %1 ms after the release").arg(open.elapsed())));

        const size_t before = cap.size();
        play(sound, other);
        QTRY_VERIFY_WITH_TIMEOUT(cap.size() >= before + size_t(sound.deviceRate() / 10), 2000);
        sound.setPostMixHook({});
        const int rate = sound.deviceRate();
        // The first buffer after the reopen is the sound's own start.
        const auto first = cap.slice(before, sound.bufferFrames());
        const SdlSound::Samples* expected = sound.samples(other);
        const auto* e = reinterpret_cast<const qint16*>(expected->data());
        for (int i = 0; i < sound.bufferFrames(); i += 17) QCOMPARE(first[size_t(i)], e[i * 2] / 32768.0f);
        const auto heard = cap.slice(before, rate / 10);
        QVERIFY(power(heard, 1000, rate) > 100 * power(heard, 440, rate));
    }

    // No device ("nonexistent"), or ALSA on a machine without a card: silent, still
    // usable, one line of our own and none of alsa-lib's, however many sounds.
    void noDeviceRunsSilentWithOneLine_data() {
        QTest::addColumn<QByteArray>("driver");
        QTest::newRow("no such driver") << QByteArray("nonexistent");
        QTest::newRow("alsa") << QByteArray("alsa");
    }
    void noDeviceRunsSilentWithOneLine() {
        QFETCH(QByteArray, driver);
#if defined(__SANITIZE_THREAD__)
        // alsa-lib opens and closes its plugins by the dozen, and ThreadSanitizer lists
        // every loaded library again at each: seconds per attempt, no thread of ours.
        if (driver == "alsa") QSKIP("alsa-lib's probing is too slow under ThreadSanitizer");
#endif
        const std::string good = s(write("good2", wav(440, 0.2)));
        qputenv("SDL_AUDIODRIVER", driver);
        std::unique_ptr<SdlSound> sound;
        const QByteArray err = captureStderr([&] {
            sound = std::make_unique<SdlSound>();
            sound->preload({good});
            for (int i = 0; i < 5; ++i) {
                play(*sound, good);
                QVERIFY(sound->waitSettled(5000));
            }
        });
        qputenv("SDL_AUDIODRIVER", "dummy");
        if (sound->available()) QSKIP("this machine has an ALSA device");
        QVERIFY(!sound->deviceOpen());
        QCOMPARE(err.count('\n'), 1);
        QVERIFY2(err.startsWith("zorvanta: no audio device (") && err.trimmed().endsWith("running silent"), err.constData());
        QVERIFY(!sound->failure().empty());
    }
};

QTEST_GUILESS_MAIN(SdlSoundTest)
#include "tst_sdl_sound.moc"
