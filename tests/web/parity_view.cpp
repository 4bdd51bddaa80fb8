// The desktop's half of the parity test of the two views: plays each input script
// read from stdin (a line: its name, a tab, its steps) through the Qt window,
// offscreen, on a fresh game whose time stands still, and prints the core's trace:
// the sounds, whether it quit, and every control's value, caption and states.
// tests/web/e2e.mjs plays the same scripts through the page and compares.
#include <QApplication>
#include <QTest>
#include <QWheelEvent>
#include <iostream>

#include "support/GameRig.h"
#include "view/MainWindow.h"

using namespace zv;

namespace {

// A key as the page's scripts name it: "Enter", "Control+W", "Shift+Tab", "2".
std::pair<int, Qt::KeyboardModifiers> qtKey(const QString& name) {
    const QStringList parts = name.split('+');
    Qt::KeyboardModifiers mods;
    for (const QString& m : parts.mid(0, parts.size() - 1))
        mods |= m == "Control" ? Qt::ControlModifier : m == "Alt" ? Qt::AltModifier : Qt::ShiftModifier;
    static const QMap<QString, int> named{{"Enter", Qt::Key_Return}, {"Tab", Qt::Key_Tab}, {"Escape", Qt::Key_Escape},
                                          {"Space", Qt::Key_Space}, {"ArrowUp", Qt::Key_Up}, {"ArrowDown", Qt::Key_Down},
                                          {"ArrowLeft", Qt::Key_Left}, {"ArrowRight", Qt::Key_Right},
                                          {"PageUp", Qt::Key_PageUp}, {"PageDown", Qt::Key_PageDown},
                                          {"Home", Qt::Key_Home}, {"End", Qt::Key_End}};
    const QString key = parts.last();
    return {named.value(key, key.at(0).toUpper().unicode()), mods};
}

void send(QEvent::Type type, int key, Qt::KeyboardModifiers mods, bool repeat) {
    QWidget* to = QApplication::focusWidget() ? QApplication::focusWidget() : QApplication::activeWindow();
    QKeyEvent e(type, key, mods, key < 0x100 ? QString(QChar(key)) : QString(), repeat);
    QApplication::sendEvent(to, &e);
}

std::string trace(test::GameRig& rig) {
    std::string out = "sounds";
    for (const auto& s : rig.sound.names()) out += ' ' + s;
    out += " | quit " + std::to_string(rig.app.quits);
    for (const auto& c : rig.game.table().all())
        out += " | " + c->id() + ' ' + std::to_string(c->value()) + ' ' + c->caption() + ' ' +
               std::to_string(c->visible()) + std::to_string(c->enabled());
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    MainWindow::styleApplication();
    for (std::string line; std::getline(std::cin, line);) {
        const QStringList script = QString::fromStdString(line).split('\t');
        test::GameRig rig;
        MainWindow window(rig.game);
        window.show();
        window.activateWindow();
        if (!QTest::qWaitForWindowActive(&window)) return 1;
        for (const QString& step : script.value(1).split(' ', Qt::SkipEmptyParts)) {
            const QString kind = step.section(':', 0, 0), what = step.section(':', 1);
            auto* bar = window.widget(ControlRole::TimeLimitBar);
            if (kind == "key") {  // "key:Enter*17": pressed, 16 repeats, let go
                const auto [key, mods] = qtKey(what.section('*', 0, 0));
                const int presses = what.contains('*') ? what.section('*', 1).toInt() : 1;
                for (int i = 0; i < presses; ++i) send(QEvent::KeyPress, key, mods, i > 0);
                send(QEvent::KeyRelease, key, mods, false);
            } else if (kind == "click") {
                QWidget* w = window.findChild<QWidget*>(what);
                QTest::mouseClick(w, Qt::LeftButton, {}, w->rect().center());
            } else if (kind == "bar") {  // at y pixels from the bar's top (from its bottom if negative)
                const int y = what.toInt();
                QTest::mouseClick(bar, Qt::LeftButton, {}, QPoint(bar->width() / 2, y >= 0 ? y : bar->height() + y));
            } else if (kind == "wheel") {  // in 1/120 notch, positive rolled away
                const QPointF at = bar->rect().center();
                QWheelEvent e(at, bar->mapToGlobal(at), {}, {0, what.toInt()}, Qt::NoButton, {}, Qt::NoScrollPhase, false);
                QApplication::sendEvent(bar, &e);
            }
        }
        std::cout << script.value(0).toStdString() << '\t' << trace(rig) << std::endl;
    }
    return 0;
}
