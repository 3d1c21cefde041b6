// The whole of vertigon-cli: the display-free commands of cli/ and the drawing ones here, which
// need an offscreen OpenGL context.
#pragma once

#include <vector>

#include "cli/commands.h"

namespace vertigon {

CliCommand RenderCommand();
CliCommand ThumbnailCommand();

// Every command of the tool, in the order of the help.
std::vector<CliCommand> CliCommands();

// Runs the arguments after the program's name with every command (RunCommandLine).
int RunCli(const Arguments& args);

}  // namespace vertigon
