// The bundled MDLX sample holds what it is meant to show.
#include <gtest/gtest.h>

#include <algorithm>

#include "formats/mdlx/mdlx_model.h"
#include "tests/fixtures/mdlx_sample.h"

namespace vertigon {
namespace {

TEST(MdlxSampleContent, HoldsWeightedAndPlainVerticesTwoTexturesAndATranslucentPart) {
    GsMemoryImage gs;
    const auto model = mdlx::BuildModel(testing::MdlxSampleFile(), gs);
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
