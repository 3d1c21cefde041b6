// The viewer's command line: options first (each named in one table row), then zero or more
// model paths opened in order. "--" ends the options, for paths that start with '-'.
#pragma once

#include <string>
#include <vector>

namespace vertigon {

struct ViewerOptions {
    std::vector<std::string> paths;
    bool help = false;
    bool version = false;
    // Print the time from start-up to the first frame on the screen on standard error.
    bool reportStartup = false;
    // The EE program image MDLS animations run in; empty: the usual places.
    std::string eeImagePath;
};

// False with a message for an unknown option or a missing value.
bool ParseViewerCommandLine(const std::vector<std::string>& args, ViewerOptions* options, std::string* error);

std::string ViewerUsage();

// Whether --help or -h stands before any "--": answered before the toolkit needs a display.
bool AsksForHelp(const std::vector<std::string>& args);
// The same for --version.
bool AsksForVersion(const std::vector<std::string>& args);

// "Vertigon <version>", the first line --version prints.
std::string VersionLine();
// What --version prints: that line and the licence notice.
std::string VersionText();

}  // namespace vertigon
