// wm-close WINDOW_ID - asks an X window to close as a window manager does (WM_DELETE_WINDOW):
// the flows' Xvfb has none, and xdotool's windowclose destroys the window, an X error.

#include <X11/Xlib.h>

#include <cstdlib>

int main(int argc, char *argv[])
{
    const unsigned long id = argc == 2 ? std::strtoul(argv[1], nullptr, 0) : 0;
    Display *display = id ? XOpenDisplay(nullptr) : nullptr;
    if (!display) return 2;
    XEvent ev{};
    ev.xclient.type = ClientMessage;
    ev.xclient.window = id;
    ev.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    ev.xclient.format = 32;
    ev.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    const Status sent = XSendEvent(display, id, False, NoEventMask, &ev);
    XCloseDisplay(display); // sends what was queued
    return sent ? 0 : 1;
}
