// Window tests run on an Xvfb server of their own: the first test that needs windows starts
// the server on a free display and the toolkit on it; both end with the test program.
#pragma once

#include <chrono>
#include <functional>
#include <string>

#include "render/rgb_image.h"

namespace vertigon {
class RenderView;
class Viewer;
}  // namespace vertigon

namespace vertigon::testing {

// Starts the server and the toolkit once per process; false (with the reason) when it cannot.
bool RequireGui(std::string* reason);

// Runs the toolkit's event loop until `done` holds or the timeout passes; returns `done()`.
bool RunUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout = std::chrono::seconds(30));

// The next frame the view puts on the screen (one is asked for: a view at rest draws only on
// demand), read just before it is swapped in.
RgbImage CaptureNextFrame(RenderView& view);

// Closes the viewer's main frame as the user would and waits until its windows are gone.
bool CloseViewer(Viewer& viewer);

// Keeps a picture for a person to look at: <build>/app_test_output/<name>.png. SaveScreen
// grabs the whole Xvfb screen, window decorations aside.
void SaveImage(const RgbImage& image, const std::string& name);
void SaveScreen(const std::string& name);

// Path of a bundled sample.
std::string SamplePath(const std::string& name);

}  // namespace vertigon::testing

// Skips nothing: a machine that cannot start the server fails the test with the reason.
#define REQUIRE_GUI()                                         \
    do {                                                      \
        std::string gui_reason_;                              \
        ASSERT_TRUE(::vertigon::testing::RequireGui(&gui_reason_)) << gui_reason_; \
    } while (false)
