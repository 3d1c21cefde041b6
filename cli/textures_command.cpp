// vertigon-cli textures: every texture of a model as an RGBA PNG, the pixels the viewer uploads.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <filesystem>
#include <system_error>
#include <utility>

#include "cli/commands.h"
#include "cli/load_for_cli.h"
#include "formats/workspace.h"
#include "image/image_error.h"
#include "image/png_codec.h"
#include "image/texture_pixels.h"

namespace vertigon {
namespace {

// "<model file name without its extension>_<index, 3 digits>.png"
std::string TextureFileName(const std::string& modelPath, int32_t index) {
    char suffix[24];
    std::snprintf(suffix, sizeof suffix, "_%03d.png", static_cast<int>(index));
    return std::filesystem::path(modelPath).stem().string() + suffix;
}

struct TexturesOptions {
    std::string path, outDir;
    LoaderOptions loader;
};

void DeclareTextures(CLI::App& app, TexturesOptions& o) {
    app.add_option("FILE", o.path, "the model")->required();
    app.add_option("-o", o.outDir, "the directory to write into")->required();
    AddEeImageOption(app, o.loader.eeImagePath);
}

int RunTextures(const TexturesOptions& o) {
    const std::string& path = o.path;
    const std::string& outDir = o.outDir;
    Workspace workspace(o.loader, CliStatusSink());
    int status = kExitOk;
    Model* model = OpenModelForCli(workspace.registry(), path, &status);
    if (!model) return status;

    std::error_code error;
    std::filesystem::create_directories(outDir, error);
    if (error) {
        std::fprintf(stderr, "vertigon-cli textures: cannot make %s: %s\n", outDir.c_str(), error.message().c_str());
        return kExitFailed;
    }
    for (int32_t i = 0; i < model->textureCount(); ++i) {
        const Texture& texture = model->textures[static_cast<size_t>(i)];
        const std::string out = (std::filesystem::path(outDir) / TextureFileName(path, i)).string();
        try {
            // The viewer uploads the B, G, R, A bytes as they are; a PNG holds R, G, B, A.
            WritePngFile(out, texture.width, texture.height, 4, SwapRedBlue(texture.pixels));
        } catch (const ImageError& failure) {
            std::fprintf(stderr, "vertigon-cli textures: texture %d: %s\n", static_cast<int>(i), failure.what());
            status = kExitFailed;
        }
    }
    return status;
}

}  // namespace

CliCommand TexturesCommand() {
    return {"textures", "FILE -o DIR",
            "Write every texture of FILE as DIR/NAME_000.png, NAME_001.png, ... (NAME: the\n"
            "file name without its extension; DIR is made when missing): 8-bit RGBA, the\n"
            "pixels the viewer draws.",
            true, Declaring(DeclareTextures, RunTextures)};
}

}  // namespace vertigon
