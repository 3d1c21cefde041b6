// The list lives apart from the runner, so that a program running one command (the browser
// module's `info`) links that command alone.
#include "cli/commands.h"

namespace vertigon {

std::vector<CliCommand> DisplayFreeCommands() {
    return {InfoCommand(), PoseCommand(), TexturesCommand(), RetextureCommand(), ExportCommand(), EeRunCommand()};
}

}  // namespace vertigon
