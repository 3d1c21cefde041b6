// The viewer's keys: which command a key press (with its modifiers) asks for. Kept apart from
// the windows so that the map can be checked without a display.
#pragma once

namespace vertigon {

enum class KeyCommand {
    None,
    FrameModel,    // F
    ResetView,     // Home
    PlayPause,     // Space
    StepBack,      // ,
    StepForward,   // .
    TurnLeft,      // arrows: 5 degrees
    TurnRight,
    TurnUp,
    TurnDown,
    ZoomIn,        // + (or =, the same key unshifted), one wheel notch
    ZoomOut,       // -
    NextFile,      // Page Down
    PreviousFile,  // Page Up
};

inline constexpr float kArrowTurnDegrees = 5.0f;

// `keyCode` is the toolkit's key code (WXK_* or the character). Presses with Ctrl or Alt are
// left to the menus.
KeyCommand MapKey(int keyCode, bool control, bool alt);

}  // namespace vertigon
