// What locking and unlocking the 24 keys costs on the real window: the sequencer
// does it on the tick that plays a question's last note, after a verdict and after
// REPLAY, so it delays the notes that follow. Prints median / p99 / max over 200
// rounds of locking every key, unlocking the range, and the repaint they cause.
//   bench_key_lock   (QT_QPA_PLATFORM=offscreen works)
#include <QApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "support/GameRig.h"
#include "view/MainWindow.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    zv::test::GameRig rig;
    zv::MainWindow window(rig.game);
    window.show();
    QApplication::processEvents();
    std::vector<double> ms;
    for (int i = 0; i < 200; ++i) {
        QElapsedTimer t;
        t.start();
        rig.game.lockKeys();
        rig.game.unlockKeyRange();
        QApplication::processEvents();
        ms.push_back(t.nsecsElapsed() / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    std::printf("key lock+unlock+repaint ms: median %.3f p99 %.3f max %.3f\n", ms[100], ms[198], ms[199]);
    return 0;
}
