// Long random sequences of player actions and clock ticks against the game's
// invariants. ZORVANTA_MODEL_EVENTS sets how many events to run (default 1,000,000),
// ZORVANTA_MODEL_SEED the seed (printed on failure together with a shrunk reproducer).
#include <QElapsedTimer>
#include <QTest>
#include <cstdio>

#include "support/GameRig.h"
#include "support/ModelDriver.h"

using namespace zv::test;

namespace {

// Shrunk reproducers that the random runs found, each against a build of the game
// without one of its guards; every one broke an invariant there and must stay green.
const char* const kReproducers[] = {
    // Ticks under the demonstration question opened a second box (no guard against ticks while a box is open).
    "start 0 0\n"
    "wait 1782 0\n"
    "toggle-ask 0 0\n"
    "start 0 0\n"
    "wait 499 0\n"
    "wait 500 0\n"
    "wait 199 0\n"
    "start 0 0\n"
    "wait 1554 0\n"
    "wait 2225 0\n"
    "next-box-hold 1172 0\n"
    "wait 1000 0\n"
    "mouse-white 12 4\n"
    "wait 201 0\n",
    // The countdown ended the game while the demonstration question was open, and the rest of the pause step resumed the game.
    "start 0 0\n"
    "toggle-ask 0 0\n"
    "wait 1571 0\n"
    "toggle-ask 0 0\n"
    "toggle-ask 0 0\n"
    "start 0 0\n"
    "wait 125 0\n"
    "wait 999 0\n"
    "start 0 0\n"
    "toggle-ask 0 0\n"
    "toggle-ask 0 0\n"
    "wait 2145 0\n"
    "start 0 0\n"
    "wait 2562 0\n"
    "scroll 88 1\n"
    "start 0 0\n"
    "next-box-hold 9581 0\n"
    "wait 2728 0\n"
    "wait 1646 0\n"
    "pc-key 84 0\n"
    "wait 250 0\n"
    "wait 501 0\n",
    // A press while a question started by the next-question button played was judged against the previous question.
    "next-box-yes 1 0\n"
    "start 0 0\n"
    "toggle-ask 0 0\n"
    "wait 501 0\n"
    "toggle-ask 0 0\n"
    "wait 10 0\n"
    "start 0 0\n"
    "wait 884 0\n"
    "wait 200 0\n"
    "start 0 0\n"
    "wait 1001 0\n"
    "start 0 0\n"
    "wait 1000 0\n"
    "difficulty 0 0\n"
    "start 0 0\n"
    "toggle-ask 0 0\n"
    "toggle-ask 0 0\n"
    "wait 201 0\n"
    "wait 2463 0\n"
    "wait 499 0\n"
    "pc-key 69 0\n"
    "toggle-ask 0 0\n"
    "wait 999 0\n"
    "wait 1001 0\n"
    "answer 1 0\n"
    "right-note 0 0\n"
    "wait 2591 0\n"
    "start 0 0\n"
    "wait 199 0\n"
    "wait 999 0\n",
    // The next-question button, still shown during the pause after game over, resumed the ended game.
    "toggle-ask 0 0\n"
    "start 0 0\n"
    "wait 957 0\n"
    "start 0 0\n"
    "wait 500 0\n"
    "wait 499 0\n"
    "wait 29 0\n"
    "start 0 0\n"
    "wait 1001 0\n"
    "toggle-ask 0 0\n"
    "start 0 0\n"
    "wait 1753 0\n"
    "toggle-ask 0 0\n"
    "next-box-yes 1 0\n"
    "mode 1 0\n"
    "start 0 0\n"
    "wait 2923 0\n"
    "right-note 1 0\n"
    "wait 501 0\n"
    "wait 200 0\n"
    "start 0 0\n"
    "answer 1 0\n"
    "wait 999 0\n",
    // REPLAY during the START! banner replayed the empty melody and counted it as a question.
    "start 0 0\n"
    "wait 500 0\n"
    "wait 200 0\n"
    "replay 0 0\n"
    "wait 199 0\n"
    "wait 871 0\n"
    "wait 1001 0\n"
    "wait 436 0\n"
    "start 0 0\n"
    "wait 1815 0\n",
    // A plate of a locked key was judged during the pause after game over and resumed the game.
    "toggle-names 0 0\n"
    "toggle-ask 0 0\n"
    "start 0 0\n"
    "wait 1001 0\n"
    "toggle-ask 0 0\n"
    "toggle-names 0 0\n"
    "toggle-ask 0 0\n"
    "start 0 0\n"
    "wait 501 0\n"
    "wait 200 0\n"
    "wait 200 0\n"
    "toggle-ask 0 0\n"
    "wait 201 0\n"
    "start 0 0\n"
    "wait 499 0\n"
    "toggle-names 0 0\n"
    "wait 199 0\n"
    "wait 499 0\n"
    "toggle-ask 0 0\n"
    "wait 501 0\n"
    "start 0 0\n"
    "plate 10 0\n"
    "wait 999 0\n",
};

long envLong(const char* name, long fallback) {
    const QByteArray v = qgetenv(name);
    bool ok = false;
    const long n = v.toLong(&ok);
    return ok ? n : fallback;
}

}  // namespace

class ModelTest : public QObject {
    Q_OBJECT

private slots:
    void actionsRoundTripAsText() {
        std::mt19937_64 rng(3);
        std::vector<Action> actions;
        for (int i = 0; i < 200; ++i) actions.push_back(ModelDriver::randomAction(rng));
        const auto parsed = parseActions(toString(actions));
        QCOMPARE(parsed.size(), actions.size());
        QCOMPARE(toString(parsed), toString(actions));
    }

    void reproducers() {
        for (const char* text : kReproducers) {
            const auto actions = parseActions(text);
            QVERIFY(!actions.empty());
            const auto f = ModelDriver::run(actions);
            QVERIFY2(!f, f ? (f->second + "\n" + text).c_str() : "");
        }
    }

    // The checks have teeth: a game whose score disagrees with what was played or with
    // its labels, or whose keys are left in a wrong state, fails the run.
    void driverDetectsBrokenGames() {
        {
            ModelDriver d;
            QVERIFY(!d.apply({Action::Start}));
            QVERIFY(!d.apply({Action::Wait, 5000}));  // banner and one question
            ++d.rig().state.score.questions;            // a question counted twice
            d.rig().ui.questions->setCaption("2");
            QVERIFY(!d.apply({Action::Start}));       // STOP
            const auto f = d.apply({Action::Wait, 1000});
            QVERIFY(f && f->find("summary says 2/0") != std::string::npos);
        }
        {
            ModelDriver d;
            d.rig().ui.rights->setCaption("1");  // a label that does not show the score
            QVERIFY(d.apply({Action::Wait, 10}).has_value());
        }
        {
            ModelDriver d;
            d.rig().ui.blackKeys[4]->setEnabled(false);  // one key locked in the idle window
            QVERIFY(d.apply({Action::Wait, 10}).has_value());
        }
        {
            ModelDriver d;
            d.rig().countdownTimer.setEnabled(true);  // the countdown running while idle
            QVERIFY(d.apply({Action::Wait, 10}).has_value());
        }
    }

    void randomEventOrders() {
        const long target = envLong("ZORVANTA_MODEL_EVENTS", 1000000);
        const auto seed = static_cast<std::uint64_t>(envLong("ZORVANTA_MODEL_SEED", 20261207));
        std::mt19937_64 rng(seed);
        QElapsedTimer clock;
        clock.start();
        long events = 0, games = 0, summaries = 0, judged = 0;
        // Runs of bounded length, each from a fresh program, so a failure shrinks fast.
        while (events < target) {
            std::vector<Action> actions;
            ModelDriver d;
            for (int i = 0; i < 5000; ++i) {
                actions.push_back(ModelDriver::randomAction(rng));
                if (auto f = d.apply(actions.back())) {
                    const auto small = ModelDriver::shrink(actions);
                    std::fprintf(stderr, "seed %llu: %s\nreproducer (%zu actions):\n%s", (unsigned long long)seed,
                                 f->c_str(), small.size(), toString(small).c_str());
                    QFAIL(f->c_str());
                }
            }
            events += d.events();
            games += d.games();
            summaries += d.summaries();
            judged += d.judged();
        }
        const double seconds = clock.elapsed() / 1000.0;
        std::printf("model: %ld events, %ld games, %ld summaries, %ld judged answers in %.2f s: %.0f events/s\n",
                    events, games, summaries, judged, seconds, events / seconds);
        // The runs must reach the interesting states, or the invariants prove little.
        QVERIFY(games > 0 && summaries > 0 && judged > 0);
    }
};

QTEST_APPLESS_MAIN(ModelTest)
#include "tst_model.moc"
