// vertigon-cli retexture, run as a user would: the textures command's pictures put back give the
// very file, an edited picture comes back exactly with the geometry untouched, and bad input
// changes nothing.
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "image/png_codec.h"
#include "tests/fixtures/cli_runner.h"
#include "tests/fixtures/temp_dir.h"

namespace vertigon {
namespace {

namespace fs = std::filesystem;

const std::string kSamples = std::string(VERTIGON_SOURCE_DIR) + "/samples/";

testing::CliResult RunCli(const std::string& arguments) {
    return testing::RunCommandLine(std::string(VERTIGON_CLI_PATH) + " " + arguments);
}

std::vector<uint8_t> Bytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// "N=DIR/NAME_00N.png" for every picture the textures command wrote.
std::string EveryPicture(const fs::path& dir) {
    std::string arguments;
    for (const auto& entry : fs::directory_iterator(dir)) {
        const std::string stem = entry.path().stem().string();
        arguments += ' ';
        arguments += std::to_string(std::stoi(stem.substr(stem.rfind('_') + 1)));
        arguments += '=';
        arguments += entry.path().string();
    }
    return arguments;
}

// info --full without the textures' sizes and checksums.
nlohmann::json Geometry(const std::string& model) {
    nlohmann::json info = nlohmann::json::parse(RunCli("info --full " + model).out);
    info.erase("path");
    info["model"].erase("textures");
    return info;
}

TEST(CliRetexture, ThePicturesOfTexturesPutBackGiveTheSameFile) {
    testing::TempDir dir;
    for (const std::string name : {"demo.ffb", "mdlx_sample.mdlx", "winged_totem.raw"}) {
        const fs::path pictures = dir.path() / name;
        ASSERT_EQ(RunCli("textures " + kSamples + name + " -o " + pictures.string()).status, 0);
        const fs::path out = dir.path() / ("out_" + name);
        const auto result = RunCli("retexture " + kSamples + name + " -o " + out.string() + EveryPicture(pictures));
        ASSERT_EQ(result.status, 0) << result.err;
        EXPECT_EQ(Bytes(out), Bytes(kSamples + name)) << name;
    }
}

// The edit is written over the model itself: texture 1 of the MDLX sample with its colours
// inverted comes back exactly; texture 0 and the geometry are untouched.
TEST(CliRetexture, AnEditedPictureComesBackExactlyInPlace) {
    testing::TempDir dir;
    const std::string model = (dir.path() / "edited.mdlx").string();
    fs::copy_file(kSamples + "mdlx_sample.mdlx", model);
    ASSERT_EQ(RunCli("textures " + model + " -o " + (dir.path() / "before").string()).status, 0);
    RgbaPixels picture = ReadPngFile((dir.path() / "before" / "edited_001.png").string());
    for (size_t i = 0; i < picture.pixels.size(); ++i) {
        if (i % 4 != 3) picture.pixels[i] = static_cast<uint8_t>(255 - picture.pixels[i]);
    }
    const std::string edited = (dir.path() / "edited.png").string();
    WritePngFile(edited, picture.width, picture.height, 4, picture.pixels);

    const nlohmann::json geometry = Geometry(model);
    const auto result = RunCli("retexture " + model + " -o " + model + " 1=" + edited);
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "texture 1: replaced exactly\n");
    ASSERT_EQ(RunCli("textures " + model + " -o " + (dir.path() / "after").string()).status, 0);
    EXPECT_EQ(ReadPngFile((dir.path() / "after" / "edited_001.png").string()).pixels, picture.pixels);
    EXPECT_EQ(Bytes(dir.path() / "after" / "edited_000.png"), Bytes(dir.path() / "before" / "edited_000.png"));
    EXPECT_EQ(Geometry(model), geometry);
}

TEST(CliRetexture, BadInputIsRefusedAndNothingIsWritten) {
    testing::TempDir dir;
    const std::string model = kSamples + "mdlx_sample.mdlx";
    const std::string out = (dir.path() / "out.mdlx").string();
    const std::vector<uint8_t> grey(8 * 8 * 4, 128);
    const std::string small = (dir.path() / "small.png").string();
    WritePngFile(small, 8, 8, 4, grey);
    const std::string notPng = dir.Write("not.png", std::string("not a picture"));
    std::vector<uint8_t> cut = Bytes(model);
    cut.resize(64);
    const std::string broken = dir.Write("broken.mdlx", cut);

    const struct {
        std::string arguments;
        std::string message;
    } cases[] = {
        {model + " -o " + out + " 1=" + small, small + " is 8 x 8 pixels; texture 1 is 128 x 64"},
        {model + " -o " + out + " 7=" + small, "there is no texture 7: the model has 2 textures"},
        {model + " -o " + out + " 0=" + notPng, "not a PNG file"},
        {broken + " -o " + out + " 0=" + small, "MDLX"},
    };
    for (const auto& c : cases) {
        const auto result = RunCli("retexture " + c.arguments);
        EXPECT_EQ(result.status, 1) << c.arguments;
        EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
        EXPECT_FALSE(fs::exists(out));
    }
    // A picture that fits but an output that cannot be made.
    const std::string picture = (dir.path() / "p").string();
    ASSERT_EQ(RunCli("textures " + model + " -o " + picture).status, 0);
    RgbaPixels first = ReadPngFile(picture + "/mdlx_sample_000.png");
    first.pixels[0] ^= 0xFF;
    WritePngFile(picture + "/edited.png", first.width, first.height, 4, first.pixels);
    const auto unwritable = RunCli("retexture " + model + " -o " + (dir.path() / "missing" / "out.mdlx").string() +
                                   " 0=" + picture + "/edited.png");
    EXPECT_EQ(unwritable.status, 1);
    EXPECT_NE(unwritable.err.find("cannot write " + (dir.path() / "missing" / "out.mdlx").string()), std::string::npos) << unwritable.err;
    EXPECT_EQ(RunCli("retexture " + model + " -o " + out).status, 64);
}

}  // namespace
}  // namespace vertigon
