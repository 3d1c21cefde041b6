// Every bundled sample opens and draws: the frame the viewer would show at start-up differs from
// the empty grey scene where the model stands.
#include <gtest/gtest.h>

#include "cli/draw/view_drawing.h"
#include "formats/registry.h"
#include "formats/workspace.h"
#include "render/egl_offscreen_context.h"
#include "render/renderer.h"
#include "tests/fixtures/ffb_demo_sample.h"
#include "tests/fixtures/mdlx_sample.h"
#include "tests/fixtures/raw_sample.h"

namespace vertigon {
namespace {

int ModelPixels(const RgbImage& frame, int width, int height) {
    int count = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const auto p = frame.At(x, y);
            if (p[0] != 127 || p[1] != 127 || p[2] != 127) ++count;
        }
    }
    return count;
}

TEST(SampleRender, EveryBundledSampleShowsItsModel) {
    constexpr int kWidth = 348, kHeight = 223;  // a quarter of the viewer's size
    EglOffscreenContext context(kWidth, kHeight);
    Renderer renderer(context, kWidth, kHeight);
    for (const char* name : {testing::kDemoSampleName, testing::kMdlxSampleFileName, testing::kRawSampleName}) {
        Workspace workspace;
        LoaderRegistry& registry = workspace.registry();
        Model* model = registry.OpenModel(std::string(VERTIGON_SOURCE_DIR) + "/samples/" + name);
        ASSERT_NE(model, nullptr) << name;
        ViewOptions options;
        options.width = kWidth;
        options.height = kHeight;
        const RgbImage frame = RenderModelView(*model, options, renderer);
        // The smallest sample, the MDLX figure, covers about 600 pixels at this size.
        EXPECT_GT(ModelPixels(frame, kWidth, kHeight), 300) << name;
        EXPECT_EQ(frame.At(2, 2), (std::array<uint8_t, 3>{127, 127, 127})) << name << ": the corner stays grey";
    }
}

}  // namespace
}  // namespace vertigon
