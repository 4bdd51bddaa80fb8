// The platform services in a browser page, built with Emscripten. Each one hands its
// work to the page's script (web/page/platform.js), which owns the Web Audio graph,
// the timers, the dialogs and the decoded pictures; the script calls back into the
// game only between other calls, never inside one.
#pragma once

#include <memory>
#include <string>

#include "platform/Services.h"

namespace zv {

// Plays the sounds the page decoded at load (one voice; a sound the page has not
// decoded is silent).
class WebSound final : public SoundService {
public:
    void play(int id) override;
};

// A page timer with the desktop timer's semantics; the page keeps the schedule and
// delivers each tick through the exported zv_tick(id).
class WebTimer final : public Timer {
public:
    explicit WebTimer(int id) : id_(id) {}
    // Called by the page when the timer's interval has run out.
    void deliverTick() {
        if (enabled() && interval() > 0) tick();
    }

private:
    void restartCount() override;
    int id_;
};

// Modal dialogs in the page. The game's call waits for the answer: the page suspends
// the WebAssembly stack (Asyncify) until a button is chosen.
class WebMessageBoxes final : public MessageBoxes {
public:
    void information(const std::string& caption, const std::string& text) override;
    int askYesNo(const std::string& text) override;
};

// A picture the page fetched and decoded before the game was made; the view shows it
// by its number.
struct WebPicture final : Picture {
    WebPicture(int n, int w, int h) : number(n), w_(w), h_(h) {}
    int width() const override { return w_; }
    int height() const override { return h_; }
    int number;

private:
    int w_, h_;
};

class WebPictures final : public PictureLoader {
public:
    // Null unless the page decoded the file at this path.
    std::shared_ptr<const Picture> load(const std::string& path) override;
};

// The page's own address is the application's folder and the current one; quitting
// tells the page that the game has ended.
class WebApplication final : public Application {
public:
    std::string applicationDir() const override { return "."; }
    std::string currentDir() const override { return "."; }
    void quit() override;
};

}  // namespace zv
