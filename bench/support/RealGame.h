// The game as the program builds it (src/main.cpp): the real services, Game, every
// sound decoded up front, and the real window, shown. Only the message boxes can be
// swapped, so that a benchmark never waits on a modal box.
#pragma once

#include <QApplication>
#include <QEventLoop>
#include <QTest>
#include <QTimer>
#include <SDL.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "keys/KeySounds.h"
#include "platform/real/QtMessageBoxes.h"
#include "platform/real/RealServices.h"
#include "support/BenchSupport.h"
#include "game/Game.h"
#include "view/MainWindow.h"

namespace zvbench {

// Runs the event loop for ms milliseconds (no polling: one timer).
inline void waitMs(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

struct RealGame {
    explicit RealGame(zv::MessageBoxes& boxes)
        : game(services.bundle(boxes)) {
        if (const auto missing = game.load()) throw std::runtime_error("cannot load picture " + *missing);
        sounds = game.sounds().allPaths();
        sound.preload(sounds);
        // preload() starts the audio subsystem in the background: only once it has
        // tried does available() tell whether there is audio at all.
        if (!sound.waitSettled(5000) || !sound.available())
            throw std::runtime_error("no audio device: " + sound.failure());
        window = std::make_unique<zv::MainWindow>(game);
        app.setMainWindow(window.get());
        window->show();
        if (!QTest::qWaitForWindowExposed(window.get())) throw std::runtime_error("window not exposed");
        window->activateWindow();
        // Activation only decides which widget has the focus; presses go on without it.
        (void)QTest::qWaitForWindowActive(window.get());
    }
    ~RealGame() { sound.setPostMixHook({}); }

    // Bytes of one mixed buffer in the device format.
    int bufferBytes() const {
        return sound.bufferFrames() * sound.deviceChannels() * static_cast<int>(SDL_AUDIO_BITSIZE(sound.deviceFormat()) / 8);
    }

    // Adds the prefix of every path to m, as SdlSound decoded them, in the order given.
    void addPrefixes(OnsetMatcher& m, const std::vector<std::string>& paths) const {
        for (const auto& p : paths) {
            const zv::SdlSound::Samples* s = sound.samples(p);
            if (!s || !m.add(s->data(), s->size(), static_cast<std::size_t>(bufferBytes())))
                throw std::runtime_error("cannot recognise the sound " + p);
        }
    }

    zv::RealServices services;
    zv::SdlSound& sound = services.sound;
    zv::QtApplication& app = services.app;
    zv::QtTimer& stepTimer = services.stepTimer;
    zv::Game game;
    std::vector<std::string> sounds;  // white keys, black keys, the chime
    std::unique_ptr<zv::MainWindow> window;
};

// Message boxes that close themselves at once (the summary, the demonstration
// question answered No).
class InstantBoxes final : public zv::MessageBoxes {
public:
    void information(const std::string&, const std::string&) override { ++shown; }
    int askYesNo(const std::string&) override {
        ++shown;
        return kNo;
    }
    int shown = 0;
};

}  // namespace zvbench
