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
    "  render FILE -o OUT.png [--size WxH] [--yaw R] [--pitch R] [--distance D]\n"
    "         [--pan X,Y,Z] [--fit] [--animation G:I] [--time T] [--flags HEX]\n"
    "      Render the frame the viewer would show for FILE offscreen into a PNG: 1392x893\n"
    "      by default, the start-up camera turned by --yaw and --pitch (radians), at\n"
    "      --distance from the target --pan, or with --fit looking at the centre of the\n"
    "      posed model from where it fills about 80 % of the picture's height; animation 0\n"
    "      of group 1 when present, or the one chosen with --animation, advanced as after\n"
    "      T x 25 ms of the viewer's clock (--time T); the display flags in hexadecimal,\n"
    "      switched after the first frame as in the viewer (default 7: textures on; add 8\n"
    "      flat shading, 10 wireframe, 20 the skeleton).\n"
    "\n"
    "  pose FILE [--animation G:I] [--time T]\n"
    "      Print as JSON the world matrix (rows of row-vector form) of every bone of FILE\n"
    "      after the same animation choice and advance.\n"
    "\n"
    "  thumbnail FILE OUT.png [--size N]\n"
    "      Draw the picture a file manager shows for FILE: the model framed as with\n"
    "      render --fit, N x N pixels (default 256, at most 4096), on a transparent\n"
    "      background. Nothing is written when FILE is not a model or cannot be read.\n"
    "\n"
    "  textures FILE -o DIR\n"
    "      Write every texture of FILE as DIR/NAME_000.png, NAME_001.png, ... (NAME: the\n"
    "      file name without its extension; DIR is made when missing): 8-bit RGBA, the\n"
    "      pixels the viewer draws.\n"
    "\n"
    "  retexture FILE -o OUT N=IMAGE.png [N=IMAGE.png ...]\n"
    "      Replace texture N (as numbered by textures and info) with the PNG, which must\n"
    "      have the texture's size, and write the whole model file to OUT in its own\n"
    "      format (OUT may be FILE). A picture of at most 256 colours the console can\n"
    "      store comes back exactly; others are quantized (the quality is printed). A\n"
    "      palette other textures also use stays and the picture is mapped onto it; an\n"
    "      index image others use changes for them too; both are said on standard output.\n"
    "\n"
    "  export FILE... -o OUT [--lod N|all] [--frames N] [-j N]\n"
    "      Export models as glTF 2.0 with their meshes, skin, textures and every animation.\n"
    "      One FILE and OUT ending in .glb or .gltf (any case): that file (.glb holds\n"
    "      everything; .gltf writes a .bin and the textures as PNG files beside it).\n"
    "      Otherwise OUT is a directory (made when missing) and each FILE becomes\n"
    "      OUT/NAME.glb. --lod: the level of detail to export (default 0) or all of them;\n"
    "      --frames: frames baked per MDLS animation (default 120); -j: models exported\n"
    "      at once (default: the number of processor cores), the files the same as with\n"
    "      -j 1. Exit status 0 when every model was exported, 1 when any could not be read\n"
    "      or written (one line each on standard error; the others are still exported), 2\n"
    "      when an argument is not a model, 64 for a wrong command line. On a terminal,\n"
    "      a line on standard error for each model exported.\n"
    "\n"
    "  ee-run ELF --entry ADDR --stop ADDR [--max-steps N] [--set REG=VALUE]...\n"
    "         [--dump ADDR:LEN]...\n"
    "      Load the ELF's loadable segments into a fresh emulated memory (p_paddr as the\n"
    "      offset into main memory), set the named registers, run the R5900 interpreter\n"
    "      from ADDR until the program counter reaches the stop address, and print the\n"
    "      registers and the requested memory ranges as one JSON object. Registers: r0-r31\n"
    "      or zero, at, v0 ... ra; hi, lo, sa; f0-f31, fcc; vf0-vf31 and acc (as x,y,z,w),\n"
    "      vi0-vi31, q, macflags. Integers are decimal or 0x-hexadecimal; floats are\n"
    "      decimal or 0x and their bit pattern.\n"
    "      The emulator's own messages go to standard error. Exit status 0 at the stop\n"
    "      address, 1 on an emulator fault, 3 when N steps (default 100000000) are done.\n"
    "\n"
    "  --ee-image PATH\n"
    "      With every command that opens a model: the game's program image that MDLS\n"
    "      animations run in (an ELF of 3782596 bytes, plain or zlib-compressed). Without\n"
    "      it, $XDG_DATA_HOME/vertigon/ee-image.bin (XDG_DATA_HOME defaulting to\n"
    "      ~/.local/share), then ee-image.bin beside vertigon-cli are used. Without any,\n"
    "      MDLS models load but their animations keep the rest pose.\n"
    "\n"
    "  --help\n"
    "      Show this text.\n"
    "\n"
    "  --version\n"
    "      Print the version.\n"
    "\n"
    "Exit status: 0 success; 1 the file could not be read or is malformed, the chosen\n"
    "animation does not exist, or no offscreen OpenGL context or PNG could be made; 2 no\n"
    "loader accepts the file or it is not a model (an .mset animation opens only beside its\n"
    "model); 64 a wrong command line.\n";

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0 ||
        std::strcmp(argv[1], "help") == 0) {
        std::fputs(kUsage, argc < 2 ? stderr : stdout);
        return argc < 2 ? vertigon::kExitUsage : vertigon::kExitOk;
    }
    if (std::strcmp(argv[1], "--version") == 0) {
        std::puts("Vertigon " VERTIGON_VERSION);
        return vertigon::kExitOk;
    }
    const std::string command = argv[1];
    const vertigon::Arguments args(argv + 2, argv + argc);
    if (command == "info") return vertigon::RunInfo(args);
    if (command == "render") return vertigon::RunRender(args);
    if (command == "pose") return vertigon::RunPose(args);
    if (command == "thumbnail") return vertigon::RunThumbnail(args);
    if (command == "ee-run") return vertigon::RunEeRun(args);
    if (command == "textures") return vertigon::RunTextures(args);
    if (command == "export") return vertigon::RunExport(args);
    if (command == "retexture") return vertigon::RunRetexture(args);
    std::fprintf(stderr, "vertigon-cli: unknown command '%s' (see vertigon-cli --help)\n", command.c_str());
    return vertigon::kExitUsage;
}
