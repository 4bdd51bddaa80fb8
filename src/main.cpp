// Zorvanta: start-up. Builds the platform services and the game, loads the game's
// pictures before the window is shown, decodes the sounds, then runs the window.
#include <QApplication>
#include <QStyleFactory>
#include <cstdio>
#include <string>
#include <vector>

#include "keyboard/KeyModel.h"
#include "platform/real/ClockRandom.h"
#include "platform/real/QtApplication.h"
#include "platform/real/QtMessageBoxes.h"
#include "platform/real/QtPictures.h"
#include "platform/real/QtTimer.h"
#include "platform/real/SdlSound.h"
#include "window/Form1.h"
#include "window/QtMainWindow.h"

int main(int argc, char* argv[]) {
    QApplication qapp(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Zorvanta"));
    // Fusion draws the same on every desktop and honours the keys' colours.
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication::setFont(zv::QtMainWindow::designFont({}));

    zv::SdlSound sound;
    zv::QtMessageBoxes boxes;
    zv::ClockRandom random;
    zv::QtPictures pictures;
    zv::QtApplication app;
    zv::QtTimer timer1, timer2;
    zv::Form1 form(zv::Services{sound, boxes, random, pictures, app, timer1, timer2});

    if (const auto missing = form.Form_Load()) {
        std::fprintf(stderr, "zorvanta: cannot load picture %s\n", missing->c_str());
        boxes.information(zv::MessageBoxes::kAppTitle,
                          *missing + " が見つかりません。\r\nCannot find the picture " + *missing + ".");
        return 1;
    }

    // Every sound decoded before the window opens (about 10 ms for the 25 files), so
    // the first press of a key needs no disk access.
    std::vector<std::string> sounds;
    const auto& v = form.vars();
    for (const auto& name : v.WhiteSound) sounds.push_back(zv::soundPath(v, name));
    for (const auto& name : v.BlackSound) sounds.push_back(zv::soundPath(v, name));
    sounds.push_back(zv::soundPath(v, zv::kStartChime));
    sound.preload(sounds);

    zv::QtMainWindow window(form);
    boxes.setParent(&window);
    app.setMainWindow(&window);
    window.setCloseHandler([&app] { app.quit(); });
    window.show();

    if (app.quitRequested()) return 0;
    return QApplication::exec();
}
