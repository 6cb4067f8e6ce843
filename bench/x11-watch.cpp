// Times what a user sees: waits until a rectangle of a window shows text
// (dark pixels on a light ground) or differs from what it showed first,
// and prints the milliseconds since START_NS (CLOCK_REALTIME, as `date
// +%s%N` gives it), or since it released the mouse button of a click, or
// pressed a key, that it gives the window itself through XTest.
// Usage: x11-watch WINDOW_NAME X Y WIDTH HEIGHT text|change START_NS|click CX CY|key KEYSYM
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

#include <unistd.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

namespace {

long long nowNs() {
    timespec t{};
    clock_gettime(CLOCK_REALTIME, &t);
    return t.tv_sec * 1000000000LL + t.tv_nsec;
}

Window findWindow(Display* d, Window w, const char* name) {
    char* title = nullptr;
    if (XFetchName(d, w, &title) && title) {
        const bool match = std::strcmp(title, name) == 0;
        XFree(title);
        XWindowAttributes a;
        if (match && XGetWindowAttributes(d, w, &a) && a.map_state == IsViewable)
            return w;
    }
    Window root, parent, *children = nullptr;
    unsigned n = 0;
    Window found = 0;
    if (XQueryTree(d, w, &root, &parent, &children, &n)) {
        for (unsigned i = 0; i < n && !found; ++i) found = findWindow(d, children[i], name);
        if (children)
            XFree(children);
    }
    return found;
}

// The rectangle's pixels, or nothing where it cannot be read.
std::string pixels(Display* d, Window w, int x, int y, int width, int height) {
    XImage* image = XGetImage(d, w, x, y, unsigned(width), unsigned(height), AllPlanes, ZPixmap);
    if (!image)
        return {};
    std::string out;
    for (int j = 0; j < height; ++j)
        for (int i = 0; i < width; ++i) {
            const unsigned long p = XGetPixel(image, i, j);
            out += char(p & 0xFF);
            out += char((p >> 8) & 0xFF);
            out += char((p >> 16) & 0xFF);
        }
    XDestroyImage(image);
    return out;
}

// Text on a light ground: some dark pixels among mostly light ones (a
// window not yet painted is all black).
bool showsText(const std::string& rgb) {
    std::size_t dark = 0, light = 0, all = rgb.size() / 3;
    for (std::size_t i = 0; i + 2 < rgb.size(); i += 3) {
        const int sum = static_cast<unsigned char>(rgb[i]) +
                        static_cast<unsigned char>(rgb[i + 1]) +
                        static_cast<unsigned char>(rgb[i + 2]);
        dark += sum < 3 * 110;
        light += sum > 3 * 180;
    }
    return dark > 0 && light * 10 >= all * 7;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 8) {
        std::fprintf(stderr,
                     "usage: x11-watch WINDOW_NAME X Y WIDTH HEIGHT text|change START_NS|click CX "
                     "CY|key KEYSYM\n");
        return 2;
    }
    Display* d = XOpenDisplay(nullptr);
    if (!d)
        return 1;
    const int x = std::atoi(argv[2]), y = std::atoi(argv[3]), width = std::atoi(argv[4]),
              height = std::atoi(argv[5]);
    const bool change = std::strcmp(argv[6], "change") == 0;
    const std::string action = argv[7];
    long long start = nowNs();
    const long long timeout = 30000000000LL;
    Window w = 0;
    while (!(w = findWindow(d, DefaultRootWindow(d), argv[1])) && nowNs() - start < timeout)
        usleep(2000);
    std::string first = pixels(d, w, x, y, width, height);
    if (action == "click" && argc > 9) {
        int rootX = 0, rootY = 0;
        Window child;
        XTranslateCoordinates(d, w, DefaultRootWindow(d), std::atoi(argv[8]), std::atoi(argv[9]),
                              &rootX, &rootY, &child);
        XTestFakeMotionEvent(d, -1, rootX, rootY, CurrentTime);
        XTestFakeButtonEvent(d, 1, True, CurrentTime);
        XSync(d, False);
        usleep(20000);
        start = nowNs();
        XTestFakeButtonEvent(d, 1, False, CurrentTime);
        XSync(d, False);
    } else if (action == "key" && argc > 8) {
        const KeyCode key = XKeysymToKeycode(d, XStringToKeysym(argv[8]));
        start = nowNs();
        XTestFakeKeyEvent(d, key, True, CurrentTime);
        XTestFakeKeyEvent(d, key, False, CurrentTime);
        XSync(d, False);
    } else {
        start = std::atoll(argv[7]);
    }
    while (nowNs() - start < timeout) {
        const std::string now = pixels(d, w, x, y, width, height);
        if (change ? now != first : showsText(now)) {
            std::printf("%.0f\n", double(nowNs() - start) / 1e6);
            return 0;
        }
        usleep(1000);
    }
    std::printf("timeout\n");
    return 1;
}
