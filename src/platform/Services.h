// The thin layer between the game and the machine. Each service is a small
// interface with a real implementation (platform/real) and a deterministic test
// double (platform/doubles), so the game logic runs headless in virtual time.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace zv {

// The one way the program makes sound. play() starts a sound at once on the single
// voice, cutting whatever was sounding, and never waits. Sounds are numbered: sound i
// is files()[i], given once by the game before its first sound. An id without a
// file, or a file that is missing or cannot be decoded, plays nothing; no failure
// ever reaches the caller.
class SoundService {
public:
    virtual ~SoundService() = default;
    // A service that wraps another passes the list on.
    virtual void setFiles(std::vector<std::string> files) { files_ = std::move(files); }
    const std::vector<std::string>& files() const { return files_; }
    virtual void play(int id) = 0;
    // While kept ready (a game in progress), the output stays open between sounds, so
    // that a sound after a long pause starts as fast as one right after another;
    // otherwise it may close once idle. A service without such an output ignores it.
    virtual void keepReady(bool) {}

protected:
    // The file of sound id; empty for an id that has none.
    const std::string& file(int id) const {
        static const std::string none;
        return id >= 0 && static_cast<std::size_t>(id) < files_.size() ? files_[static_cast<std::size_t>(id)] : none;
    }

private:
    std::vector<std::string> files_;
};

// A repeating timer with the toolkit semantics the game relies on:
//  - setEnabled(true) on a stopped timer starts a fresh interval; on a running one it
//    changes nothing;
//  - setInterval() on a running timer restarts its count with the new interval;
//  - setEnabled(false) stops it; no tick arrives after that until it is enabled again.
// The rules live here once; each platform only starts a fresh count (restartCount).
class Timer {
public:
    virtual ~Timer() = default;
    void setInterval(int ms) {
        interval_ = ms;
        restartCount();
    }
    int interval() const { return interval_; }
    void setEnabled(bool on) {
        if (on == enabled_) return;  // enabling a running timer changes nothing
        enabled_ = on;
        restartCount();
    }
    bool enabled() const { return enabled_; }
    void setTickHandler(std::function<void()> handler) { tick_ = std::move(handler); }

protected:
    // The interval or the enabled state has changed: count a fresh interval from now
    // while enabled (an interval of 0 or less never ticks), else stop.
    virtual void restartCount() = 0;

    void tick() {
        if (tick_) tick_();
    }

private:
    int interval_ = 0;
    bool enabled_ = false;
    std::function<void()> tick_;
};

// Modal message boxes. Both block until closed (a nested event loop in the real one:
// timers keep ticking meanwhile).
class MessageBoxes {
public:
    static constexpr int kYes = 6;
    static constexpr int kNo = 7;
    static constexpr const char* kAppTitle = "Zorvanta";

    virtual ~MessageBoxes() = default;
    // OK only, with a caption of its own, no icon.
    virtual void information(const std::string& caption, const std::string& text) = 0;
    // Yes/No, captioned with the application's title, Yes the default, no icon.
    // Returns kYes or kNo (closing the box counts as No).
    virtual int askYesNo(const std::string& text) = 0;
};

// Uniform random numbers on [0, 1).
class RandomSource {
public:
    virtual ~RandomSource() = default;
    // Mixes the clock's reading into the current state (never restarts the sequence),
    // so two draws within one clock reading still differ.
    virtual void reseedFromClock() = 0;
    virtual double next() = 0;
};

// A decoded picture; only the view looks inside (see platform/real/QtPictures.h).
struct Picture {
    virtual ~Picture() = default;
    virtual int width() const = 0;
    virtual int height() const = 0;
};

class PictureLoader {
public:
    virtual ~PictureLoader() = default;
    // Null when the file is missing, unreadable, not a picture or too large to decode.
    virtual std::shared_ptr<const Picture> load(const std::string& path) = 0;
};

// The application's folders and its end.
class Application {
public:
    virtual ~Application() = default;
    virtual std::string applicationDir() const = 0;  // the executable's folder, no trailing '/'
    virtual std::string currentDir() const = 0;      // the process's current folder
    virtual void quit() = 0;                         // ends the program at once, exit status 0
};

// Everything the game reaches outside itself, handed over as one bundle.
struct Services {
    SoundService& sound;
    MessageBoxes& boxes;
    RandomSource& random;
    PictureLoader& pictures;
    Application& app;
    Timer& stepTimer;       // drives the banner, the notes and the pauses
    Timer& countdownTimer;  // the one-second countdown of the time limit
};

}  // namespace zv
