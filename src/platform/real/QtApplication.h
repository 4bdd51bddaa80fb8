// The application's folders and its end, on QCoreApplication.
#pragma once

#include <QPointer>
#include <QWidget>

#include "platform/Services.h"

namespace zv {

class QtApplication final : public Application {
public:
    std::string applicationDir() const override;
    std::string currentDir() const override;
    // Closes the main window and leaves every running event loop (a message box's
    // too) with status 0. Asked before the main loop runs, it is remembered:
    // main checks quitRequested() instead of entering the loop.
    void quit() override;

    void setMainWindow(QWidget* window) { window_ = window; }
    bool quitRequested() const { return quitRequested_; }

private:
    QPointer<QWidget> window_;
    bool quitRequested_ = false;
};

}  // namespace zv
