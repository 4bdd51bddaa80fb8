// Zorvanta: start-up. Reads the command line, builds the platform services and the
// game, builds the window while the game's pictures decode on a thread of their own,
// shows the window once they are there, and as soon as its first frame is on screen
// loads the devices module (SDL2's sound, the MIDI input, the microphone:
// DeviceModule.h), decodes the sounds, opens the MIDI input and, with --sing, the
// microphone.
#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "CommandLine.h"
#include "HistoryCommands.h"
#include "history/sql/DesktopHistory.h"
#include "platform/real/DeviceModule.h"
#include "platform/real/QtMessageBoxes.h"
#include "platform/real/QtServices.h"
#include "platform/real/SessionBus.h"
#include "platform/real/TracingServices.h"
#include "game/Game.h"
#include "view/AfterFirstFrame.h"
#include "view/DevicePress.h"
#include "view/MainWindow.h"

int main(int argc, char* argv[]) {
    // The command line is answered before anything else starts: --help, --version and
    // a mistake need no display.
    const zv::CommandLine options =
        zv::CommandLine::parse("zorvanta", std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc));
    if (options.action != zv::CommandLine::Action::Run) {
        std::fputs(options.output.c_str(), options.action == zv::CommandLine::Action::Print ? stdout : stderr);
        return options.exitCode;
    }
    // Qt gets its own options in the one form it reads them all in (CommandLine.h).
    std::vector<std::string> qtArguments{argc > 0 ? argv[0] : "zorvanta"};
    qtArguments.insert(qtArguments.end(), options.qtArguments.begin(), options.qtArguments.end());
    std::vector<char*> qtArgv;
    for (auto& a : qtArguments) qtArgv.push_back(a.data());
    int qtArgc = static_cast<int>(qtArgv.size());
    qtArgv.push_back(nullptr);
    // The history's own actions run instead of the game.
    if (zv::wantsHistoryCommand(options)) return zv::runHistoryCommand(options, qtArgc, qtArgv.data());
    // No doomed start of a session bus as the window builds (SessionBus.h).
    zv::skipHopelessBusAutolaunch();
    // The fonts' configuration loads while QApplication starts (MainWindow.h).
    std::jthread fontConfiguration(&zv::MainWindow::loadFontConfiguration);
    QApplication qapp(qtArgc, qtArgv.data());
    zv::MainWindow::styleApplication();
    std::jthread fontDatabase(&zv::MainWindow::loadFontDatabase);

    zv::QtServices real;
    zv::DeviceModule devices(real.app.applicationDir() + "/" + zv::DeviceModule::kPathFromProgram);
    zv::SoundService& sound = devices;
    zv::QtApplication& app = real.app;
    zv::QtMessageBoxes boxes;
    // With ZORVANTA_TRACE=1 every sound and message box is also printed (TracingServices.h).
    zv::TracingSound tracedSound(sound);
    zv::TracingBoxes tracedBoxes(boxes);
    const bool trace = zv::traceRequested();
    zv::Game game(real.bundle(trace ? static_cast<zv::SoundService&>(tracedSound) : sound,
                              trace ? static_cast<zv::MessageBoxes&>(tracedBoxes) : boxes));

    // The pictures decode meanwhile the window is built (a few milliseconds each);
    // load() then takes them, and the window mirrors what it sets. A picture missing
    // or broken still ends the program before the window shows.
    real.pictures.prefetch(game.picturePaths());
    zv::MainWindow window(game);
    // Every game is kept (history/) unless --no-history; the file opens after the
    // first frame, on the history's own thread.
    std::unique_ptr<zv::history::DesktopHistory> history;
    if (!options.noHistory) {
        history = std::make_unique<zv::history::DesktopHistory>(
            zv::history::SqlHistory::defaultPath(), [](const std::string& line) { std::fprintf(stderr, "%s\n", line.c_str()); });
        game.setObserver(history->observer());
    }
    if (const auto missing = game.load()) {
        std::fprintf(stderr, "zorvanta: cannot load picture %s\n", missing->c_str());
        boxes.information(zv::MessageBoxes::kAppTitle, zv::Game::missingPictureText(*missing));
        return 1;
    }

    // Every sound is decoded up front, so that no press of a key reads a file.
    const std::vector<std::string> sounds = game.sounds().allPaths();

    boxes.setParent(&window);
    app.setMainWindow(&window);
    window.setCloseHandler([&app] { app.quit(); });
    // Loading the module and decoding (about 8 ms for the 25 files) wait until the
    // window's first frame is on screen, which comes that much sooner. Nobody can press
    // a key in the moment between the two; a press that did would load the module and
    // decode its own sound on demand.
    // With ZORVANTA_REPORT_FIRST_PAINT set, the frame's time (CLOCK_MONOTONIC) goes to
    // stdout as "first-paint <ns>": bench/ times the start-up with it.
    const bool reportFirstPaint = std::getenv("ZORVANTA_REPORT_FIRST_PAINT") != nullptr;
    // MIDI keyboards: the input opens on a thread of its own once the window is up;
    // each note-on is the same press of its piano key as that key's PC key makes.
    // While a modal box is open it takes the PC keys, and it takes these presses too.
    std::unique_ptr<zv::InputConnection> midi;
    // With --sing, the microphone: each sung note is judged by its pitch class and
    // its key shown held while the note lasts (view/DevicePress.h). Without it no
    // capture device is ever opened.
    zv::SungNotePress sungNotes(game, window);
    std::unique_ptr<zv::InputConnection> voice;  // goes before what its handler uses
    const bool sing = options.sing;
    zv::AfterFirstFrame afterFirstFrame(&window, [&devices, &sounds, &midi, &voice, &sungNotes, &game, &history, sing,
                                              trace, reportFirstPaint](bool painted) {
        if (history) history->open();
        if (painted && reportFirstPaint) {
            timespec ts{};
            clock_gettime(CLOCK_MONOTONIC, &ts);
            std::printf("first-paint %lld\n", static_cast<long long>(ts.tv_sec) * 1000000000LL + ts.tv_nsec);
            std::fflush(stdout);
        }
        zv::Devices* loaded = devices.devices();
        if (!loaded) return;
        loaded->preload(sounds);
        midi = loaded->openMidi([&game](int note) { zv::pressNoteFromDevice(game, note); });
        if (!sing) return;
        voice = loaded->openVoice([&sungNotes, trace](int note, bool on) {
            if (trace) {  // as the traced sounds and boxes: "sung <MIDI note>", "sung-end <MIDI note>"
                std::printf(on ? "sung %d\n" : "sung-end %d\n", note);
                std::fflush(stdout);
            }
            sungNotes.noteChanged(note, on);
        });
    });
    window.show();

    if (app.quitRequested()) return 0;
    return QApplication::exec();
}
