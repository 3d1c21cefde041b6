// The X server as a person and a window manager see it: the whole screen, and a close
// request to a window. Kept apart because Xlib's macros clash with other headers.
#pragma once

#include <string>

#include "render/rgb_image.h"

namespace vertigon::testing {

// Empty when the display named by DISPLAY cannot be opened.
RgbImage GrabScreen();

// Asks the top-level window titled `title` that belongs to process `pid` to close, as a
// window manager's close button does. False when there is no such window.
bool RequestWindowClose(const std::string& title, long pid);
// Whether process `pid` shows a top-level window titled `title`.
bool HasWindowTitled(const std::string& title, long pid);

}  // namespace vertigon::testing
