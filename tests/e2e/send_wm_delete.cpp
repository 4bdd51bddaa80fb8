// Asks an X11 window to close the way a window manager's close button does: a
// WM_PROTOCOLS client message carrying WM_DELETE_WINDOW.
//   send_wm_delete <window id, decimal or 0x hex>
#include <xcb/xcb.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

static xcb_atom_t atom(xcb_connection_t* c, const char* name) {
    xcb_intern_atom_reply_t* r =
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr);
    const xcb_atom_t a = r ? r->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
    std::free(r);
    return a;
}

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: send_wm_delete <window>\n");
        return 2;
    }
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c)) {
        std::fprintf(stderr, "send_wm_delete: no X display\n");
        return 1;
    }
    const auto window = static_cast<xcb_window_t>(std::strtoul(argv[1], nullptr, 0));
    xcb_client_message_event_t ev{};
    ev.response_type = XCB_CLIENT_MESSAGE;
    ev.format = 32;
    ev.window = window;
    ev.type = atom(c, "WM_PROTOCOLS");
    ev.data.data32[0] = atom(c, "WM_DELETE_WINDOW");
    ev.data.data32[1] = XCB_CURRENT_TIME;
    xcb_generic_error_t* error = xcb_request_check(
        c, xcb_send_event_checked(c, 0, window, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&ev)));
    const int status = error ? 1 : 0;
    if (error) std::fprintf(stderr, "send_wm_delete: X error %d for window 0x%x\n", error->error_code, window);
    std::free(error);
    xcb_disconnect(c);
    return status;
}
