// Replacing a texture in the running viewer: each sample before and after its texture 0 gets
// its colours turned (red to green to blue), with the texture window open. The view changes at
// once, the title gets its "*", and the texture window shows the new picture. The screens are
// kept in app_test_output/ for a person to look at.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/main_frame.h"
#include "app/render_view.h"
#include "app/texture_viewer.h"
#include "app/viewer.h"
#include "app/wx_text.h"
#include "image/texture_pixels.h"
#include "tests/app/gui_session.h"
#include "tests/fixtures/temp_dir.h"

namespace vertigon {
namespace {

using testing::CaptureNextFrame;
using testing::RunUntil;

long DifferingPixels(const RgbImage& a, const RgbImage& b) {
    long count = 0;
    for (int y = 0; y < a.height && y < b.height; ++y) {
        for (int x = 0; x < a.width && x < b.width; ++x) count += a.At(x, y) != b.At(x, y);
    }
    return count;
}

TEST(ViewerRetexture, AReplacedTextureShowsAtOnceInEverySample) {
    REQUIRE_GUI();
    for (const std::string name : {"demo.ffb", "mdlx_sample.mdlx", "winged_totem.raw"}) {
        SCOPED_TRACE(name);
        testing::TempDir dir;
        const std::string path = (dir.path() / name).string();
        std::filesystem::copy_file(testing::SamplePath(name), path);
        Viewer viewer;
        ASSERT_TRUE(viewer.Start({path}));
        viewer.ShowTextureViewer();
        ASSERT_TRUE(viewer.textureViewer());
        const RgbImage before = CaptureNextFrame(*viewer.view());
        const std::string stem = std::filesystem::path(name).stem().string();
        testing::SaveScreen("retexture_" + stem + "_before");

        const Texture& texture = viewer.state().currentModel()->textures[0];
        std::vector<uint8_t> rgba = SwapRedBlue(texture.pixels);
        for (size_t i = 0; i + 3 < rgba.size(); i += 4) {
            const uint8_t red = rgba[i];
            rgba[i] = rgba[i + 2];
            rgba[i + 2] = rgba[i + 1];
            rgba[i + 1] = red;
        }
        std::string message;
        ASSERT_TRUE(viewer.state().ReplaceTexture(0, "turned.png", texture.width, texture.height, rgba, &message))
            << message;
        const RgbImage after = CaptureNextFrame(*viewer.view());
        RunUntil([] { return false; }, std::chrono::milliseconds(300));
        testing::SaveScreen("retexture_" + stem + "_after");
        EXPECT_GT(DifferingPixels(before, after), 1000);
        EXPECT_EQ(std::string(viewer.frame()->GetTitle().utf8_str()).substr(0, 1 + name.size()), "*" + name);

        std::string failure;
        ASSERT_TRUE(viewer.state().SaveModelAs(path, &failure)) << failure;
        EXPECT_EQ(std::string(viewer.frame()->GetTitle().utf8_str()).substr(0, name.size()), name);
        EXPECT_TRUE(testing::CloseViewer(viewer));
    }
}

}  // namespace
}  // namespace vertigon
