// vertigon-cli textures: every texture of a model as an RGBA PNG, the pixels the viewer uploads.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <filesystem>
#include <system_error>
#include <utility>

#include "cli/commands.h"
#include "cli/load_for_cli.h"
#include "formats/workspace.h"
#include "render/render_error.h"
#include "render/rgb_image.h"

namespace vertigon {
namespace {

// "<model file name without its extension>_<index, 3 digits>.png"
std::string TextureFileName(const std::string& modelPath, int32_t index) {
    char suffix[24];
    std::snprintf(suffix, sizeof suffix, "_%03d.png", static_cast<int>(index));
    return std::filesystem::path(modelPath).stem().string() + suffix;
}

// The viewer uploads the B, G, R, A bytes as they are; a PNG holds R, G, B, A.
RgbaImage TextureImage(const Texture& texture) {
    RgbaImage image{texture.width, texture.height, texture.pixels};
    for (size_t i = 0; i + 3 < image.pixels.size(); i += 4) std::swap(image.pixels[i], image.pixels[i + 2]);
    return image;
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
            WritePng(TextureImage(texture), out);
        } catch (const RenderError& failure) {
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
