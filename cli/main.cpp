// vertigon-cli: the headless side of the viewer.
#include <cstdio>
#include <cstring>
#include <string>

#include "cli/commands.h"

namespace {

constexpr const char* kUsage =
    "usage: vertigon-cli COMMAND [ARGUMENTS]\n"
    "\n"
    "Commands:\n"
    "  info [--full] FILE\n"
    "      Open FILE as the viewer does and print its model as one JSON object: bones,\n"
    "      textures (size and crc32 of the B,G,R,A pixels), levels of detail with their\n"
    "      shapes, batches and materials, placement and animation groups. --full adds the\n"
    "      skin lists of every shape and the triangles of every batch.\n"
    "\n"
    "  --help\n"
    "      Show this text.\n"
    "\n"
    "Exit status: 0 success; 1 the file could not be read or is malformed; 2 no loader\n"
    "accepts the file or it is not a model (an .mset animation opens only beside its\n"
    "model); 64 a wrong command line.\n";

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0 ||
        std::strcmp(argv[1], "help") == 0) {
        std::fputs(kUsage, argc < 2 ? stderr : stdout);
        return argc < 2 ? vertigon::kExitUsage : vertigon::kExitOk;
    }
    const std::string command = argv[1];
    const vertigon::Arguments args(argv + 2, argv + argc);
    if (command == "info") return vertigon::RunInfo(args);
    std::fprintf(stderr, "vertigon-cli: unknown command '%s' (see vertigon-cli --help)\n", command.c_str());
    return vertigon::kExitUsage;
}
