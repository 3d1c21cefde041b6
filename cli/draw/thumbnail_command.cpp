// vertigon-cli thumbnail: the picture a file manager shows for a model file. The model is framed
// as `render --fit` frames it, in a square, with the background left transparent.
#include <CLI/CLI.hpp>

#include "cli/commands.h"
#include "cli/draw/tool_commands.h"
#include "cli/draw/view_drawing.h"
#include "render/renderer.h"

namespace vertigon {

namespace {

constexpr int kDefaultThumbnailSize = 256;
// File managers ask for 128 to 1024; more than this is a mistake, not a thumbnail.
constexpr int kMaxThumbnailSize = 4096;

void DeclareThumbnail(CLI::App& app, ViewOptions& o) {
    o.width = o.height = kDefaultThumbnailSize;
    app.add_option("FILE", o.path, "the model")->required();
    app.add_option("OUT.png", o.output, "the PNG to write")->required();
    app.add_option_function<int>("--size", [&o](int size) { o.width = o.height = size; }, "the side in pixels")
        ->check(CLI::Range(1, kMaxThumbnailSize));
    AddEeImageOption(app, o.eeImage);
}

int RunThumbnail(const ViewOptions& options) {
    return DrawOffscreen("thumbnail", options, [&](Model& model, Renderer& renderer) {
        WritePng(RenderThumbnail(model, options, renderer), options.output);
    });
}

}  // namespace

RgbaImage RenderThumbnail(Model& model, const ViewOptions& options, Renderer& renderer) {
    ViewSession session(model, options, &renderer);
    session.Settle();
    session.Fit();
    Scene& scene = session.view.scene;
    scene.clearRed = scene.clearGreen = scene.clearBlue = 0.0f;
    scene.Render();
    const RgbImage overBlack = renderer.device().ReadPixels();
    scene.clearRed = scene.clearGreen = scene.clearBlue = 1.0f;
    scene.Render();
    return MatteFromBackgrounds(overBlack, renderer.device().ReadPixels());
}

CliCommand ThumbnailCommand() {
    return {"thumbnail", "FILE OUT.png [--size N]",
            "Draw the picture a file manager shows for FILE: the model framed as with\n"
            "render --fit, N x N pixels (default 256, at most 4096), on a transparent\n"
            "background. Nothing is written when FILE is not a model or cannot be read.",
            true, Declaring(DeclareThumbnail, RunThumbnail)};
}

}  // namespace vertigon
