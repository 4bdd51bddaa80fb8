// The yardsticks for start-up, memory and idle cost: a minimal Qt Widgets window of
// the game window's size, built with the same flags, that reports its first paint
// the way the game does (ZORVANTA_REPORT_FIRST_PAINT).
//   bench_minimal_window                            Qt Widgets only
//   bench_audio_window --sounds DIR [--frames F] [--pause]   the same window, linked to
//       SDL2, which opens an audio device with the game's settings and decodes the
//       game's 25 sounds first; --pause then pauses the device
#include <QApplication>
#include <QTimer>
#include <QWidget>
#ifdef ZORVANTA_BENCH_AUDIO
#include <SDL.h>

#include "support/SdlWav.h"
#endif

#include "support/BenchSupport.h"

using namespace zvbench;

namespace {

class FirstPaintReport final : public QObject {
public:
    explicit FirstPaintReport(QWidget* window) : window_(window) { qApp->installEventFilter(this); }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Paint || done_) return false;
        auto* w = qobject_cast<QWidget*>(watched);
        if (!w || w->window() != window_) return false;
        done_ = true;
        qApp->removeEventFilter(this);
        QTimer::singleShot(0, [] {
            std::printf("first-paint %lld\n", static_cast<long long>(monoNs()));
            std::fflush(stdout);
        });
        return false;
    }

private:
    QWidget* window_;
    bool done_ = false;
};

}  // namespace

int main(int argc, char** argv) {
    if (std::getenv("ZORVANTA_REPORT_FIRST_PAINT")) {
        // The end of the shared libraries' loading, for bench_probe's "phase" lines.
        std::printf("phase main %lld\n", static_cast<long long>(monoNs()));
        std::fflush(stdout);
    }
    QApplication app(argc, argv);

#ifdef ZORVANTA_BENCH_AUDIO
    const std::string dir = arg(argc, argv, "--sounds", "");
    const int frames = static_cast<int>(argInt(argc, argv, "--frames", 256));
    std::vector<std::vector<std::uint8_t>> sounds;
    SDL_AudioDeviceID device = 0;
    if (!dir.empty()) {
        device = openDeviceFormat(frames, [](void*, Uint8* stream, int len) {
            std::memset(stream, 0, static_cast<std::size_t>(len));
        });
        if (device == 0) {
            std::fprintf(stderr, "baseline: no audio: %s\n", SDL_GetError());
            return 1;
        }
        for (const auto& name : soundNames()) {
            sounds.push_back(decodeForDevice(dir + "/" + name));
            if (sounds.back().empty()) {
                std::fprintf(stderr, "baseline: cannot decode %s/%s\n", dir.c_str(), name.c_str());
                return 1;
            }
        }
        if (!hasFlag(argc, argv, "--pause")) SDL_PauseAudioDevice(device, 0);
    }
#endif

    QWidget window;
    window.setWindowTitle(QStringLiteral("Baseline"));
    window.setFixedSize(619, 291);  // the game window's client size
    std::unique_ptr<FirstPaintReport> report;
    if (std::getenv("ZORVANTA_REPORT_FIRST_PAINT")) report = std::make_unique<FirstPaintReport>(&window);
    window.show();
    const int status = QApplication::exec();
#ifdef ZORVANTA_BENCH_AUDIO
    if (device) {
        SDL_CloseAudioDevice(device);
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }
#endif
    return status;
}
