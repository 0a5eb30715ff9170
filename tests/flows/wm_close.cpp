// wm-close WINDOW_ID - asks an X window to close as a window manager does when
// the user clicks its close button (ICCCM: WM_PROTOCOLS / WM_DELETE_WINDOW).
// The flows' Xvfb runs no window manager, and xdotool's windowclose destroys
// the window, which a program sees as an X error, not as a request to quit.
// Exit status 0 when the message reached the server, 1 otherwise.

#include <X11/Xlib.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char *argv[])
{
    char *end = nullptr;
    const unsigned long id = argc == 2 ? std::strtoul(argv[1], &end, 0) : 0;
    if (id == 0 || *end) {
        std::fprintf(stderr, "usage: wm-close WINDOW_ID\n");
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
