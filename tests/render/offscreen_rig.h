// An offscreen renderer with a scene drawn by it for pixel tests: models are owned by the rig,
// so they live until the scene entries that use them are gone.
#pragma once

#include <array>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "render/egl_offscreen_context.h"
#include "render/renderer.h"
#include "render/rgb_image.h"
#include "scene/scene_graph.h"

namespace vertigon::testing {

class OffscreenRig {
public:
    explicit OffscreenRig(int width = 128, int height = 128, const RendererOptions& options = {})
        : context(width, height), renderer(context, width, height, options), scene(&renderer) {
        scene.CreateRootAndCamera();
        scene.SetViewportSize(width, height);
    }

    // Takes the model and shows it in a new entry appended under the root.
    ModelEntry& Show(std::unique_ptr<Model> model) {
        models.push_back(std::move(model));
        return *scene.AddEntry(*models.back());
    }

    // One redraw as the viewer paints it: update with `step` of animation time, render.
    RgbImage Frame(float step = 0.0f) {
        scene.UpdateTree(step);
        scene.Render();
        return context.ReadPixels();
    }

    // Keeps the picture for a person to look at: <build>/render_test_output/<name>.png.
    static void Save(const RgbImage& image, const std::string& name) {
        const std::filesystem::path folder = std::filesystem::path(VERTIGON_BINARY_DIR) / "render_test_output";
        std::filesystem::create_directories(folder);
        WritePng(image, (folder / (name + ".png")).string());
    }

    EglOffscreenContext context;
    Renderer renderer;
    std::vector<std::unique_ptr<Model>> models;
    Scene scene;  // destroyed first: its entries release the models above
};

inline bool Near(const std::array<uint8_t, 3>& pixel, int r, int g, int b, int tolerance = 2) {
    return std::abs(pixel[0] - r) <= tolerance && std::abs(pixel[1] - g) <= tolerance &&
           std::abs(pixel[2] - b) <= tolerance;
}

}  // namespace vertigon::testing
