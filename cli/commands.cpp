#include "cli/commands.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cstdio>
#include <sstream>

#include "scene/licence.h"

namespace vertigon {
namespace {

constexpr const char* kEeImageHelp =
    "  --ee-image PATH\n"
    "      With every command that opens a model: the game's program image that MDLS\n"
    "      animations run in (an ELF of 3782596 bytes, plain or zlib-compressed). Without\n"
    "      it, $XDG_DATA_HOME/vertigon/ee-image.bin (XDG_DATA_HOME defaulting to\n"
    "      ~/.local/share), then ee-image.bin beside vertigon-cli are used. Without any,\n"
    "      MDLS models load but their animations keep the rest pose.\n";

constexpr const char* kHelpHelp =
    "  --help\n"
    "      Show this text.\n";

constexpr const char* kExitStatusHelp =
    "Exit status: 0 success; 1 the file could not be read or is malformed, the chosen\n"
    "animation does not exist, or no offscreen OpenGL context or PNG could be made; 2 no\n"
    "loader accepts the file or it is not a model (an .mset animation opens only beside its\n"
    "model); 64 a wrong command line.\n";

// Each line of `text` with `first` before the first one and `rest` before the others.
std::string Indented(const std::string& text, const std::string& first, const std::string& rest) {
    std::istringstream lines(text);
    std::string out, line;
    for (bool isFirst = true; std::getline(lines, line); isFirst = false) {
        out += (isFirst ? first : rest) + line + "\n";
    }
    return out;
}

// The synopsis after `lead`, its later lines lined up under the command's arguments.
std::string Synopsis(const CliCommand& command, const std::string& lead) {
    const std::string head = lead + command.name + " ";
    return Indented(command.synopsis, head, std::string(head.size(), ' '));
}

int ReportUsage(const std::string& command, const std::string& message) {
    std::fprintf(stderr, "vertigon-cli %s: %s (see vertigon-cli %s --help)\n", command.c_str(), message.c_str(),
                 command.c_str());
    return kExitUsage;
}

int RunCommand(const CliCommand& command, const Arguments& args) {
    CLI::App app(command.description, command.name);
    const CliCommand::Run run = command.declare(app);
    try {
        // CLI11 takes the arguments last first.
        app.parse(Arguments(args.rbegin(), args.rend()));
        return run();
    } catch (const CLI::CallForHelp&) {
        std::fputs(CommandHelp(command).c_str(), stdout);
        return kExitOk;
    } catch (const CLI::ParseError& error) {
        return ReportUsage(command.name, error.what());
    } catch (const UsageError& error) {
        return ReportUsage(command.name, error.what());
    }
}

}  // namespace

std::string CliUsage(const std::vector<CliCommand>& commands) {
    std::string text = "usage: vertigon-cli COMMAND [ARGUMENTS]\n\nCommands:\n";
    for (const CliCommand& command : commands) {
        text += Synopsis(command, "  ") + Indented(command.description, "      ", "      ") + "\n";
    }
    return text + kEeImageHelp + "\n" + kHelpHelp + "\n  --version\n      Print the version.\n\n" + kExitStatusHelp;
}

std::string CommandHelp(const CliCommand& command) {
    std::string text = Synopsis(command, "usage: vertigon-cli ") + "\n" +
                       Indented(command.description, "  ", "  ") + "\nOptions:\n";
    if (command.opensModels) text += std::string(kEeImageHelp) + "\n";
    return text + kHelpHelp + "\n" + kExitStatusHelp;
}

int RunCommandLine(const Arguments& args, const std::vector<CliCommand>& commands) {
    if (args.empty()) {
        std::fputs(CliUsage(commands).c_str(), stderr);
        return kExitUsage;
    }
    const std::string& name = args[0];
    if (name == "--help" || name == "-h" || name == "help") {
        std::fputs(CliUsage(commands).c_str(), stdout);
        return kExitOk;
    }
    if (name == "--version") {
        std::fputs((std::string("Vertigon " VERTIGON_VERSION "\n") + kLicenceNotice).c_str(), stdout);
        return kExitOk;
    }
    for (const CliCommand& command : commands) {
        if (name == command.name) return RunCommand(command, Arguments(args.begin() + 1, args.end()));
    }
    std::fprintf(stderr, "vertigon-cli: unknown command '%s' (see vertigon-cli --help)\n", name.c_str());
    return kExitUsage;
}

}  // namespace vertigon
