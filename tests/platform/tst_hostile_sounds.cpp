// Broken sound files never stop the game: every note that cannot be played is
// silent, the game plays on to its summary, and no press or note stalls the window.
#include <QTemporaryDir>
#include <QTest>
#include <chrono>
#include <fstream>
#include <sys/stat.h>
#include <time.h>

#include "platform/real/SdlSound.h"
#include "support/GameRig.h"

using namespace zv;
using namespace zv::test;

namespace {

// What a call costs: the calling thread's CPU time (work it does: decoding, retrying a
// broken file), which a busy machine barely changes, and its wall-clock time (waiting
// as well: on the sound device, a lock, a file that never answers), whose bound is a
// stall's, far above what any load makes of a call that does not wait.
// The costliest of the calls measured.
struct Cost {
    double cpuMs = 0, wallMs = 0;
    template <typename F>
    void measure(F&& call) {
        const double cpu0 = threadCpuMs();
        const auto t0 = std::chrono::steady_clock::now();
        call();
        cpuMs = std::max(cpuMs, threadCpuMs() - cpu0);
        wallMs = std::max(wallMs, std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count());
    }
    bool fine(double cpuBoundMs) const { return cpuMs < cpuBoundMs && wallMs < 2000; }
    QByteArray text() const { return QString("%1 ms of CPU, %2 ms in all").arg(cpuMs).arg(wallMs).toUtf8(); }
    static double threadCpuMs() {
        timespec ts{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
        return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
    }
};

// The costliest play() of the real sound service.
class TimedSound : public SoundService {
public:
    explicit TimedSound(SdlSound& inner) : inner_(inner) {}
    void setFiles(std::vector<std::string> files) override { inner_.setFiles(std::move(files)); }
    void play(int id) override {
        worst.measure([&] { inner_.play(id); });
        ++plays;
    }
    Cost worst;
    int plays = 0;

private:
    SdlSound& inner_;
};

void writeFile(const QString& path, const QByteArray& bytes) {
    std::ofstream out(path.toStdString(), std::ios::binary);
    out.write(bytes.constData(), bytes.size());
}

QByteArray validWav(int frames) {
    QByteArray pcm(frames * 2, '\0');
    for (int i = 0; i < frames; ++i) {
        const auto s = static_cast<qint16>(8000 * ((i / 50) % 2 ? 1 : -1));
        pcm[2 * i] = static_cast<char>(s & 0xFF);
        pcm[2 * i + 1] = static_cast<char>((s >> 8) & 0xFF);
    }
    QByteArray h("RIFF");
    auto u32 = [&](quint32 v) { for (int k = 0; k < 4; ++k) h.append(static_cast<char>((v >> (8 * k)) & 0xFF)); };
    auto u16 = [&](quint16 v) { for (int k = 0; k < 2; ++k) h.append(static_cast<char>((v >> (8 * k)) & 0xFF)); };
    u32(36 + pcm.size());
    h.append("WAVEfmt ");
    u32(16);
    u16(1);
    u16(1);
    u32(48000);
    u32(96000);
    u16(2);
    u16(16);
    h.append("data");
    u32(pcm.size());
    return h + pcm;
}

const char* const kNames[] = {"do",   "re",   "mi",   "fa",   "so",   "ra",   "si",   "+do",  "+re",
                              "+mi",  "+fa",  "+so",  "+ra",  "+si",  "do#",  "re#",  "fa#",  "so#",
                              "ra#",  "+do#", "+re#", "+fa#", "+so#", "+ra#", "+++do"};

// Fills <dir>/sound with every kind of broken file, in turn over the 25 names.
void makeHostileSoundFolder(const QString& dir) {
    QDir(dir).mkpath("sound");
    const QByteArray good = validWav(4800);
    for (int i = 0; i < 25; ++i) {
        const QString path = dir + "/sound/" + kNames[i];
        switch (i % 7) {
            case 0: break;                                         // missing
            case 1: writeFile(path, {}); break;                    // empty
            case 2: writeFile(path, good.left(good.size() / 3)); break;  // truncated
            case 3: writeFile(path, QByteArray(5000, '\x5a')); break;    // garbage
            case 4: QDir(dir).mkpath("sound/" + QString(kNames[i])); break;  // a folder
            case 5: ::mkfifo(path.toLocal8Bit().constData(), 0600); break;  // a FIFO: open() would block
            case 6: writeFile(path, good); break;                  // fine
        }
    }
}

// A whole game: START, a question, a right answer, a question, REPLAY, an answer,
// STOP and the summary. Returns the number of summaries shown.
int playWholeGame(GameRig& rig) {
    rig.startAndPlayFirstQuestion();
    rig.answerRight();
    rig.tickStep();
    rig.playUntilSequencerStops();
    rig.game.replayClicked();
    rig.playUntilSequencerStops();
    rig.pressToken(rig.wrongTokenFor(rig.state.melody[0]));
    rig.game.startStopClicked();
    rig.clock.advance(1000);
    return static_cast<int>(rig.boxes.shown.size());
}

}  // namespace

class HostileSoundsTest : public QObject {
    Q_OBJECT

private slots:
    void brokenFilesLeaveTheGamePlayable() {
        QTemporaryDir dir;
        makeHostileSoundFolder(dir.path());
        SdlSound sdl;
        QVERIFY2(sdl.available(), "the dummy audio driver should open");
        TimedSound timed(sdl);
        GameRig rig(false, &timed);
        rig.app.appDir = dir.path().toStdString();
        QVERIFY(!rig.game.load());
        // Preloading every name (as start-up does) neither blocks nor fails.
        std::vector<std::string> paths;
        for (const char* n : kNames) paths.push_back(rig.game.sounds().path(n));
        Cost preload;
        preload.measure([&] { sdl.preload(paths); });
        QVERIFY2(preload.fine(500), preload.text());
        for (int i = 0; i < 25; ++i) QCOMPARE(sdl.isLoaded(paths[i]), i % 7 == 6);
        for (int i = 0; i < 24; ++i) {
            if (i < 14) rig.game.whiteKeyPressed(i); else rig.game.blackKeyPressed(i - 14);
        }
        QCOMPARE(playWholeGame(rig), 1);
        QCOMPARE(rig.boxes.shown[0].text, std::string("問題数:3\r\n正解数:1\r\n正解率:33.3%"));
        QVERIFY(timed.plays > 40);
        QVERIFY2(timed.worst.fine(50), timed.worst.text());
    }

    void missingSoundFolder() {
        QTemporaryDir dir;  // no sound folder inside
        SdlSound sdl;
        TimedSound timed(sdl);
        GameRig rig(false, &timed);
        rig.app.appDir = dir.path().toStdString();
        QVERIFY(!rig.game.load());
        QCOMPARE(playWholeGame(rig), 1);
        QVERIFY2(timed.worst.fine(50), timed.worst.text());
    }

    void noAudioDevice() {
        qputenv("SDL_AUDIODRIVER", "no-such-driver");
        SdlSound sdl;
        sdl.preload({});  // starts the audio subsystem, which fails
        QVERIFY(sdl.waitSettled(5000));
        QVERIFY(!sdl.available());
        TimedSound timed(sdl);
        GameRig rig(false, &timed);
        rig.app.appDir = qEnvironmentVariable("ZORVANTA_RUNTIME_DIR").toStdString();
        QVERIFY(!rig.game.load());
        QCOMPARE(playWholeGame(rig), 1);
        QVERIFY2(timed.worst.fine(50), timed.worst.text());
        QVERIFY(sdl.waitSettled(5000));
        qputenv("SDL_AUDIODRIVER", "dummy");
        QVERIFY(!sdl.available());
    }
};

QTEST_GUILESS_MAIN(HostileSoundsTest)
#include "tst_hostile_sounds.moc"
