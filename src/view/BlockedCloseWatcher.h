// Closing the main window from the window manager while a modal message box is open.
// Qt drops a close request for a window that a modal box blocks; the game must end
// then as well, so on X11 the request is picked up from the raw event stream.
#pragma once

#include <QAbstractNativeEventFilter>
#include <QPointer>
#include <QWidget>
#include <cstdint>
#include <functional>

namespace zv {

class BlockedCloseWatcher final : public QAbstractNativeEventFilter {
public:
    // Installs itself on X11 only (elsewhere it does nothing). onBlockedClose runs when
    // the window manager asks to close window while a modal window blocks it.
    BlockedCloseWatcher(QWidget* window, std::function<void()> onBlockedClose);
    ~BlockedCloseWatcher() override;

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    QPointer<QWidget> window_;
    std::function<void()> onBlockedClose_;
    std::uint32_t wmProtocols_ = 0;
    std::uint32_t wmDeleteWindow_ = 0;
    bool installed_ = false;
};

}  // namespace zv
