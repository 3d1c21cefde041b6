// The --ee-image option every command that opens models declares; the browser edition's built-in
// `info` declares it too, without the rest of the tool.
#include <CLI/CLI.hpp>

#include "cli/commands.h"

namespace vertigon {

void AddEeImageOption(CLI::App& app, std::string& path) {
    app.add_option("--ee-image", path, "the program image MDLS animations run in");
}

}  // namespace vertigon
