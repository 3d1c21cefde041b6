// vertigon-cli thumbnail as a file manager runs it: every sample comes out square, framed as
// render --fit frames it, with the background transparent, and refused files leave no picture.
#include <png.h>

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "render/rgb_image.h"
#include "tests/fixtures/cli_runner.h"
#include "tests/fixtures/ffb_demo_sample.h"
#include "tests/fixtures/mdlx_sample.h"
#include "tests/fixtures/raw_sample.h"
#include "tests/fixtures/temp_dir.h"

namespace vertigon {
namespace {

using namespace testing;

CliResult RunCli(const std::string& arguments) {
    return RunCommandLine(std::string(VERTIGON_CLI_PATH) + " " + arguments);
}

std::string Sample(const char* name) { return std::string(VERTIGON_SOURCE_DIR) + "/samples/" + name; }

RgbaImage ReadPng(const std::string& path) {
    png_image png;
    std::memset(&png, 0, sizeof png);
    png.version = PNG_IMAGE_VERSION;
    RgbaImage image;
    if (!png_image_begin_read_from_file(&png, path.c_str())) return image;
    png.format = PNG_FORMAT_RGBA;
    image.pixels.resize(PNG_IMAGE_SIZE(png));
    if (png_image_finish_read(&png, nullptr, image.pixels.data(), 0, nullptr)) {
        image.width = static_cast<int>(png.width);
        image.height = static_cast<int>(png.height);
    }
    png_image_free(&png);
    return image;
}

TEST(Thumbnail, EverySampleIsTheFittedFrameOnATransparentSquare) {
    constexpr int kSize = 96;
    TempDir dir;
    for (const char* name : {kDemoSampleName, kMdlxSampleFileName, kRawSampleName}) {
        SCOPED_TRACE(name);
        const std::string thumbnailPath = (dir.path() / "thumbnail.png").string();
        const std::string framePath = (dir.path() / "frame.png").string();
        const std::string size = std::to_string(kSize);
        ASSERT_EQ(RunCli("thumbnail " + Sample(name) + " " + thumbnailPath + " --size " + size).status, 0);
        ASSERT_EQ(RunCli("render " + Sample(name) + " --fit --size " + size + "x" + size + " -o " + framePath).status, 0);
        const RgbaImage thumbnail = ReadPng(thumbnailPath);
        const RgbaImage frame = ReadPng(framePath);  // over the viewer's grey
        ASSERT_EQ(thumbnail.width, kSize);
        ASSERT_EQ(thumbnail.height, kSize);
        for (const auto& [x, y] : {std::pair{0, 0}, {kSize - 1, 0}, {0, kSize - 1}, {kSize - 1, kSize - 1}}) {
            EXPECT_EQ(thumbnail.At(x, y)[3], 0) << "corner " << x << "," << y;
        }
        // Laid over the same grey, the thumbnail is the fitted frame: the model's own colours
        // where it stands, partial cover at its edges.
        int covered = 0, differing = 0;
        for (int y = 0; y < kSize; ++y) {
            for (int x = 0; x < kSize; ++x) {
                const auto t = thumbnail.At(x, y);
                const auto f = frame.At(x, y);
                if (t[3] == 255) ++covered;
                for (int c = 0; c < 3; ++c) {
                    const int over = (t[c] * t[3] + 127 * (255 - t[3]) + 127) / 255;
                    if (std::abs(over - f[c]) > 3) {
                        ++differing;
                        break;
                    }
                }
            }
        }
        EXPECT_EQ(differing, 0);
        EXPECT_GT(covered, kSize * kSize / 20) << "the model fills a good part of the square";
        EXPECT_EQ(thumbnail.At(kSize / 2, kSize / 2)[3], 255) << "the middle is the model";
    }
}

TEST(Thumbnail, DefaultSizeAndRefusals) {
    TempDir dir;
    const std::string out = (dir.path() / "out.png").string();
    ASSERT_EQ(RunCli("thumbnail " + Sample(kDemoSampleName) + " " + out).status, 0);
    EXPECT_EQ(ReadPng(out).width, 256);
    std::filesystem::remove(out);

    EXPECT_EQ(RunCli("thumbnail " + dir.Write("notes.txt", std::string("x")) + " " + out).status, 2);
    EXPECT_EQ(RunCli("thumbnail " + dir.Write("alone.mset", std::string("x")) + " " + out).status, 2);
    std::ifstream sample(Sample(kDemoSampleName), std::ios::binary);
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(sample)), std::istreambuf_iterator<char>());
    bytes.resize(bytes.size() / 2);
    EXPECT_EQ(RunCli("thumbnail " + dir.Write("cut.ffb", bytes) + " " + out).status, 1);
    EXPECT_FALSE(std::filesystem::exists(out)) << "a refused file leaves no picture";

    EXPECT_EQ(RunCli("thumbnail " + Sample(kDemoSampleName) + " " + out + " --size 0").status, 64);
    EXPECT_EQ(RunCli("thumbnail " + Sample(kDemoSampleName)).status, 64);
}

}  // namespace
}  // namespace vertigon
