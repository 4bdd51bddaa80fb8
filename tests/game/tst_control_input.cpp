// What a view reports of the player's actions, through the game's one entry: a game
// button pressed once per press, the scroll bar's steps and wheel, Esc in the banner.
#include <QTest>

#include "game/ControlInput.h"
#include "keys/PcKeyMap.h"
#include "support/GameRig.h"

using namespace zv;
using namespace zv::test;
using K = ControlAction::Kind;

class ControlInputTest : public QObject {
    Q_OBJECT

private slots:
    void heldEnterPressesAGameButtonOnce() {
        GameRig rig;
        ControlInput input(rig.game);
        input.act(*rig.ui.startStop, {});
        for (int i = 0; i < 16; ++i) input.act(*rig.ui.startStop, {.repeat = true});
        QCOMPARE(rig.sound.names(), std::vector<std::string>{KeySounds::kStartChime});
        rig.startGame();
        QVERIFY(rig.state.inProgress);
    }

    // The bar starts at 70 (30 s); its top end is the longest limit.
    void theTimeLimitBarStepsAsTheDesktopBar() {
        const struct {
            const char* name;
            std::vector<ControlAction> script;
            int value;
        } rows[] = {
            {"arrow up, ArrowUp", {{K::StepSmall, -1}}, 69},
            {"arrow down twice", {{K::StepSmall, 1}, {K::StepSmall, 1}}, 72},
            {"trough above, PageUp", {{K::StepLarge, -1}}, 60},
            {"PageDown past the end", {{K::StepLarge, 1}, {K::StepLarge, 1}, {K::StepLarge, 1}}, 90},
            {"wheel a notch away, back", {{K::Wheel, 120}, {K::Wheel, -120}, {K::Wheel, -120}}, 73},
            {"wheel in parts of a line; turned back", {{K::Wheel, 20}, {K::Wheel, 20}, {K::Wheel, 20}, {K::Wheel, -20}}, 69},
            {"wheel with Ctrl; fast", {{K::Wheel, 120, false, {1, 2}}, {K::Wheel, 1200}}, 50},
            {"Home", {{K::SetTo, 10}}, 10},
            {"dragged and let go", {{K::DraggedTo, 40}, {K::DraggedTo, 35}, {K::SetTo, 35}}, 35},
        };
        for (const auto& row : rows) {
            GameRig rig;
            ControlInput input(rig.game);
            for (const auto& a : row.script) input.act(*rig.ui.timeLimitBar, a);
            QVERIFY2(rig.ui.limitLabel->caption() == std::to_string(100 - row.value), row.name);
        }
        // A drag that ends where it began changes nothing: the no-limit choice stays.
        GameRig rig;
        ControlInput input(rig.game);
        input.act(*rig.ui.noLimitCheck, {});
        input.act(*rig.ui.timeLimitBar, {K::SetTo, 70});
        QVERIFY(rig.settings.noTimeLimit);
        // A game locks the settings: the bar does not move.
        rig.startGame();
        input.act(*rig.ui.timeLimitBar, {K::StepLarge, 1});
        QCOMPARE(rig.ui.timeLimitBar->value(), 70);
    }

    void escDuringTheBannerQuitsWithTheTimersStopped() {
        GameRig rig;
        ControlInput input(rig.game);
        input.act(*rig.ui.startStop, {});
        rig.tickStep();
        input.keyPressed(keycode::Escape, 0, false);
        QCOMPARE(rig.app.quits, 1);
        QVERIFY(!rig.stepTimer.enabled() && !rig.countdownTimer.enabled());
    }
};

QTEST_APPLESS_MAIN(ControlInputTest)
#include "tst_control_input.moc"
