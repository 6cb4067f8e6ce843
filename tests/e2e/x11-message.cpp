// Asks for what a window manager's title bar does, as its buttons do it:
// "close" sends the window WM_DELETE_WINDOW, "maximize" asks the window
// manager for both maximised states (_NET_WM_STATE).
// Usage: x11-message WINDOW_ID close|maximize
#include <X11/Xlib.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv) {
    if (argc != 3 ||
        (std::strcmp(argv[2], "close") != 0 && std::strcmp(argv[2], "maximize") != 0)) {
        std::fprintf(stderr, "usage: x11-message WINDOW_ID close|maximize\n");
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "x11-message: cannot open the display\n");
        return 1;
    }
    const Window window = Window(std::strtoul(argv[1], nullptr, 0));
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.format = 32;
    if (std::strcmp(argv[2], "close") == 0) {
        event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
        event.xclient.data.l[0] = long(XInternAtom(display, "WM_DELETE_WINDOW", False));
        event.xclient.data.l[1] = CurrentTime;
        XSendEvent(display, window, False, NoEventMask, &event);
    } else {
        event.xclient.message_type = XInternAtom(display, "_NET_WM_STATE", False);
        event.xclient.data.l[0] = 1;  // add
        event.xclient.data.l[1] = long(XInternAtom(display, "_NET_WM_STATE_MAXIMIZED_VERT", False));
        event.xclient.data.l[2] = long(XInternAtom(display, "_NET_WM_STATE_MAXIMIZED_HORZ", False));
        event.xclient.data.l[3] = 1;  // from an application
        XSendEvent(display, DefaultRootWindow(display), False,
                   SubstructureRedirectMask | SubstructureNotifyMask, &event);
    }
    XFlush(display);
    XCloseDisplay(display);
    return 0;
}
