// Throughput of the headless game core (Game with the test doubles, virtual time):
//  1. the randomized model driver of the test suite (random player and clock events,
//     every invariant checked after each one);
//  2. a plain loop of whole games (START, the banner, each question played, answered
//     right, game over, summary), counting timer ticks and key presses as events.
//   bench_logic_throughput [--model-events N] [--games G]
#include <random>

#include "support/BenchSupport.h"
#include "support/GameRig.h"
#include "support/ModelDriver.h"

using namespace zvbench;
using namespace zv;
using namespace zv::test;

int main(int argc, char** argv) {
    const long modelTarget = argInt(argc, argv, "--model-events", 10000000);
    const long gameTarget = argInt(argc, argv, "--games", 200000);

    // 1. The model driver, as the model test runs it (runs of 5000 actions).
    std::mt19937_64 rng(20261207);
    long modelEvents = 0;
    std::int64_t t0 = monoNs();
    while (modelEvents < modelTarget) {
        ModelDriver d;
        for (int i = 0; i < 5000; ++i)
            if (auto failure = d.apply(ModelDriver::randomAction(rng))) {
                std::fprintf(stderr, "logic: invariant broken: %s\n", failure->c_str());
                return 1;
            }
        modelEvents += d.events();
    }
    const double modelS = static_cast<double>(monoNs() - t0) / 1e9;

    // 2. Whole games without checks: every tick and every press is one event.
    long events = 0, games = 0;
    t0 = monoNs();
    {
        GameRig rig;
        long ticks = 0;
        rig.stepTimer.setTickHandler([&] {
            ++ticks;
            rig.game.onStepTimer();
        });
        while (games < gameTarget) {
            rig.startGame();
            for (int q = 0; q < 5; ++q) {
                rig.playUntilSequencerStops();
                const auto melody = rig.state.melody;
                for (int i = 0; i < rig.settings.notesPerQuestion; ++i) {
                    const auto key = readToken(melody[static_cast<std::size_t>(i)]);
                    if (key->color == KeyColor::White)
                        rig.game.whiteKeyPressed(key->index);
                    else
                        rig.game.blackKeyPressed(key->index);
                    ++events;
                }
                rig.tickStep();  // the pause after the verdict
            }
            if (rig.rights() != 5) {
                std::fprintf(stderr, "logic: a right answer was not judged right\n");
                return 1;
            }
            rig.game.pcKeyPressed(27, 0);  // Esc: game over
            ++events;
            rig.playUntilSequencerStops();  // the pause, the summary, idle again
            if (rig.ui.startStop->caption() != "START" || rig.questions() != 0) {
                std::fprintf(stderr, "logic: a game did not end as expected\n");
                return 1;
            }
            rig.sound.clear();
            rig.boxes.shown.clear();
            ++games;
        }
        events += ticks;
    }
    const double gameS = static_cast<double>(monoNs() - t0) / 1e9;

    std::printf("logic: model driver: %ld events in %.2f s: %.0f events/s\n", modelEvents, modelS,
                static_cast<double>(modelEvents) / modelS);
    std::printf("logic: plain games: %ld games, %ld events in %.2f s: %.0f events/s, %.0f games/s\n", games, events,
                gameS, static_cast<double>(events) / gameS, static_cast<double>(games) / gameS);
    std::printf("RESULT logic_model_events_per_s %.0f\n", static_cast<double>(modelEvents) / modelS);
    std::printf("RESULT logic_plain_events_per_s %.0f\n", static_cast<double>(events) / gameS);
    std::printf("RESULT logic_plain_games_per_s %.0f\n", static_cast<double>(games) / gameS);
    return 0;
}
