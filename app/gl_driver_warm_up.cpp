#include "app/gl_driver_warm_up.h"

#include <GL/glx.h>
#include <X11/Xlib.h>

#include <cstdlib>
#include <string_view>

namespace vertigon {

namespace {

bool RunsOnX11() {
    const char* backend = std::getenv("GDK_BACKEND");
    if (backend && std::string_view(backend) != "x11") return false;
    if (!backend && std::getenv("WAYLAND_DISPLAY")) return false;
    return std::getenv("DISPLAY") != nullptr;
}

}  // namespace

GlDriverWarmUp::GlDriverWarmUp() {
    if (!RunsOnX11()) return;
    // GDK's own OpenGL (GL areas) is unused here; without this it would probe the driver on the
    // main thread as it opens the display. A setting of the user's own is kept.
    setenv("GDK_GL", "disable", 0);
    // Two threads will talk to the X server, each over its own connection.
    threadsReady_ = XInitThreads() != 0;
}

void GlDriverWarmUp::Start() {
    if (!threadsReady_ || thread_.joinable()) return;
    thread_ = std::thread([this] {
        Display* display = XOpenDisplay(nullptr);
        if (!display) return;
        display_ = display;
        // Listing the frame buffer configurations makes the GLX client set up the screen,
        // which loads and starts the driver.
        int count = 0;
        if (GLXFBConfig* configs = glXGetFBConfigs(display, DefaultScreen(display), &count)) XFree(configs);
    });
}

GlDriverWarmUp::~GlDriverWarmUp() {
    if (thread_.joinable()) thread_.join();
    if (display_) XCloseDisplay(static_cast<Display*>(display_));
}

}  // namespace vertigon
