// The commands of vertigon-cli that draw nothing, and what runs a command line. Each command
// file declares its options on a CLI11 app and hands back what runs it. Nothing here needs
// OpenGL: the drawing commands and the whole tool's list live in cli/draw/.
#pragma once

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace CLI {
class App;
}

namespace vertigon {

enum ExitStatus : int {
    kExitOk = 0,
    kExitFailed = 1,     // unreadable or malformed input, an emulator fault
    kExitNotModel = 2,   // no loader accepts the file, or it is not a model
    kExitStepBound = 3,  // an emulator run reached its step bound
    kExitUsage = 64,     // the command line itself is wrong
};

using Arguments = std::vector<std::string>;

// A wrong command line found after the options were read (a missing choice, values that
// exclude each other); reported as the parser's own errors are.
struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// One command: its name, the help text (the synopsis after the name, one line per '\n', and the
// description, one line per '\n'), whether it opens models (then it takes --ee-image), and the
// function that declares its options on `app` and returns the command's run, which gives the
// exit status and may throw UsageError.
struct CliCommand {
    using Run = std::function<int()>;

    const char* name;
    const char* synopsis;
    const char* description;
    bool opensModels;
    std::function<Run(CLI::App& app)> declare;
};

// The `declare` of a command whose options live in an `Options` made for each command line:
// `declareOptions` declares them on the app, `run` runs the command with them once parsed.
template <typename Options>
std::function<CliCommand::Run(CLI::App&)> Declaring(void (*declareOptions)(CLI::App&, Options&),
                                                    int (*run)(const Options&)) {
    return [=](CLI::App& app) -> CliCommand::Run {
        auto options = std::make_shared<Options>();
        declareOptions(app, *options);
        return [=] { return run(*options); };
    };
}

CliCommand InfoCommand();
CliCommand PoseCommand();
CliCommand TexturesCommand();
CliCommand ExportCommand();
CliCommand RetextureCommand();
CliCommand EeRunCommand();

// The commands above, in the order of the help.
std::vector<CliCommand> DisplayFreeCommands();

// The help listing `commands` (`vertigon-cli --help`) and one command's
// (`vertigon-cli COMMAND --help`).
std::string CliUsage(const std::vector<CliCommand>& commands);
std::string CommandHelp(const CliCommand& command);

// Runs the arguments after the program's name with `commands`: the whole help, the version or
// one command. A wrong command line is said on standard error as "vertigon-cli COMMAND: what is
// wrong (see vertigon-cli COMMAND --help)" and gives kExitUsage.
int RunCommandLine(const Arguments& args, const std::vector<CliCommand>& commands);

// Declares --ee-image PATH, the program image MDLS animations run in, on a command's app.
void AddEeImageOption(CLI::App& app, std::string& path);

}  // namespace vertigon
