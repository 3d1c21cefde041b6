// vertigon-cli retexture: replaces textures of a model with PNG pictures and writes the model
// file again in its own format.
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/load_for_cli.h"
#include "formats/file_io.h"
#include "formats/load_error.h"
#include "formats/texture_writer.h"
#include "formats/workspace.h"
#include "image/image_error.h"
#include "image/png_codec.h"

namespace vertigon {
namespace {

constexpr const char* kName = "vertigon-cli retexture";

struct PictureArgument {
    int32_t texture = 0;
    std::string path;
};

// "N=IMAGE.png" with N a texture number.
bool ParsePictureArgument(const std::string& arg, PictureArgument& out) {
    const size_t equals = arg.find('=');
    if (equals == 0 || equals == std::string::npos || equals + 1 == arg.size() || equals > 9) return false;
    int32_t number = 0;
    for (size_t i = 0; i < equals; ++i) {
        if (arg[i] < '0' || arg[i] > '9') return false;
        number = number * 10 + (arg[i] - '0');
    }
    out = {number, arg.substr(equals + 1)};
    return true;
}

int Fail(const std::string& message, int status = kExitFailed) {
    std::fprintf(stderr, "%s: %s\n", kName, message.c_str());
    return status;
}

}  // namespace

int RunRetexture(const Arguments& args) {
    std::string path, outPath;
    LoaderOptions options;
    std::vector<PictureArgument> pictures;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        PictureArgument picture;
        if (arg == "-o" && i + 1 < args.size()) {
            outPath = args[++i];
        } else if (arg == "--ee-image" && i + 1 < args.size()) {
            options.eeImagePath = args[++i];
        } else if (ParsePictureArgument(arg, picture)) {
            pictures.push_back(picture);
        } else if (path.empty() && !arg.empty() && arg[0] != '-') {
            path = arg;
        } else {
            return Fail("unexpected argument '" + arg + "'", kExitUsage);
        }
    }
    if (path.empty() || outPath.empty() || pictures.empty()) {
        return Fail("a model file, -o OUT and at least one N=IMAGE.png are required", kExitUsage);
    }

    Workspace workspace(options, CliStatusSink());
    LoaderRegistry& registry = workspace.registry();
    ModelLoader* loader = registry.FindLoader(path);
    if (!loader || registry.FindFileKind(path) != FileKindModel) {
        return Fail(path + " is not a model file Vertigon reads", kExitNotModel);
    }
    std::vector<uint8_t> file;
    try {
        file = ReadWholeFile(path);
    } catch (const LoadError& failure) {
        return Fail(failure.what());
    }
    const auto readModel = [&](std::span<const uint8_t> bytes) {
        LoadFailure failure;
        std::unique_ptr<Model> model = registry.LoadFromMemory(*loader, ModelBytes{bytes, path}, &failure);
        if (!model) throw LoadError(failure.message);
        return model;
    };

    std::vector<TextureReplacement> replacements;
    try {
        const std::unique_ptr<Model> model = readModel(file);
        for (const PictureArgument& picture : pictures) {
            RgbaPixels image = ReadPngFile(picture.path);
            replacements.push_back({picture.texture, picture.path, image.width, image.height, std::move(image.pixels)});
        }
        const RetexturedFile result = RetextureModelFile(loader->FormatName(), file, *model, replacements, readModel);
        for (const std::string& note : result.notes) std::printf("%s\n", note.c_str());
        WriteWholeFile(outPath, result.bytes);
    } catch (const std::exception& failure) {
        return Fail(failure.what());
    }
    return kExitOk;
}

}  // namespace vertigon
