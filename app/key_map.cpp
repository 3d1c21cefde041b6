#include "app/key_map.h"

#include <wx/defs.h>

namespace vertigon {

KeyCommand MapKey(int keyCode, bool control, bool alt) {
    if (control || alt) return KeyCommand::None;
    switch (keyCode) {
        case 'F':
        case 'f':
            return KeyCommand::FrameModel;
        case WXK_HOME:
        case WXK_NUMPAD_HOME:
            return KeyCommand::ResetView;
        case WXK_SPACE:
            return KeyCommand::PlayPause;
        case ',':
            return KeyCommand::StepBack;
        case '.':
            return KeyCommand::StepForward;
        case WXK_LEFT:
        case WXK_NUMPAD_LEFT:
            return KeyCommand::TurnLeft;
        case WXK_RIGHT:
        case WXK_NUMPAD_RIGHT:
            return KeyCommand::TurnRight;
        case WXK_UP:
        case WXK_NUMPAD_UP:
            return KeyCommand::TurnUp;
        case WXK_DOWN:
        case WXK_NUMPAD_DOWN:
            return KeyCommand::TurnDown;
        case '+':
        case '=':
        case WXK_NUMPAD_ADD:
            return KeyCommand::ZoomIn;
        case '-':
        case '_':
        case WXK_NUMPAD_SUBTRACT:
            return KeyCommand::ZoomOut;
        case WXK_PAGEDOWN:
        case WXK_NUMPAD_PAGEDOWN:
            return KeyCommand::NextFile;
        case WXK_PAGEUP:
        case WXK_NUMPAD_PAGEUP:
            return KeyCommand::PreviousFile;
        default:
            return KeyCommand::None;
    }
}

}  // namespace vertigon
