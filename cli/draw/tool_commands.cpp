#include "cli/draw/tool_commands.h"

namespace vertigon {

std::vector<CliCommand> CliCommands() {
    return {InfoCommand(),    RenderCommand(), PoseCommand(), ThumbnailCommand(),
            TexturesCommand(), RetextureCommand(), ExportCommand(), EeRunCommand()};
}

int RunCli(const Arguments& args) { return RunCommandLine(args, CliCommands()); }

}  // namespace vertigon
