// The application object: parses the command line, starts the viewer, and at exit releases
// the scene and the registry before the toolkit's own clean-up.
#pragma once

#include <wx/app.h>

#include <chrono>
#include <memory>

#include "app/gl_driver_warm_up.h"
#include "app/viewer.h"

namespace vertigon {

class ViewerApp final : public wxApp {
public:
    // `started`: when the program started, which the start-up report counts from.
    explicit ViewerApp(std::chrono::steady_clock::time_point started = std::chrono::steady_clock::now())
        : started_(started) {}
    bool OnInit() override;
    int OnRun() override;
    int OnExit() override;

private:
    std::unique_ptr<Viewer> viewer_;
    int earlyExitStatus_ = -1;  // set when the command line ends the program before any window
    std::chrono::steady_clock::time_point started_;
    GlDriverWarmUp driverWarmUp_;  // made with the application, before the toolkit starts
};

}  // namespace vertigon
