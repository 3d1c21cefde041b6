// vertigon-cli thumbnail: the picture a file manager shows for a model file. The model is framed
// as `render --fit` frames it, in a square, with the background left transparent.
#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "cli/commands.h"
#include "cli/view_commands.h"
#include "render/renderer.h"

namespace vertigon {

namespace {

constexpr int kDefaultThumbnailSize = 256;
// File managers ask for 128 to 1024; more than this is a mistake, not a thumbnail.
constexpr int kMaxThumbnailSize = 4096;

bool ParseThumbnailOptions(const Arguments& args, ViewOptions* options, std::string* error) {
    ViewOptions o;
    o.width = o.height = kDefaultThumbnailSize;
    std::vector<std::string> files;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--size" || arg == "--ee-image") {
            if (i + 1 >= args.size()) {
                *error = arg + " needs a value";
                return false;
            }
            const std::string& value = args[++i];
            if (arg == "--ee-image") {
                o.eeImage = value;
                continue;
            }
            char* end = nullptr;
            errno = 0;
            const long size = std::strtol(value.c_str(), &end, 10);
            if (value.empty() || *end != '\0' || errno == ERANGE || size < 1 || size > kMaxThumbnailSize) {
                *error = "--size takes a whole number of pixels from 1 to " + std::to_string(kMaxThumbnailSize);
                return false;
            }
            o.width = o.height = static_cast<int>(size);
        } else if (arg.size() > 1 && arg[0] == '-') {
            *error = "unknown option '" + arg + "'";
            return false;
        } else {
            files.push_back(arg);
        }
    }
    if (files.size() != 2) {
        *error = "a model file and an output PNG are required";
        return false;
    }
    o.path = files[0];
    o.output = files[1];
    *options = std::move(o);
    return true;
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

int RunThumbnail(const Arguments& args) {
    ViewOptions options;
    std::string error;
    if (!ParseThumbnailOptions(args, &options, &error)) {
        std::fprintf(stderr, "vertigon-cli thumbnail: %s\n", error.c_str());
        return kExitUsage;
    }
    return DrawOffscreen("thumbnail", options, [&](Model& model, Renderer& renderer) {
        WritePng(RenderThumbnail(model, options, renderer), options.output);
    });
}

}  // namespace vertigon
