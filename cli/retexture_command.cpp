// vertigon-cli retexture: replaces textures of a model with PNG pictures and writes the model
// file again in its own format.
#include <CLI/CLI.hpp>

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

struct RetextureOptions {
    std::string path, outPath;
    std::vector<std::string> pictures;
    LoaderOptions loader;
};

void DeclareRetexture(CLI::App& app, RetextureOptions& o) {
    app.add_option("FILE", o.path, "the model")->required();
    app.add_option("PICTURES", o.pictures, "N=IMAGE.png: texture N's new picture")->required();
    app.add_option("-o", o.outPath, "the model file to write")->required();
    AddEeImageOption(app, o.loader.eeImagePath);
}

int RunRetexture(const RetextureOptions& o) {
    const std::string& path = o.path;
    const std::string& outPath = o.outPath;
    const LoaderOptions& options = o.loader;
    std::vector<PictureArgument> pictures;
    for (const std::string& arg : o.pictures) {
        PictureArgument picture;
        if (!ParsePictureArgument(arg, picture)) throw UsageError("'" + arg + "' is not N=IMAGE.png");
        pictures.push_back(picture);
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

}  // namespace

CliCommand RetextureCommand() {
    return {"retexture", "FILE -o OUT N=IMAGE.png [N=IMAGE.png ...]",
            "Replace texture N (as numbered by textures and info) with the PNG, which must\n"
            "have the texture's size, and write the whole model file to OUT in its own\n"
            "format (OUT may be FILE). A picture of at most 256 colours the console can\n"
            "store comes back exactly; others are quantized (the quality is printed). A\n"
            "palette other textures also use stays and the picture is mapped onto it; an\n"
            "index image others use changes for them too; both are said on standard output.",
            true, Declaring(DeclareRetexture, RunRetexture)};
}

}  // namespace vertigon
