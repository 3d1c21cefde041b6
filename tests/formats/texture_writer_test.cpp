// Writing textures back into model files of every format: what reads back, what else changes,
// and what is said about textures that share an image or a palette.
#include "formats/texture_writer.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include <gtest/gtest.h>

#include "formats/ffb/ffb_archive.h"
#include "formats/registry.h"
#include "formats/workspace.h"
#include "image/texture_pixels.h"
#include "tests/fixtures/ffb_demo_sample.h"
#include "tests/fixtures/ffb_fixtures.h"
#include "tests/fixtures/ffb_writer.h"
#include "tests/fixtures/mdls_writer.h"
#include "tests/fixtures/mdlx_sample.h"
#include "tests/fixtures/raw_models.h"
#include "tests/fixtures/raw_sample.h"
#include "tests/fixtures/raw_writer.h"
#include "tests/formats/load_support.h"

namespace vertigon {
namespace {

using testing::NoImageSearch;

struct ModelFile {
    std::string name;
    std::string loader;  // GetName of the loader that reads it
    std::vector<uint8_t> bytes;
};

std::vector<uint8_t> Sample(const std::string& name) {
    std::ifstream in(std::string(VERTIGON_SOURCE_DIR) + "/samples/" + name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Two textures of their own palettes: a 16 x 8 ramp and a 4 x 4.
std::vector<uint8_t> MdlsWithTwoTextures() {
    testing::MdlsDescription d;
    d.bones.resize(1);
    testing::MdlsTexture ramp{16, 8, {}, {}};
    testing::MdlsTexture small{4, 4, std::vector<uint8_t>(16, 3), {}};
    for (size_t i = 0; i < 128; ++i) ramp.indices.push_back(static_cast<uint8_t>(i * 2));
    for (size_t j = 0; j < 256; ++j) {
        ramp.palette[j] = {uint8_t(j), uint8_t(255 - j), 0x20, uint8_t(j % 129)};
        small.palette[j] = {0x30, uint8_t(j), 0x40, 0x80};
    }
    d.textures = {ramp, small};
    return testing::WriteMdls(d);
}

// Texture 0: image 0 with palette 0; 1: image 0 with palette 1; 2: image 1 with palette 1.
std::vector<uint8_t> FfbSharingImageAndPalette(bool gzip) {
    testing::FfmDesc d = testing::SmallFfmModel();
    d.palettes = {testing::RampPalette(), testing::RampPalette()};
    for (size_t i = 0; i < 1024; i += 4) d.palettes[1][i] = 0x11;
    d.images.push_back({8, 4, std::vector<uint8_t>(32, 9)});
    d.textures = {{0, 0, 8, 4}, {0, 1, 8, 4}, {1, 1, 8, 4}};
    const std::vector<uint8_t> tar = testing::PackTar({{"model.ffm", testing::WriteFfm(d)}});
    return gzip ? testing::Gzip(tar) : tar;
}

std::vector<ModelFile> EveryModel() {
    return {
        {"demo.ffb", "FfbLoader", Sample("demo.ffb")},
        {"mdlx_sample.mdlx", "MdlxLoader", Sample("mdlx_sample.mdlx")},
        {"winged_totem.raw", "RawLoader", Sample("winged_totem.raw")},
        {"small ffb", "FfbLoader", testing::SmallFfbArchive()},
        {"small ffb, gzip", "FfbLoader", testing::Gzip(testing::SmallFfbArchive())},
        {"sharing ffb, gzip", "FfbLoader", FfbSharingImageAndPalette(true)},
        {"still robot", "FfbLoader", testing::BuildStillRobot(4096)},
        {"built mdlx sample", "MdlxLoader", testing::MdlxSampleFile()},
        {"small raw", "RawLoader", testing::BuildRawFile(testing::SmallRawModel())},
        {"built raw sample", "RawLoader", testing::BuildRawSample()},
        {"mdls", "MdlsLoader", MdlsWithTwoTextures()},
    };
}

class TextureWriter : public ::testing::Test {
protected:
    TextureWriter() : workspace_(NoImageSearch()) {}

    std::unique_ptr<Model> Read(const ModelFile& file, std::span<const uint8_t> bytes) {
        ModelLoader* loader = workspace_.registry().FindLoaderByName(file.loader);
        LoadFailure failure;
        auto model = workspace_.registry().LoadFromMemory(*loader, ModelBytes{bytes}, &failure);
        if (!model) throw std::runtime_error(failure.message);
        return model;
    }

    RetexturedFile Retexture(const ModelFile& file, const std::vector<TextureReplacement>& replacements) {
        const auto model = Read(file, file.bytes);
        const std::string format = file.loader.substr(0, file.loader.size() - 6);  // "FfbLoader" -> "Ffb"
        std::string upper;
        for (char c : format) upper += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        return RetextureModelFile(upper, file.bytes, *model, replacements,
                                  [&](std::span<const uint8_t> bytes) { return Read(file, bytes); });
    }

    static TextureReplacement Picture(const Model& model, int32_t t, std::vector<uint8_t> rgba) {
        const Texture& texture = model.textures[static_cast<size_t>(t)];
        return {t, "picture " + std::to_string(t), texture.width, texture.height, std::move(rgba)};
    }

    static std::vector<uint8_t> AsShown(const Model& model, int32_t t) {
        return SwapRedBlue(model.textures[static_cast<size_t>(t)].pixels);
    }

    Workspace workspace_;
};

// The uncompressed bytes (an FFB archive inflated) so that changes can be counted.
std::vector<uint8_t> Plain(const std::vector<uint8_t>& bytes) {
    return ffb::IsGzipArchive(bytes) ? ffb::InflateArchive(bytes, "test") : bytes;
}

TEST_F(TextureWriter, UnchangedPicturesGiveTheSameFileByteForByte) {
    for (const ModelFile& file : EveryModel()) {
        SCOPED_TRACE(file.name);
        const auto model = Read(file, file.bytes);
        ASSERT_GT(model->textureCount(), 0);
        std::vector<TextureReplacement> all;
        for (int32_t t = 0; t < model->textureCount(); ++t) {
            if (!model->textures[static_cast<size_t>(t)].pixels.empty()) all.push_back(Picture(*model, t, AsShown(*model, t)));
        }
        EXPECT_EQ(Retexture(file, all).bytes, file.bytes);
    }
}

// Each texture in turn gets its colours inverted (alpha kept): with a palette of its own it
// reads back exactly; textures sharing nothing with it stay as they were; only about an image
// and a palette's worth of bytes change.
TEST_F(TextureWriter, ARecolouredTextureReadsBackAndLeavesTheRestAlone) {
    for (const ModelFile& file : EveryModel()) {
        const auto model = Read(file, file.bytes);
        for (int32_t t = 0; t < model->textureCount(); ++t) {
            SCOPED_TRACE(file.name + ", texture " + std::to_string(t));
            std::vector<uint8_t> rgba = AsShown(*model, t);
            if (rgba.empty()) continue;
            for (size_t i = 0; i < rgba.size(); ++i) rgba[i] = i % 4 == 3 ? rgba[i] : static_cast<uint8_t>(255 - rgba[i]);
            const RetexturedFile result = Retexture(file, {Picture(*model, t, rgba)});
            const auto written = Read(file, result.bytes);
            ASSERT_EQ(written->textureCount(), model->textureCount());

            const std::string& note = result.notes.at(0);
            const bool paletteKept = note.find("its palette is also used by") != std::string::npos;
            if (!paletteKept) {
                EXPECT_EQ(AsShown(*written, t), rgba);
            }
            const bool imageShared = std::any_of(result.notes.begin(), result.notes.end(), [](const std::string& n) {
                return n.find("its index image is also used by") != std::string::npos;
            });
            for (int32_t u = 0; u < model->textureCount(); ++u) {
                if (u != t && !imageShared) {
                    EXPECT_EQ(written->textures[size_t(u)].pixels, model->textures[size_t(u)].pixels) << u;
                }
            }

            const std::vector<uint8_t> before = Plain(file.bytes), after = Plain(result.bytes);
            ASSERT_EQ(before.size(), after.size());
            size_t changed = 0;
            for (size_t i = 0; i < before.size(); ++i) changed += before[i] != after[i];
            EXPECT_LE(changed, rgba.size() / 4 + 1024);
            EXPECT_EQ(ffb::IsGzipArchive(result.bytes), ffb::IsGzipArchive(file.bytes));
        }
    }
}

TEST_F(TextureWriter, APictureOfManyColoursIsQuantizedOntoItsOwnPalette) {
    const ModelFile file{"mdls", "MdlsLoader", MdlsWithTwoTextures()};
    std::vector<uint8_t> rgba;
    for (int i = 0; i < 128; ++i) {
        rgba.insert(rgba.end(), {uint8_t(i * 2), uint8_t(255 - i), uint8_t(i), 255});
    }
    // 128 colours fit exactly; an alpha of 2 does not, as (a x 255) >> 7 never gives it.
    const auto model = Read(file, file.bytes);
    RetexturedFile exact = Retexture(file, {Picture(*model, 0, rgba)});
    EXPECT_EQ(exact.notes.at(0), "texture 0: replaced exactly");
    EXPECT_EQ(AsShown(*exact.model, 0), rgba);

    rgba[3] = 2;
    RetexturedFile quantized = Retexture(file, {Picture(*model, 0, rgba)});
    EXPECT_NE(quantized.notes.at(0).find("quantized with quality"), std::string::npos) << quantized.notes.at(0);
    const std::vector<uint8_t> shown = AsShown(*quantized.model, 0);
    int worst = 0;
    for (size_t i = 0; i < rgba.size(); ++i) worst = std::max(worst, std::abs(shown[i] - rgba[i]));
    EXPECT_LE(worst, 16);
    EXPECT_NE(shown[3], 2);  // only storable alphas
}

TEST_F(TextureWriter, SharedPalettesStayAndSharedImagesChangeForEveryTexture) {
    for (bool gzip : {false, true}) {
        const ModelFile file{"sharing ffb", "FfbLoader", FfbSharingImageAndPalette(gzip)};
        const auto model = Read(file, file.bytes);
        // Texture 1 shares its image with 0 and its palette with 2.
        std::vector<uint8_t> rgba = AsShown(*model, 2);  // colours all in palette 1
        const RetexturedFile result = Retexture(file, {Picture(*model, 1, rgba)});
        ASSERT_EQ(result.notes.size(), 2u);
        EXPECT_EQ(result.notes[0],
                  "texture 1: its palette is also used by texture 2, so it stays as it is and the picture is mapped "
                  "onto it exactly");
        EXPECT_EQ(result.notes[1], "texture 1: its index image is also used by texture 0, which change with it");
        EXPECT_EQ(AsShown(*result.model, 1), rgba);
        EXPECT_EQ(result.model->textures[2].pixels, model->textures[2].pixels);
        EXPECT_NE(result.model->textures[0].pixels, model->textures[0].pixels);
        EXPECT_EQ(ffb::IsGzipArchive(result.bytes), gzip);
    }

    // RAW: every image with every palette, so both are always shared.
    const ModelFile raw{"raw sample", "RawLoader", Sample("winged_totem.raw")};
    const auto model = Read(raw, raw.bytes);
    ASSERT_EQ(model->textureCount(), 4);  // 2 images x 2 palettes
    std::vector<uint8_t> rgba(AsShown(*model, 0).size(), 0);
    const RetexturedFile result = Retexture(raw, {Picture(*model, 0, rgba)});
    ASSERT_EQ(result.notes.size(), 2u);
    EXPECT_NE(result.notes[0].find("texture 0: its palette is also used by texture 2, so it stays as it is and the "
                                   "picture is mapped onto it with quality"),
              std::string::npos)
        << result.notes[0];
    EXPECT_EQ(result.notes[1], "texture 0: its index image is also used by texture 1, which change with it");
    EXPECT_EQ(result.model->textures[2].pixels, model->textures[2].pixels);
    EXPECT_EQ(result.model->textures[3].pixels, model->textures[3].pixels);
}

TEST_F(TextureWriter, RefusesWhatItCannotWrite) {
    const ModelFile file{"mdls", "MdlsLoader", MdlsWithTwoTextures()};
    const auto model = Read(file, file.bytes);
    const auto refusal = [&](std::vector<TextureReplacement> r) {
        try {
            Retexture(file, r);
        } catch (const TextureWriteError& e) {
            return std::string(e.what());
        }
        return std::string("accepted");
    };
    TextureReplacement wrongSize = Picture(*model, 1, std::vector<uint8_t>(8 * 2 * 4, 0));
    wrongSize.width = 8;
    wrongSize.height = 2;
    EXPECT_EQ(refusal({wrongSize}), "picture 1 is 8 x 2 pixels; texture 1 is 4 x 4");
    EXPECT_EQ(refusal({Picture(*model, 0, AsShown(*model, 0)), {2, "p", 4, 4, std::vector<uint8_t>(64, 0)}}),
              "there is no texture 2: the model has 2 textures");
    EXPECT_EQ(refusal({Picture(*model, 1, AsShown(*model, 1)), Picture(*model, 1, AsShown(*model, 1))}),
              "texture 1 is named more than once");
}

}  // namespace
}  // namespace vertigon
