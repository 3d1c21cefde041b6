// vertigon-cli textures, run as a user would: one RGBA PNG per texture with the model's pixels,
// and the exit statuses of info.
#include <png.h>

#include <cstring>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "formats/workspace.h"
#include "tests/fixtures/cli_runner.h"
#include "tests/fixtures/temp_dir.h"

namespace vertigon {
namespace {

namespace fs = std::filesystem;

const std::string kRaw = std::string(VERTIGON_SOURCE_DIR) + "/samples/winged_totem.raw";

testing::CliResult RunCli(const std::string& arguments) {
    return testing::RunCommandLine(std::string(VERTIGON_CLI_PATH) + " " + arguments);
}

// The PNG's pixels as R, G, B, A.
std::vector<uint8_t> ReadRgbaPng(const fs::path& path, int* width, int* height) {
    png_image png;
    std::memset(&png, 0, sizeof png);
    png.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&png, path.c_str())) return {};
    png.format = PNG_FORMAT_RGBA;
    std::vector<uint8_t> pixels(PNG_IMAGE_SIZE(png));
    const bool ok = png_image_finish_read(&png, nullptr, pixels.data(), 0, nullptr) != 0;
    *width = static_cast<int>(png.width);
    *height = static_cast<int>(png.height);
    png_image_free(&png);
    return ok ? pixels : std::vector<uint8_t>{};
}

TEST(CliTextures, EveryTextureIsItsPixelsAsRgba) {
    testing::TempDir dir;
    const fs::path out = dir.path() / "textures";
    ASSERT_EQ(RunCli("textures " + kRaw + " -o " + out.string()).status, 0);
    Workspace workspace;
    const Model* model = workspace.registry().OpenModel(kRaw);
    ASSERT_TRUE(model);
    ASSERT_EQ(model->textureCount(), 4);
    EXPECT_EQ(std::distance(fs::directory_iterator(out), fs::directory_iterator()), 4);
    for (int i = 0; i < model->textureCount(); ++i) {
        const Texture& texture = model->textures[static_cast<size_t>(i)];
        int width = 0, height = 0;
        const std::vector<uint8_t> rgba = ReadRgbaPng(out / ("winged_totem_00" + std::to_string(i) + ".png"), &width, &height);
        ASSERT_EQ(rgba.size(), texture.pixels.size()) << i;
        EXPECT_EQ(width, texture.width);
        EXPECT_EQ(height, texture.height);
        size_t differing = 0;
        for (size_t p = 0; p < rgba.size(); p += 4) {
            const uint8_t* bgra = &texture.pixels[p];
            differing += rgba[p] != bgra[2] || rgba[p + 1] != bgra[1] || rgba[p + 2] != bgra[0] || rgba[p + 3] != bgra[3];
        }
        EXPECT_EQ(differing, 0u) << "texture " << i;
    }

    EXPECT_EQ(RunCli("textures " + dir.Write("a.mset", std::string("x")) + " -o " + out.string()).status, 2);
    EXPECT_EQ(RunCli("textures " + (dir.path() / "missing.raw").string() + " -o " + out.string()).status, 1);
    EXPECT_EQ(RunCli("textures " + kRaw).status, 64);
}

}  // namespace
}  // namespace vertigon
