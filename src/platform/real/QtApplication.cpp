#include "platform/real/QtApplication.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

namespace zv {

std::string QtApplication::applicationDir() const {
    return QFile::encodeName(QCoreApplication::applicationDirPath()).toStdString();
}

std::string QtApplication::currentDir() const { return QFile::encodeName(QDir::currentPath()).toStdString(); }

void QtApplication::quit() {
    if (quitRequested_) return;
    quitRequested_ = true;
    // exit() ends every event loop of the thread, nested ones included, and any loop
    // started afterwards (a message box opened by code still running) returns at once.
    QCoreApplication::exit(0);
    if (window_) window_->close();
}

}  // namespace zv
