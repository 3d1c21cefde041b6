#include "app/command_line.h"

#include <functional>

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
        {"--ee-image", "PATH", "the game's program image that MDLS animations run in",
         [](ViewerOptions& o, const std::string& value) { o.eeImagePath = value; }},
        {"--report-startup", nullptr, "print the milliseconds from start-up to the first frame on the screen",
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

bool AsksForHelp(const std::vector<std::string>& args) {
    for (const std::string& arg : args) {
        if (arg == "--") return false;
        if (arg == "--help" || arg == "-h") return true;
    }
    return false;
}

std::string ViewerUsage() {
    std::string text = "usage: vertigon [OPTION]... [MODEL]...\n\nOpens each MODEL in order; the last one stays shown.\n\n";
    for (const CommandLineOption& option : Options()) {
        std::string left = std::string("  ") + option.name;
        if (option.valueName) left += std::string(" ") + option.valueName;
        if (left.size() < 22) left.resize(22, ' ');
        text += left + " " + option.help + "\n";
    }
    text += "  --                   end of options; later arguments are model paths\n";
    return text;
}

}  // namespace vertigon
