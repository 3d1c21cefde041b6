// The bundled MDLX sample stays what its generator writes, and loads as the figure it describes.
#include <gtest/gtest.h>

#include <algorithm>

#include "formats/file_io.h"
#include "formats/mdlx/mdlx_model.h"
#include "tests/fixtures/mdlx_sample.h"

namespace vertigon {
namespace {

const std::string kSamplePath = std::string(VERTIGON_SOURCE_DIR) + "/samples/" + testing::kMdlxSampleFileName;

TEST(MdlxSample, TheCommittedFileIsWhatTheGeneratorWrites) {
    const std::vector<uint8_t> committed = ReadWholeFile(kSamplePath);
    const std::vector<uint8_t> generated = testing::MdlxSampleFile();
    ASSERT_EQ(committed.size(), generated.size()) << "run scripts/make_samples.sh";
    EXPECT_TRUE(committed == generated) << "run scripts/make_samples.sh";
}

TEST(MdlxSample, HoldsWeightedAndPlainVerticesTwoTexturesAndATranslucentPart) {
    const auto model = BuildMdlxModel(testing::MdlxSampleFile());
    EXPECT_EQ(model->boneCount(), 5);
    EXPECT_EQ(model->textureCount(), 2);
    const Shape& shape = model->lods.at(0).shapes.at(0);
    EXPECT_GT(shape.positionSingles.size(), 0u);
    EXPECT_GT(shape.positionGroups.size(), 0u);
    ASSERT_EQ(shape.batchCount(), 3);
    EXPECT_EQ(std::count_if(shape.batches.begin(), shape.batches.end(),
                            [](const Batch& b) { return b.materials.at(0).translucent; }),
              1);
    for (const Batch& batch : shape.batches) EXPECT_GT(batch.triangleCount(), 0);
}

}  // namespace
}  // namespace vertigon
