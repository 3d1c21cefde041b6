// Loading the OpenGL driver is the largest single cost of starting the viewer (with Mesa, tens
// of milliseconds of relocating its compiler). GDK would load it on the main thread while it
// opens the display, before a window exists; a GlDriverWarmUp made at the start of main loads
// it on a second thread instead, over a display connection of its own, while the toolkit starts
// and builds the windows. The canvas then finds the driver loaded.
#pragma once

#include <thread>

namespace vertigon {

class GlDriverWarmUp {
public:
    // Starts only in an X11 session (DISPLAY set, no Wayland display, no other GDK backend
    // asked for); elsewhere it does nothing.
    GlDriverWarmUp();
    // Waits for the thread and closes its connection.
    ~GlDriverWarmUp();
    GlDriverWarmUp(const GlDriverWarmUp&) = delete;
    GlDriverWarmUp& operator=(const GlDriverWarmUp&) = delete;

private:
    void* display_ = nullptr;  // the thread's own X connection, once it has one
    std::thread thread_;
};

}  // namespace vertigon
