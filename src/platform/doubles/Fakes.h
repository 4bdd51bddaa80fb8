// Deterministic stand-ins for the other platform services: they record what the
// game asked for and answer from a script.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "platform/Services.h"

namespace zv {

class VirtualClock;

class RecordingSound : public SoundService {
public:
    struct Played {
        std::int64_t at;  // virtual ms, 0 without a clock
        std::string path;
    };
    explicit RecordingSound(const VirtualClock* clock = nullptr) : clock_(clock) {}
    void play(int id) override;
    void keepReady(bool ready) override { keptReady = ready; }
    std::vector<Played> played;
    bool keptReady = false;  // the last keepReady()
    // Sound names (the part after the last '/') in order.
    std::vector<std::string> names() const;
    void clear() { played.clear(); }

private:
    const VirtualClock* clock_;
};

class ScriptedBoxes : public MessageBoxes {
public:
    struct Shown {
        bool yesNo;
        std::string caption;
        std::string text;
        std::int64_t at;
    };
    explicit ScriptedBoxes(const VirtualClock* clock = nullptr) : clock_(clock) {}
    void information(const std::string& caption, const std::string& text) override;
    int askYesNo(const std::string& text) override;

    std::vector<Shown> shown;
    std::deque<int> answers;     // answers to Yes/No boxes, kNo when empty
    std::function<void()> whileOpen;  // runs while a box is open (ticks under a box)
    int openNow = 0;
    int maxOpenAtOnce = 0;

private:
    void open(Shown s);
    const VirtualClock* clock_;
};

// Draws from a fixed-seed generator, or from a script when one is given.
class ScriptedRandom : public RandomSource {
public:
    explicit ScriptedRandom(std::uint64_t seed = 1) : engine_(seed) {}
    void reseedFromClock() override { ++reseeds; }
    double next() override;
    std::deque<double> script;
    long reseeds = 0;
    long draws = 0;

private:
    std::mt19937_64 engine_;
};

struct FakePicture : Picture {
    FakePicture(std::string p, int w, int h) : path(std::move(p)), w_(w), h_(h) {}
    int width() const override { return w_; }
    int height() const override { return h_; }
    std::string path;

private:
    int w_, h_;
};

// Knows a set of existing picture paths; every other path fails to load.
class FakePictures : public PictureLoader {
public:
    std::shared_ptr<const Picture> load(const std::string& path) override;
    std::set<std::string> existing;
    std::vector<std::string> attempts;
};

class FakeApplication : public Application {
public:
    std::string applicationDir() const override { return appDir; }
    std::string currentDir() const override { return cwd; }
    void quit() override { ++quits; }
    std::string appDir = "/opt/zorvanta";
    std::string cwd = "/home/player";
    int quits = 0;
};

}  // namespace zv
