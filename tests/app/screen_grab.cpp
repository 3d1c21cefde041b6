#include "tests/app/screen_grab.h"

#include <X11/Xlib.h>
#include <X11/Xatom.h>
#include <X11/Xutil.h>

namespace vertigon::testing {

RgbImage GrabScreen() {
    RgbImage image;
    // A connection of its own, so that the toolkit's stays untouched.
    Display* display = XOpenDisplay(nullptr);
    if (!display) return image;
    const Window root = DefaultRootWindow(display);
    XWindowAttributes attributes;
    XGetWindowAttributes(display, root, &attributes);
    XImage* grab = XGetImage(display, root, 0, 0, static_cast<unsigned>(attributes.width),
                             static_cast<unsigned>(attributes.height), AllPlanes, ZPixmap);
    if (grab) {
        image.width = attributes.width;
        image.height = attributes.height;
        image.pixels.reserve(static_cast<size_t>(image.width) * static_cast<size_t>(image.height) * 3);
        for (int y = 0; y < image.height; ++y) {
            for (int x = 0; x < image.width; ++x) {
                // The 24-bit screen holds 0x00RRGGBB pixels.
                const unsigned long pixel = XGetPixel(grab, x, y);
                image.pixels.push_back(static_cast<uint8_t>(pixel >> 16));
                image.pixels.push_back(static_cast<uint8_t>(pixel >> 8));
                image.pixels.push_back(static_cast<uint8_t>(pixel));
            }
        }
        XDestroyImage(grab);
    }
    XCloseDisplay(display);
    return image;
}

namespace {

long WindowPid(Display* display, Window window) {
    const Atom pidAtom = XInternAtom(display, "_NET_WM_PID", True);
    if (pidAtom == 0) return -1;
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, remaining = 0;
    unsigned char* data = nullptr;
    long pid = -1;
    if (XGetWindowProperty(display, window, pidAtom, 0, 1, False, XA_CARDINAL, &type, &format, &count, &remaining,
                           &data) == Success &&
        data && count == 1 && format == 32) {
        pid = static_cast<long>(*reinterpret_cast<unsigned long*>(data));
    }
    if (data) XFree(data);
    return pid;
}

}  // namespace

namespace {

// The first top-level window of `pid` titled `title`; without a window manager the toolkit's
// top-level windows are children of the root.
Window FindWindow(Display* display, const std::string& title, long pid) {
    Window root = 0, parent = 0, found = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    if (XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count)) {
        for (unsigned int i = 0; i < count && !found; ++i) {
            char* name = nullptr;
            const bool named = XFetchName(display, children[i], &name) && name && title == name;
            if (name) XFree(name);
            if (named && WindowPid(display, children[i]) == pid) found = children[i];
        }
        if (children) XFree(children);
    }
    return found;
}

}  // namespace

bool HasWindowTitled(const std::string& title, long pid) {
    Display* display = XOpenDisplay(nullptr);
    if (!display) return false;
    const bool found = FindWindow(display, title, pid) != 0;
    XCloseDisplay(display);
    return found;
}

bool RequestWindowClose(const std::string& title, long pid) {
    Display* display = XOpenDisplay(nullptr);
    if (!display) return false;
    bool sent = false;
    if (const Window window = FindWindow(display, title, pid)) {
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.window = window;
        event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
        event.xclient.format = 32;
        event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
        event.xclient.data.l[1] = CurrentTime;
        sent = XSendEvent(display, window, False, NoEventMask, &event) != 0;
    }
    XFlush(display);
    XCloseDisplay(display);
    return sent;
}

}  // namespace vertigon::testing
