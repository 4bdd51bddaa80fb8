// SdlSound against the real SDL2_mixer on SDL's dummy driver: one voice, instant
// play, bad files and a missing device. The mixed stream is read through the
// post-mix hook and analysed for its tones.
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

// 16-bit mono PCM WAV of a sine tone (freq 0: silence).
QByteArray wavTone(double freq, double seconds, int rate = 48000) {
    const int n = int(seconds * rate);
    QByteArray pcm(n * 2, Qt::Uninitialized);
    for (int i = 0; i < n; ++i) {
        const auto v = qint16(freq > 0 ? 12000 * std::sin(2 * M_PI * freq * i / rate) : 0);
        pcm[2 * i] = char(v & 0xff);
        pcm[2 * i + 1] = char((v >> 8) & 0xff);
    }
    auto u32 = [](quint32 x) { return QByteArray(reinterpret_cast<const char*>(&x), 4); };
    auto u16 = [](quint16 x) { return QByteArray(reinterpret_cast<const char*>(&x), 2); };
    QByteArray w;
    w += "RIFF" + u32(36 + pcm.size()) + "WAVE";
    w += "fmt " + u32(16) + u16(1) + u16(1) + u32(rate) + u32(rate * 2) + u16(2) + u16(16);
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

// The first channel of every mixed buffer, with the running frame count.
struct Capture {
    std::mutex m;
    std::vector<float> samples;
    int channels = 1;
    void install(SdlSound& s) {
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

private slots:
    void initTestCase() { qputenv("SDL_AUDIODRIVER", "dummy"); }

    // A second sound cuts the first: after the switch the first tone is gone from the
    // mix instead of sounding on beneath the second.
    void secondPlayCutsTheFirst() {
        const QString a = write("a440", wavTone(440, 2)), b = write("b1000", wavTone(1000, 2));
        SdlSound sound;
        QVERIFY2(sound.available(), sound.failure().c_str());
        QCOMPARE(sound.deviceRate(), 48000);
        QCOMPARE(sound.deviceFormat(), std::uint16_t(AUDIO_S16SYS));
        Capture cap;
        cap.install(sound);
        sound.preload({s(a), s(b)});
        sound.play(s(a));
        QThread::msleep(300);
        const size_t atSwitch = cap.size();
        sound.play(s(b));
        QThread::msleep(300);
        sound.setPostMixHook({});

        const int rate = sound.deviceRate(), window = rate / 10;  // 100 ms
        QVERIFY2(atSwitch > size_t(window), "too little audio mixed before the switch");
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

    void playNeverWaits() {
        const QString a = write("long", wavTone(440, 2));
        SdlSound sound;
        QVERIFY(sound.available());
        sound.preload({s(a)});
        std::vector<qint64> ns;
        QElapsedTimer t;
        for (int i = 0; i < 200; ++i) {
            t.start();
            sound.play(s(a));
            ns.push_back(t.nsecsElapsed());
        }
        std::sort(ns.begin(), ns.end());
        qInfo("play(): median %.1f us, max %.1f us", ns[ns.size() / 2] / 1e3, ns.back() / 1e3);
        QVERIFY(ns[ns.size() / 2] < 1'000'000);
        QVERIFY(ns.back() < 20'000'000);
    }

    // Files that cannot be played leave the mix silent and return at once; a FIFO,
    // which would block open(), is never opened.
    void badFilesPlayNothing() {
        QByteArray truncated = wavTone(440, 1);
        truncated.truncate(truncated.size() / 2);
        QByteArray garbage(4096, '\0');
        for (int i = 0; i < garbage.size(); ++i) garbage[i] = char((i * 7919) ^ (i >> 3));
        const QString fifo = files_.path("fifo");
        QCOMPARE(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        QDir(files_.folder()).mkdir("folder");
        const std::vector<std::string> paths = {s(files_.path("missing")), s(write("empty", {})),
                                                s(write("garbage", garbage)), s(write("truncated", truncated)),
                                                s(files_.path("folder")), s(fifo)};
        SdlSound sound;
        QVERIFY(sound.available());
        Capture cap;
        cap.install(sound);
        QElapsedTimer t;
        t.start();
        for (const auto& p : paths) {
            sound.play(p);
            QVERIFY2(sound.isCached(p) && !sound.isLoaded(p), p.c_str());
        }
        QVERIFY(t.elapsed() < 1000);
        QThread::msleep(100);
        const auto mixed = cap.slice(0, cap.size());
        QVERIFY(!mixed.empty());
        QVERIFY(std::all_of(mixed.begin(), mixed.end(), [](float v) { return v == 0; }));
        sound.setPostMixHook({});
    }

    // A failed load is remembered: the file appearing later is not read again.
    void failureIsCached() {
        SdlSound sound;
        const std::string later = s(files_.path("appears-later"));
        sound.play(later);
        write("appears-later", wavTone(440, 0.2));
        sound.play(later);
        QVERIFY(sound.isCached(later) && !sound.isLoaded(later));
        // A good file decodes once and stays.
        const std::string good = s(write("good", wavTone(440, 0.2)));
        sound.preload({good});
        QVERIFY(sound.isLoaded(good));
    }

    // No device ("nonexistent"), or ALSA on a machine without a card: silent, still
    // usable, one line of our own and none of alsa-lib's.
    void noDeviceRunsSilentWithOneLine_data() {
        QTest::addColumn<QByteArray>("driver");
        QTest::newRow("no such driver") << QByteArray("nonexistent");
        QTest::newRow("alsa") << QByteArray("alsa");
    }
    void noDeviceRunsSilentWithOneLine() {
        QFETCH(QByteArray, driver);
        qputenv("SDL_AUDIODRIVER", driver);
        std::unique_ptr<SdlSound> sound;
        const QByteArray err = captureStderr([&] { sound = std::make_unique<SdlSound>(); });
        qputenv("SDL_AUDIODRIVER", "dummy");
        if (sound->available()) QSKIP("this machine has an ALSA device");
        QCOMPARE(err.count('\n'), 1);
        QVERIFY2(err.startsWith("zorvanta: no audio device (") && err.trimmed().endsWith("running silent"), err.constData());
        const std::string good = s(write("good2", wavTone(440, 0.2)));
        sound->preload({good});
        sound->play(good);
        sound->setPostMixHook([](const std::uint8_t*, int) {});
        QVERIFY(!sound->isCached(good));  // nothing is decoded without a device
    }
};

QTEST_GUILESS_MAIN(SdlSoundTest)
#include "tst_sdl_sound.moc"
