// Writes a message on the viewer's status line from anywhere in the program. It goes through
// the status reporter the loaders and the emulator also use: while a viewer lives the message
// reaches its status line (held until the main frame exists), otherwise standard error.
#pragma once

#include <string>

namespace vertigon {

void ShowStatusText(const std::string& text);

}  // namespace vertigon
