// Writes a message on the main frame's status line from anywhere in the program (for example a
// loader that wants to tell the user why a model shows no animation). Without a main frame the
// message goes to standard error.
#pragma once

#include <string>

namespace vertigon {

void ShowStatusText(const std::string& text);

}  // namespace vertigon
