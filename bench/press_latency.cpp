// Press-to-sound latency of the game: a press event handed to the real window
// through Qt's event delivery (QApplication::notify, with the window's key preview
// filter), half of them mouse-downs on a key's button and half PC key presses, timed
// from just before delivery to the post-mix call of the first mixed buffer that
// starts with that key's sound (SDL's dummy driver unless SDL_AUDIODRIVER says else).
//   bench_press_latency [--presses N] [--seed S] [--out-mouse FILE] [--out-key FILE]
#include <QApplication>
#include <QTest>

#include <atomic>
#include <random>

#include "support/RealGame.h"

using namespace zvbench;

namespace {

// PC keys of the white and the black keys, lowest first (the game's key map).
constexpr char kWhiteKeys[] = "QWERTYUZXCVBNM";
constexpr char kBlackKeys[] = "23567SDGHJ";

}  // namespace

int main(int argc, char** argv) {
    defaultEnv("QT_QPA_PLATFORM", "offscreen");
    defaultEnv("SDL_AUDIODRIVER", "dummy");
    const long presses = argInt(argc, argv, "--presses", 1000);
    const auto seed = static_cast<std::uint64_t>(argInt(argc, argv, "--seed", 1));
    const std::string outMouse = arg(argc, argv, "--out-mouse", "");
    const std::string outKey = arg(argc, argv, "--out-key", "");

    QApplication qapp(argc, argv);
    styleApplication();
    zv::QtMessageBoxes boxes;
    std::unique_ptr<RealGame> game;
    try {
        game = std::make_unique<RealGame>(boxes);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "press latency: %s\n", e.what());
        return 1;
    }
    zv::MainWindow& window = *game->window;

    // Prefix i is key i: white keys 0..13, then black keys 0..9.
    OnsetMatcher matcher;
    game->addPrefixes(matcher, std::vector<std::string>(game->sounds.begin(), game->sounds.begin() + 24));

    std::atomic<int> pending{-1};
    std::atomic<std::int64_t> heardAt{0};
    game->sound.setPostMixHook([&](const std::uint8_t* data, int bytes) {
        const int want = pending.load(std::memory_order_acquire);
        if (want < 0 || !matcher.is(want, data, bytes)) return;
        heardAt.store(monoNs(), std::memory_order_relaxed);
        pending.store(-1, std::memory_order_release);
    });

    // The device opens on the first sound and stays open while sounds keep coming;
    // a sound after a long silence is bench_first_sound's business.
    game->sound.play(game->sounds.back());
    (void)game->sound.waitSettled(5000);

    std::mt19937_64 rng(seed);
    std::uniform_int_distribution<int> pick(0, 23), gapMs(10, 40), coin(0, 1);
    std::vector<double> mouse, key;
    long missed = 0;
    waitMs(300);
    for (long i = 0; i < presses; ++i) {
        const int id = pick(rng);
        const bool white = id < zv::kWhiteKeyCount;
        const int index = white ? id : id - zv::kWhiteKeyCount;
        const bool byMouse = coin(rng) == 0;
        QWidget* button = window.widget(white ? zv::ControlRole::WhiteKey : zv::ControlRole::BlackKey, index);
        // A key is pressed at its lower end, below the black keys.
        const QPoint at(button->width() / 2, button->height() * 7 / 8);
        const auto qtKey = static_cast<Qt::Key>(white ? kWhiteKeys[index] : kBlackKeys[index]);
        QWidget* target = QApplication::focusWidget();
        if (!target || target->window() != &window) target = &window;

        pending.store(id, std::memory_order_release);
        const std::int64_t t0 = monoNs();
        if (byMouse)
            QTest::mousePress(button, Qt::LeftButton, {}, at);
        else
            QTest::keyPress(target, qtKey);
        waitMs(gapMs(rng));
        for (int w = 0; w < 500 && pending.load(std::memory_order_acquire) >= 0; ++w) waitMs(1);
        const bool heard = pending.exchange(-1) < 0;
        if (byMouse)
            QTest::mouseRelease(button, Qt::LeftButton, {}, at);
        else
            QTest::keyRelease(target, qtKey);
        if (!heard) {
            ++missed;
            continue;
        }
        (byMouse ? mouse : key).push_back(static_cast<double>(heardAt.load() - t0) / 1e6);
    }
    game->sound.setPostMixHook({});

    auto report = [](const char* what, const std::vector<double>& v) {
        const Summary s = summarize(v);
        std::printf("game %s: %zu presses: median %.3f ms, p99 %.3f ms, max %.3f ms\n", what, s.n, s.median, s.p99,
                    s.max);
    };
    std::printf("game: device %d Hz, %d channels, %d frames a buffer (%.2f ms)\n", game->sound.deviceRate(),
                game->sound.deviceChannels(), game->sound.bufferFrames(),
                1000.0 * game->sound.bufferFrames() / game->sound.deviceRate());
    report("mouse", mouse);
    report("key", key);
    std::printf("RESULT game_missed %ld\n", missed);
    std::printf("RESULT buffer_frames %d\n", game->sound.bufferFrames());
    if (!writeSamples(outMouse, mouse) || !writeSamples(outKey, key)) return 1;
    return missed == 0 ? 0 : 1;
}
