// Where the game's start-up goes: the steps of main(), in main()'s order, each
// followed by a "phase <name> <ns>" line (CLOCK_MONOTONIC) on stdout, then the
// "first-paint" line; run under bench_probe, which turns the times into milliseconds
// from the spawn. "main" is the entry of main(), so everything before it is the
// loading and initialising of the shared libraries. The devices module is loaded and
// the sounds are decoded after the first frame, as the game does, and timed as the
// last phases.
#include <QApplication>
#include <QTimer>

#include <functional>
#include <thread>

#include "game/Game.h"
#include "platform/real/DeviceModule.h"
#include "platform/real/QtMessageBoxes.h"
#include "platform/real/QtServices.h"
#include "platform/real/SessionBus.h"
#include "support/BenchSupport.h"
#include "view/MainWindow.h"

using namespace zvbench;

namespace {

void phase(const char* name) {
    std::printf("phase %s %lld\n", name, static_cast<long long>(monoNs()));
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    phase("main");
    zv::skipHopelessBusAutolaunch();
    std::jthread fontConfiguration(&zv::MainWindow::loadFontConfiguration);
    QApplication qapp(argc, argv);
    phase("QApplication");
    zv::MainWindow::styleApplication();
    std::jthread fontDatabase(&zv::MainWindow::loadFontDatabase);
    phase("style-and-font");
    zv::QtServices real;
    zv::DeviceModule devices(real.app.applicationDir() + "/" + zv::DeviceModule::kPathFromProgram);
    phase("services-built");
    zv::QtMessageBoxes boxes;
    zv::Game game(real.bundle(devices, boxes));
    phase("Game");
    real.pictures.prefetch(game.picturePaths());
    zv::MainWindow window(game);
    phase("window-built");
    if (game.load()) return 1;
    phase("pictures-loaded");
    const std::vector<std::string> sounds = game.sounds().allPaths();

    struct FirstFrame final : QObject {
        QWidget* window = nullptr;
        std::function<void()> then;
        bool eventFilter(QObject* watched, QEvent* e) override {
            auto* w = qobject_cast<QWidget*>(watched);
            if (e->type() != QEvent::Paint || !w || w->window() != window || !then) return false;
            qApp->removeEventFilter(this);
            phase("first-paint-event");
            QTimer::singleShot(0, this, std::exchange(then, nullptr));
            return false;
        }
    } firstFrame;
    firstFrame.window = &window;
    firstFrame.then = [&] {
        std::printf("first-paint %lld\n", static_cast<long long>(monoNs()));
        std::fflush(stdout);
        zv::Devices* loaded = devices.devices();
        phase("devices-loaded");
        if (loaded) loaded->preload(sounds);
        phase("sounds-decoded");
    };
    qapp.installEventFilter(&firstFrame);
    window.show();
    phase("shown");
    return QApplication::exec();
}
