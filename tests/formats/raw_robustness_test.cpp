// Damaged RAW files load or are refused; a model that loads never points outside itself.
#include <gtest/gtest.h>

#include "formats/load_error.h"
#include "formats/raw/raw_loader.h"
#include "tests/fixtures/raw_models.h"

namespace vertigon {
namespace {

// Every index the scene and renderer follow stays inside the model.
void ExpectConsistent(const Model& model, const std::string& context) {
    SCOPED_TRACE(context);
    for (const Texture& t : model.textures) {
        ASSERT_EQ(t.pixels.size(), static_cast<size_t>(t.width) * t.height * 4);
    }
    ASSERT_LE(model.lodCount(), 4);
    for (const Lod& lod : model.lods) {
        for (const DrawGroup& group : lod.drawGroups) {
            for (int32_t s : group.shapeIndices) ASSERT_LT(static_cast<size_t>(s), lod.shapes.size());
        }
        for (const Shape& shape : lod.shapes) {
            ASSERT_EQ(shape.positionSingles.size(), shape.normalSingles.size());
            for (const Batch& batch : shape.batches) {
                ASSERT_EQ(batch.materialCount(), 4);
                for (const Material& m : batch.materials) {
                    ASSERT_EQ(m.hidden, !m.drawable);
                    if (!m.hidden) {
                        ASSERT_LT(m.textureIndex, model.textureCount());
                    }
                }
                for (const Triangle& t : batch.triangles) {
                    for (int c = 0; c < 3; ++c) {
                        ASSERT_LT(t.positionIndex[c], shape.positionCount());
                        ASSERT_LT(t.normalIndex[c], shape.normalCount());
                        ASSERT_GE(t.positionIndex[c], 0);
                    }
                }
            }
        }
    }
}

// Loads `bytes`; returns whether a model came out.
bool LoadsConsistently(GsMemoryImage& gs, const std::vector<uint8_t>& bytes, const std::string& context) {
    try {
        const auto model = raw::LoadModel(bytes, gs);
        ExpectConsistent(*model, context);
        return true;
    } catch (const LoadError&) {
        return false;
    }
}

TEST(RawRobustness, EveryTruncationIsRefused) {
    GsMemoryImage gs;
    const std::vector<uint8_t> file = testing::BuildRawFile(testing::SmallRawModel());
    ASSERT_TRUE(LoadsConsistently(gs, file, "whole file"));
    // The last palette runs to the final byte, so no shorter file holds a whole model.
    for (size_t length = 0; length < file.size(); ++length) {
        const std::vector<uint8_t> cut(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(length));
        EXPECT_FALSE(LoadsConsistently(gs, cut, "length " + std::to_string(length)));
    }
}

TEST(RawRobustness, SingleFlippedBytesLoadOrAreRefused) {
    GsMemoryImage gs;
    const std::vector<uint8_t> file = testing::BuildRawFile(testing::SmallRawModel());
    int loaded = 0, refused = 0;
    for (size_t at = 0; at < file.size(); ++at) {
        for (uint8_t mask : {uint8_t{0x01}, uint8_t{0x80}, uint8_t{0xFF}}) {
            std::vector<uint8_t> damaged = file;
            damaged[at] ^= mask;
            const std::string context = "byte " + std::to_string(at) + " ^ " + std::to_string(mask);
            (LoadsConsistently(gs, damaged, context) ? loaded : refused)++;
        }
    }
    // Most bytes are pixels and palette entries, which change colours only; some are offsets.
    EXPECT_GT(loaded, 0);
    EXPECT_GT(refused, 0);
}

}  // namespace
}  // namespace vertigon
