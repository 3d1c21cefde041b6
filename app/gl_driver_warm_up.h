// Loading the OpenGL driver is the largest single cost of starting the viewer (with Mesa, tens
// of milliseconds of relocating its compiler). GDK would load it on the main thread while it
// opens the display, before a window exists. A GlDriverWarmUp, made before the toolkit starts,
// keeps GDK from doing so; started once the toolkit is up, it loads the driver on a second
// thread, over a display connection of its own, while the windows are built. The canvas then
// finds the driver loaded.
//
// It starts after the toolkit rather than with the program because the dynamic loader takes one
// library at a time: a thread loading the driver would hold back the modules the toolkit loads
// as it starts, on the main thread.
#pragma once

#include <thread>

namespace vertigon {

class GlDriverWarmUp {
public:
    // Acts only in an X11 session (DISPLAY set, no Wayland display, no other GDK backend asked
    // for); elsewhere it and Start do nothing. Made before any other Xlib call.
    GlDriverWarmUp();
    // Starts the thread; later calls do nothing.
    void Start();
    // Waits for the thread and closes its connection.
    ~GlDriverWarmUp();
    GlDriverWarmUp(const GlDriverWarmUp&) = delete;
    GlDriverWarmUp& operator=(const GlDriverWarmUp&) = delete;

private:
    bool threadsReady_ = false;  // Xlib may be called from two threads
    void* display_ = nullptr;    // the thread's own X connection, once it has one
    std::thread thread_;
};

}  // namespace vertigon
