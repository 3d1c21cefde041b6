// vertigon-cli with only the commands that draw nothing; tests/check_display_free_link.sh reads
// which libraries it needs.
#include "cli/commands.h"

int main(int argc, char** argv) {
    return vertigon::RunCommandLine(vertigon::Arguments(argv + 1, argv + argc), vertigon::DisplayFreeCommands());
}
