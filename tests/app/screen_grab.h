// The whole X screen as a person sees it; kept apart because Xlib's macros clash with other
// headers.
#pragma once

#include "render/rgb_image.h"

namespace vertigon::testing {

// Empty when the display named by DISPLAY cannot be opened.
RgbImage GrabScreen();

}  // namespace vertigon::testing
