#include "tests/app/screen_grab.h"

#include <X11/Xlib.h>
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

}  // namespace vertigon::testing
