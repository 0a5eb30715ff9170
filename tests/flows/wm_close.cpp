// wm_close.cpp - asks an X window to close, as a window manager does when the
// user clicks the window's close button.
//
//   wm-close WINDOW_ID
//
// Sends the window the ICCCM client message WM_PROTOCOLS / WM_DELETE_WINDOW.
// The flows need it because their Xvfb runs no window manager, and xdotool's
// windowclose and windowkill destroy the window or its connection instead,
// which a program sees as an X error, not as the user's request to quit.
// Exit status 0 when the message was delivered to the server, 1 otherwise.

#include <X11/Xlib.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char *argv[])
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: wm-close WINDOW_ID\n");
        return 2;
    }
    char *end = nullptr;
    const unsigned long id = std::strtoul(argv[1], &end, 0);
    if (!*argv[1] || *end || id == 0) {
        std::fprintf(stderr, "wm-close: not a window id: %s\n", argv[1]);
        return 2;
    }
    Display *display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "wm-close: cannot open display\n");
        return 1;
    }
    XEvent ev{};
    ev.xclient.type = ClientMessage;
    ev.xclient.window = id;
    ev.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    ev.xclient.format = 32;
    ev.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    ev.xclient.data.l[1] = CurrentTime;
    const Status sent = XSendEvent(display, id, False, NoEventMask, &ev);
    XSync(display, False);
    XCloseDisplay(display);
    return sent ? 0 : 1;
}
