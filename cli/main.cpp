// vertigon-cli: the headless side of the viewer.
#include "cli/draw/tool_commands.h"

int main(int argc, char** argv) { return vertigon::RunCli(vertigon::Arguments(argv + 1, argv + argc)); }
