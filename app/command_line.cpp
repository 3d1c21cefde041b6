#include "app/command_line.h"

#include <functional>

#include "scene/licence.h"

namespace vertigon {

namespace {

struct CommandLineOption {
    const char* name;
    const char* valueName;  // null for a switch
    const char* help;
    std::function<void(ViewerOptions&, const std::string&)> apply;
};

const std::vector<CommandLineOption>& Options() {
    static const std::vector<CommandLineOption> options = {
        {"--help", nullptr, "show this text and exit", [](ViewerOptions& o, const std::string&) { o.help = true; }},
        {"--version", nullptr, "print the version and exit",
         [](ViewerOptions& o, const std::string&) { o.version = true; }},
        {"--ee-image", "PATH", "the game's program image that MDLS animations run in",
         [](ViewerOptions& o, const std::string& value) { o.eeImagePath = value; }},
        {"--report-startup", nullptr, "print the milliseconds from the program's start to the first frame on the screen",
         [](ViewerOptions& o, const std::string&) { o.reportStartup = true; }},
    };
    return options;
}

const CommandLineOption* FindOption(const std::string& name) {
    for (const CommandLineOption& option : Options()) {
        if (name == option.name) return &option;
    }
    return nullptr;
}

}  // namespace

bool ParseViewerCommandLine(const std::vector<std::string>& args, ViewerOptions* options, std::string* error) {
    ViewerOptions parsed;
    bool optionsEnded = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            parsed.paths.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        const CommandLineOption* option = FindOption(arg == "-h" ? "--help" : arg);
        if (!option) {
            *error = "unknown option '" + arg + "'";
            return false;
        }
        std::string value;
        if (option->valueName) {
            if (i + 1 >= args.size()) {
                *error = arg + " needs a value (" + option->valueName + ")";
                return false;
            }
            value = args[++i];
        }
        option->apply(parsed, value);
    }
    *options = std::move(parsed);
    return true;
}

namespace {

bool NamesOptionBeforeEnd(const std::vector<std::string>& args, const char* name, const char* shortName) {
    for (const std::string& arg : args) {
        if (arg == "--") return false;
        if (arg == name || (shortName && arg == shortName)) return true;
    }
    return false;
}

}  // namespace

bool AsksForHelp(const std::vector<std::string>& args) { return NamesOptionBeforeEnd(args, "--help", "-h"); }

bool AsksForVersion(const std::vector<std::string>& args) { return NamesOptionBeforeEnd(args, "--version", nullptr); }

std::string VersionLine() { return "Vertigon " VERTIGON_VERSION; }

std::string VersionText() { return VersionLine() + "\n" + kLicenceNotice; }

std::string ViewerUsage() {
    std::string text = "usage: vertigon [OPTION]... [MODEL]...\n\nOpens each MODEL in order; the last one stays shown.\n\n";
    for (const CommandLineOption& option : Options()) {
        std::string left = std::string("  ") + option.name;
        if (option.valueName) left += std::string(" ") + option.valueName;
        if (left.size() < 22) left.resize(22, ' ');
        text += left + " " + option.help + "\n";
    }
    text += "  --                   end of options; later arguments are model paths\n";
    text +=
        "\nIn the view: left drag turns, middle or Shift + left drag pans, the wheel zooms, a right\n"
        "click opens the model menu. Keys: F frame the model, Home reset the view, arrows turn,\n"
        "+ and - zoom, Space play or pause, comma and period one frame back or forward, Page Down\n"
        "and Page Up the next or previous model file of the folder, Ctrl+S save the view as PNG.\n"
        "Preferences live in $XDG_CONFIG_HOME/vertigon/vertigon.conf (~/.config when unset).\n";
    return text;
}

}  // namespace vertigon
