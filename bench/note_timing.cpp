// Note timing of real games: the real window, Game, the real Qt timers and
// SDL2 sound (dummy driver unless SDL_AUDIODRIVER says else). Every mixed buffer is
// read through the post-mix hook; a buffer that starts with a sound's first samples is
// that sound's onset, stamped with the monotonic clock. Each game: START (time limit
// off), then per question: the question plays, REPLAY plays it again, the answer is
// played on the keys; after the last question Esc ends the game.
// Also measured: the CPU time of the whole process while the games run.
// Beside the onsets, the ticks that played the notes are timed too, which tells the
// timer's own jitter apart from the audio buffer's quantisation.
//   bench_note_timing [--games G] [--questions Q] [--difficulty 0|1|2]
//                     [--out-intervals FILE] [--out-first FILE]
#include <QApplication>
#include <QTest>

#include <atomic>
#include <functional>

#include "support/RealGame.h"

using namespace zvbench;

namespace {

struct Onset {
    std::int64_t at;  // ns, monotonic: when the buffer was mixed
    int sound;        // index into the game's sound list
};

enum class Start { AfterBanner, AfterAnswer, Replay };

struct Playback {
    Start kind;
    std::int64_t start = 0;  // the tick (or REPLAY click) that armed the 500 ms timer
    std::int64_t end = 0;    // the tick that played the last note
    int notes = 0;
    std::vector<std::int64_t> ticks;  // the ticks that played its notes
};

// Counts paint events of the window's widgets (repaint load while a game runs).
class PaintCounter final : public QObject {
public:
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint) ++paints;
        return false;
    }
    long paints = 0;
};

}  // namespace

int main(int argc, char** argv) {
    defaultEnv("QT_QPA_PLATFORM", "offscreen");
    defaultEnv("SDL_AUDIODRIVER", "dummy");
    const int games = static_cast<int>(argInt(argc, argv, "--games", 3));
    const int questions = static_cast<int>(argInt(argc, argv, "--questions", 4));
    const int difficulty = static_cast<int>(argInt(argc, argv, "--difficulty", 2));  // Difficult: 8 notes
    const std::string outIntervals = arg(argc, argv, "--out-intervals", "");
    const std::string outFirst = arg(argc, argv, "--out-first", "");

    QApplication qapp(argc, argv);
    zv::MainWindow::styleApplication();
    InstantBoxes boxes;
    std::unique_ptr<RealGame> real;
    try {
        real = std::make_unique<RealGame>(boxes);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "note timing: %s\n", e.what());
        return 1;
    }
    zv::Game& game = real->game;
    zv::GameState& state = game.state();
    zv::Settings& settings = game.settings();
    zv::MainWindow& window = *real->window;

    OnsetMatcher matcher;
    real->addPrefixes(matcher, real->sounds);
    std::vector<Onset> onsets(100000);
    std::atomic<std::size_t> onsetCount{0};
    real->sound.setPostMixHook([&](const std::uint8_t* data, int bytes) {
        const int id = matcher.which(data, bytes);
        if (id < 0) return;
        const std::size_t n = onsetCount.load(std::memory_order_relaxed);
        if (n >= onsets.size()) return;
        onsets[n] = Onset{monoNs(), id};
        onsetCount.store(n + 1, std::memory_order_release);
    });

    // The step timer's tick, watched: which tick armed a playback, which ended it, how long
    // each step took. Everything else waits on these ticks (no polling).
    std::vector<Playback> playbacks;
    std::vector<double> stepMs;
    std::function<bool()> until;
    QEventLoop* waiting = nullptr;
    real->stepTimer.setTickHandler([&] {
        const zv::Phase before = state.phase;
        const std::int64_t t0 = monoNs();
        game.onStepTimer();
        stepMs.push_back(static_cast<double>(monoNs() - t0) / 1e6);
        if ((before == zv::Phase::Question || before == zv::Phase::Replay) && !playbacks.empty())
            playbacks.back().ticks.push_back(t0);
        if (before == zv::Phase::Banner && state.phase == zv::Phase::Question)
            playbacks.push_back({Start::AfterBanner, t0, 0, 0, {}});
        else if (before == zv::Phase::VerdictPause && state.phase == zv::Phase::Question)
            playbacks.push_back({Start::AfterAnswer, t0, 0, 0, {}});
        if ((before == zv::Phase::Question || before == zv::Phase::Replay) && !real->stepTimer.enabled() &&
            !playbacks.empty())
            playbacks.back().end = t0;
        if (waiting && until && until()) waiting->quit();
    });
    auto waitUntil = [&](std::function<bool()> pred, int timeoutMs) {
        if (pred()) return true;
        QEventLoop loop;
        until = pred;
        waiting = &loop;
        QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
        loop.exec();
        waiting = nullptr;
        until = nullptr;
        return pred();
    };
    auto sequencerStopped = [&] { return !real->stepTimer.enabled(); };
    auto idle = [&] { return game.ui().startStop->caption() == "START" && !real->stepTimer.enabled(); };
    auto click = [&](zv::ControlRole role) { QTest::mouseClick(window.widget(role), Qt::LeftButton); };

    // No time limit: the countdown must not end a game part-way.
    click(zv::ControlRole::NoLimitCheck);
    if (game.ui().noLimitCheck->value() != 1) {
        std::fprintf(stderr, "note timing: could not switch the time limit off\n");
        return 1;
    }
    QTest::mouseClick(window.widget(zv::ControlRole::DifficultyOption, difficulty), Qt::LeftButton);
    waitMs(300);  // the difficulty's feedback note
    if (settings.notesPerQuestion != (difficulty == 0 ? 3 : difficulty == 1 ? 5 : 8)) {
        std::fprintf(stderr, "note timing: could not choose the difficulty\n");
        return 1;
    }


    PaintCounter paintCounter;
    qapp.installEventFilter(&paintCounter);
    const std::int64_t cpu0 = processCpuNs(), wall0 = monoNs();
    std::int64_t cpu10 = -1;
    long paints10 = 0;
    QTimer::singleShot(10000, Qt::PreciseTimer, [&] {
        cpu10 = processCpuNs();
        paints10 = paintCounter.paints;
    });

    bool ok = true;
    for (int g = 0; g < games && ok; ++g) {
        click(zv::ControlRole::StartStopButton);  // START
        for (int q = 0; q < questions && ok; ++q) {
            ok = waitUntil([&] { return state.phase == zv::Phase::Question && sequencerStopped(); }, 20000);
            if (!ok) break;
            const std::vector<std::string> melody(state.melody.begin(), state.melody.begin() + settings.notesPerQuestion);
            waitMs(300);
            const std::int64_t t = monoNs();
            click(zv::ControlRole::ReplayButton);  // REPLAY
            playbacks.push_back({Start::Replay, t, 0, 0, {}});
            ok = waitUntil(sequencerStopped, 20000);
            if (!ok) break;
            waitMs(300);
            if (q + 1 == questions) break;
            for (const auto& token : melody) {
                const auto key = zv::readToken(token);
                QWidget* button =
                    window.widget(key->color == zv::KeyColor::White ? zv::ControlRole::WhiteKey : zv::ControlRole::BlackKey, key->index);
                QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(button->width() / 2, button->height() * 7 / 8));
                waitMs(150);
            }
        }
        QTest::keyClick(&window, Qt::Key_Escape);  // ends the game: summary, then idle
        ok = ok && waitUntil(idle, 5000);
        if (ok) waitMs(500);
    }
    const std::int64_t cpuEnd = processCpuNs(), wallEnd = monoNs();
    const long paintsEnd = paintCounter.paints;
    if (cpu10 < 0) {
        std::fprintf(stderr, "note timing: the games took less than 10 s; play more of them\n");
        return 1;
    }
    qapp.removeEventFilter(&paintCounter);
    real->sound.setPostMixHook({});
    if (!ok) {
        std::fprintf(stderr, "note timing: the game did not go on as expected\n");
        return 1;
    }

    // Onsets to playbacks: a playback's notes sound between its start and 100 ms
    // after its last tick; the answers and the chime fall outside every playback.
    const std::size_t nOnsets = onsetCount.load(std::memory_order_acquire);
    const double bufferMs = 1000.0 * real->sound.bufferFrames() / real->sound.deviceRate();
    std::vector<double> intervals, deviations, tickDeviations, tickToOnset, firstAfterBanner, firstAfterAnswer, firstReplay;
    long wrongCounts = 0;
    for (auto& p : playbacks) {
        std::vector<std::int64_t> at;
        for (std::size_t i = 0; i < nOnsets; ++i)
            if (onsets[i].at > p.start && onsets[i].at <= p.end + 100'000'000 && onsets[i].sound < 24)
                at.push_back(onsets[i].at);
        p.notes = static_cast<int>(at.size());
        if (p.ticks.size() == at.size())
            for (std::size_t i = 0; i < at.size(); ++i)
                tickToOnset.push_back(static_cast<double>(at[i] - p.ticks[i]) / 1e6);
        for (std::size_t i = 1; i < p.ticks.size(); ++i)
            tickDeviations.push_back(std::fabs(static_cast<double>(p.ticks[i] - p.ticks[i - 1]) / 1e6 - 500.0));
        if (p.notes != settings.notesPerQuestion) ++wrongCounts;
        if (at.empty()) continue;
        const double first = static_cast<double>(at.front() - p.start) / 1e6;
        (p.kind == Start::AfterBanner ? firstAfterBanner
         : p.kind == Start::AfterAnswer ? firstAfterAnswer
                                        : firstReplay)
            .push_back(first);
        for (std::size_t i = 1; i < at.size(); ++i) {
            const double ms = static_cast<double>(at[i] - at[i - 1]) / 1e6;
            intervals.push_back(ms);
            deviations.push_back(std::fabs(ms - 500.0));
        }
    }
    std::vector<double> allFirst = firstAfterBanner;
    allFirst.insert(allFirst.end(), firstAfterAnswer.begin(), firstAfterAnswer.end());
    allFirst.insert(allFirst.end(), firstReplay.begin(), firstReplay.end());

    const Summary iv = summarize(intervals), dev = summarize(deviations), st = summarize(stepMs),
                  tick = summarize(tickDeviations), toOnset = summarize(tickToOnset);
    const double wallS = static_cast<double>(wallEnd - wall0) / 1e9;
    std::printf("timing: %zu playbacks (%d notes each), %ld with another note count; buffer %.3f ms\n",
                playbacks.size(), settings.notesPerQuestion, wrongCounts, bufferMs);
    std::printf("timing: %zu intervals: min %.3f median %.3f max %.3f ms; |dev from 500| median %.3f p99 %.3f max %.3f ms\n",
                iv.n, iv.min, iv.median, iv.max, dev.median, dev.p99, dev.max);
    auto firsts = [](const char* what, const std::vector<double>& x) {
        const Summary s = summarize(x);
        std::printf("timing: first note after %s: n %zu, min %.3f median %.3f max %.3f ms\n", what, s.n, s.min,
                    s.median, s.max);
    };
    firsts("the banner", firstAfterBanner);
    firsts("an answer", firstAfterAnswer);
    firsts("REPLAY", firstReplay);
    std::printf("timing: note ticks, |interval - 500| median %.3f p99 %.3f max %.3f ms\n", tick.median, tick.p99,
                tick.max);
    std::printf("timing: tick to onset (the note's own latency): median %.3f p99 %.3f max %.3f ms\n", toOnset.median,
                toOnset.p99, toOnset.max);
    std::printf("timing: sequencer steps: n %zu, median %.3f p99 %.3f max %.3f ms\n", st.n, st.median, st.p99, st.max);
    std::printf("timing: CPU %.1f ms over the first 10 s of play (%.2f %% of a core), %.1f ms over all %.1f s (%.2f %%)\n",
                static_cast<double>(cpu10 - cpu0) / 1e6, static_cast<double>(cpu10 - cpu0) / 1e8,
                static_cast<double>(cpuEnd - cpu0) / 1e6, wallS,
                100.0 * static_cast<double>(cpuEnd - cpu0) / static_cast<double>(wallEnd - wall0));
    std::printf("timing: %ld paint events over the first 10 s, %.1f a second over the whole run\n", paints10,
                static_cast<double>(paintsEnd) / wallS);
    std::printf("RESULT timing_playbacks %zu\n", playbacks.size());
    std::printf("RESULT timing_wrong_counts %ld\n", wrongCounts);
    std::printf("RESULT timing_buffer_ms %.3f\n", bufferMs);
    std::printf("RESULT timing_intervals %zu\n", iv.n);
    std::printf("RESULT timing_interval_min %.3f\nRESULT timing_interval_median %.3f\nRESULT timing_interval_max %.3f\n",
                iv.min, iv.median, iv.max);
    std::printf("RESULT timing_dev_median %.3f\nRESULT timing_dev_p99 %.3f\nRESULT timing_dev_max %.3f\n", dev.median,
                dev.p99, dev.max);
    const Summary fb = summarize(firstAfterBanner), fa = summarize(allFirst);
    std::printf("RESULT timing_banner_n %zu\nRESULT timing_banner_min %.3f\nRESULT timing_banner_median %.3f\n"
                "RESULT timing_banner_max %.3f\n",
                fb.n, fb.min, fb.median, fb.max);
    std::printf("RESULT timing_first_n %zu\nRESULT timing_first_min %.3f\nRESULT timing_first_median %.3f\n"
                "RESULT timing_first_max %.3f\n",
                fa.n, fa.min, fa.median, fa.max);
    std::printf("RESULT timing_tick_dev_median %.3f\nRESULT timing_tick_dev_p99 %.3f\nRESULT timing_tick_dev_max %.3f\n",
                tick.median, tick.p99, tick.max);
    std::printf("RESULT timing_notes %d\n", settings.notesPerQuestion);
    std::printf("RESULT timing_onset_median %.3f\nRESULT timing_onset_p99 %.3f\nRESULT timing_onset_max %.3f\n",
                toOnset.median, toOnset.p99, toOnset.max);
    std::printf("RESULT timing_step_median %.3f\nRESULT timing_step_p99 %.3f\nRESULT timing_step_max %.3f\n", st.median,
                st.p99, st.max);
    std::printf("RESULT run_cpu10_ms %.3f\nRESULT run_cpu_all_pct %.3f\nRESULT run_wall_s %.3f\n",
                static_cast<double>(cpu10 - cpu0) / 1e6,
                100.0 * static_cast<double>(cpuEnd - cpu0) / static_cast<double>(wallEnd - wall0), wallS);
    std::printf("RESULT run_paints10 %ld\n", paints10);
    if (!writeSamples(outIntervals, intervals) || !writeSamples(outFirst, allFirst)) return 1;
    return wrongCounts == 0 ? 0 : 1;
}
