// vertigon: the desktop viewer.
#include <cstdio>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/frame_clock.h"
#include "app/viewer_app.h"

wxIMPLEMENT_APP_NO_MAIN(vertigon::ViewerApp);

int main(int argc, char** argv) {
    const auto started = vertigon::ProcessStartTime();
    // The usage text and the version need no display, so they are given before the toolkit starts.
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (vertigon::AsksForHelp(args)) {
        std::fputs(vertigon::ViewerUsage().c_str(), stdout);
        return 0;
    }
    if (vertigon::AsksForVersion(args)) {
        std::fputs(vertigon::VersionText().c_str(), stdout);
        return 0;
    }
    // Made here rather than by the toolkit, to hand it the start time, and before the toolkit
    // starts, as its driver warm-up must be.
    wxApp::SetInstance(new vertigon::ViewerApp(started));
    return wxEntry(argc, argv);
}
