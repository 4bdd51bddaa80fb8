// The yardsticks for start-up, memory and idle cost: a minimal Qt Widgets window of
// the game window's size, built with the same flags, that reports its first paint
// the way the game does (ZORVANTA_REPORT_FIRST_PAINT).
//   bench_minimal_window                            Qt Widgets only
//   bench_mixer_window --sounds DIR [--frames F] [--pause]   the same window, linked to
//       SDL2_mixer, which it opens with the game's settings to decode the game's 25
//       sounds first; --pause then pauses the audio device (what an idle game could do)
#include <QApplication>
#include <QTimer>
#include <QWidget>
#ifdef ZORVANTA_BENCH_MIXER
#include <SDL.h>
#include <SDL_mixer.h>
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

#ifdef ZORVANTA_BENCH_MIXER
    const std::string dir = arg(argc, argv, "--sounds", "");
    const int frames = static_cast<int>(argInt(argc, argv, "--frames", 256));
    std::vector<Mix_Chunk*> chunks;
    bool audio = false;
    if (!dir.empty()) {
        SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
        audio = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0 &&
                Mix_OpenAudioDevice(48000, AUDIO_S16SYS, 2, frames, nullptr,
                                    SDL_AUDIO_ALLOW_FREQUENCY_CHANGE | SDL_AUDIO_ALLOW_CHANNELS_CHANGE) == 0;
        if (!audio) {
            std::fprintf(stderr, "baseline: no audio: %s\n", SDL_GetError());
            return 1;
        }
        Mix_AllocateChannels(1);
        for (const auto& name : soundNames()) {
            const std::string path = dir + "/" + name;
            Mix_Chunk* c = Mix_LoadWAV(path.c_str());
            if (!c) {
                std::fprintf(stderr, "baseline: cannot decode %s\n", path.c_str());
                return 1;
            }
            chunks.push_back(c);
        }
        if (hasFlag(argc, argv, "--pause")) {
            // SDL_mixer 2.6 does not tell its device; it is the first one opened after
            // the legacy id 1, and this program opens no other.
            const SDL_AudioDeviceID device = 2;
            if (SDL_GetAudioDeviceStatus(device) != SDL_AUDIO_PLAYING) {
                std::fprintf(stderr, "baseline: cannot find the mixer's device\n");
                return 1;
            }
            SDL_PauseAudioDevice(device, 1);
        }
    }
#endif

    QWidget window;
    window.setWindowTitle(QStringLiteral("Baseline"));
    window.setFixedSize(619, 291);  // the game window's client size
    std::unique_ptr<FirstPaintReport> report;
    if (std::getenv("ZORVANTA_REPORT_FIRST_PAINT")) report = std::make_unique<FirstPaintReport>(&window);
    window.show();
    const int status = QApplication::exec();
#ifdef ZORVANTA_BENCH_MIXER
    if (audio) {
        for (Mix_Chunk* c : chunks) Mix_FreeChunk(c);
        Mix_CloseAudio();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }
#endif
    return status;
}
