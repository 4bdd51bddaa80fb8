#include "view/BlockedCloseWatcher.h"

#include <QApplication>
#include <QGuiApplication>
#include <dlfcn.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>

namespace zv {

namespace {

// libxcb is already in the process (Qt's X11 plugin uses it); look its functions up
// there rather than linking the program to it.
std::uint32_t internAtom(xcb_connection_t* connection, const char* name) {
    void* lib = dlopen("libxcb.so.1", RTLD_LAZY | RTLD_NOLOAD);
    if (!lib) return 0;
    auto intern = reinterpret_cast<decltype(&xcb_intern_atom)>(dlsym(lib, "xcb_intern_atom"));
    auto reply = reinterpret_cast<decltype(&xcb_intern_atom_reply)>(dlsym(lib, "xcb_intern_atom_reply"));
    std::uint32_t atom = 0;
    if (intern && reply) {
        const auto cookie = intern(connection, 1, static_cast<std::uint16_t>(std::strlen(name)), name);
        if (xcb_intern_atom_reply_t* r = reply(connection, cookie, nullptr)) {
            atom = r->atom;
            std::free(r);
        }
    }
    dlclose(lib);
    return atom;
}

}  // namespace

BlockedCloseWatcher::BlockedCloseWatcher(QWidget* window, std::function<void()> onBlockedClose)
    : window_(window), onBlockedClose_(std::move(onBlockedClose)) {
    if (QGuiApplication::platformName() != QLatin1String("xcb")) return;
    auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11 || !x11->connection()) return;
    wmProtocols_ = internAtom(x11->connection(), "WM_PROTOCOLS");
    wmDeleteWindow_ = internAtom(x11->connection(), "WM_DELETE_WINDOW");
    if (!wmProtocols_ || !wmDeleteWindow_) return;
    qApp->installNativeEventFilter(this);
    installed_ = true;
}

BlockedCloseWatcher::~BlockedCloseWatcher() {
    if (installed_ && qApp) qApp->removeNativeEventFilter(this);
}

bool BlockedCloseWatcher::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    if (eventType != "xcb_generic_event_t" || !window_) return false;
    const auto* ev = static_cast<const xcb_generic_event_t*>(message);
    if ((ev->response_type & 0x7f) != XCB_CLIENT_MESSAGE) return false;
    const auto* cm = static_cast<const xcb_client_message_event_t*>(message);
    if (cm->format != 32 || cm->type != wmProtocols_ || cm->data.data32[0] != wmDeleteWindow_) return false;
    if (!window_->testAttribute(Qt::WA_WState_Created) || cm->window != window_->winId()) return false;
    // Unblocked, Qt delivers the close itself (closeEvent); only the blocked case is ours.
    if (QApplication::activeModalWidget() && onBlockedClose_) onBlockedClose_();
    return false;
}

}  // namespace zv
