// The MDLX model as a whole: archive entries, skeleton, record layout, the loader's file path
// and its companion file.
#include <gtest/gtest.h>

#include <filesystem>

#include "formats/mdlx/mdlx_loader.h"
#include "formats/registry.h"
#include "formats/workspace.h"
#include "tests/fixtures/temp_dir.h"
#include "tests/formats/mdlx_test_support.h"

namespace vertigon {
namespace {

using testing::MdlxDescription;

MdlxDescription SmallModel() {
    MdlxDescription d;
    d.bones = {{-1, {1, 1, 1}, {0, 0, 0}, {0, 0, 0}},
               {0, {2, 0.5f, 1}, {0.3f, -1.2f, 2.5f}, {10, 20, -30}},
               {1, {1, 1, 1}, {kPi, 0, 0}, {0, 5, 0}}};
    const std::vector<Vec4> positions = {{1, 2, 3, 1}, {4, 5, 6, 1}, {7, 8, 9, 1}};
    d.subparts = {{0x13, 0, {testing::OneBonePacket(2, positions, testing::TriangleStrip(3))}}};
    d.textures = {testing::UniformTexture(64, 2, 3)};
    d.palettes = {testing::GreyPalette()};
    return d;
}

TEST(MdlxModel, SkeletonComesFromTheBoneTable) {
    const auto model = testing::LoadMdlx(SmallModel());
    ASSERT_EQ(model->boneCount(), 3);
    const Bone& b = model->bones[1];
    EXPECT_EQ(model->bones[0].parent, -1);
    EXPECT_EQ(b.parent, 0);
    EXPECT_EQ(model->bones[2].parent, 1);
    EXPECT_EQ(b.scale.x, 2.0f);
    EXPECT_EQ(b.scale.y, 0.5f);
    EXPECT_EQ(b.scale.z, 1.0f);
    EXPECT_EQ(b.translation.x, 10.0f);
    EXPECT_EQ(b.translation.y, 20.0f);
    EXPECT_EQ(b.translation.z, -30.0f);
    EXPECT_EQ(b.rotation, QuatFromEuler(0.3f, -1.2f, 2.5f));
    EXPECT_EQ(model->bones[0].rotation, (Quat{0, 0, 0, 1}));
}

TEST(MdlxModel, OneLodOfOneShapeAndNoAnimations) {
    const auto model = testing::LoadMdlx(SmallModel());
    ASSERT_EQ(model->lodCount(), 1);
    const Lod& lod = model->lods[0];
    EXPECT_EQ(lod.name, "Unamed shape");
    ASSERT_EQ(lod.shapes.size(), 1u);
    ASSERT_EQ(lod.drawGroups.size(), 1u);
    EXPECT_EQ(lod.drawGroups[0].shapeIndices, std::vector<int32_t>{0});
    EXPECT_EQ(lod.shapes[0].normalCount(), 0);
    EXPECT_EQ(model->animationGroupCount(), 0);
    EXPECT_EQ(model->placement.orientation, (Quat{0, 0, 0, 0}));
    EXPECT_EQ(model->placement.scale.x, 1.0f);
}

TEST(MdlxModel, APaxEntryIsReadFurtherOn) {
    MdlxDescription d = SmallModel();
    d.pax = true;
    testing::MdlxLayout layout;
    const std::vector<uint8_t> file = testing::WriteMdlx(d, &layout);
    EXPECT_EQ(layout.skeletonHeader, layout.modelEntry + 64 + 0x90);
    EXPECT_EQ(layout.geometryHeader, layout.modelEntry + 80 + 0x90);
    GsMemoryImage gs;
    const auto pax = mdlx::BuildModel(file, gs);
    const auto plain = testing::LoadMdlx(SmallModel());
    ASSERT_EQ(pax->boneCount(), 3);
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(pax->bones[i].parent, plain->bones[i].parent);
        EXPECT_EQ(pax->bones[i].translation, plain->bones[i].translation);
    }
    const Shape& shape = testing::OnlyShape(*pax);
    ASSERT_EQ(shape.positionSingles.size(), 3u);
    EXPECT_EQ(shape.positionSingles[2].value, (Vec4{7, 8, 9, 1}));
    EXPECT_EQ(shape.positionSingles[2].bone, 2);
    EXPECT_TRUE(shape.batches.at(0).materials.at(0).translucent);
}

TEST(MdlxLoader, OpensThroughTheRegistryWithOrWithoutACompanion) {
    testing::TempDir dir;
    const std::vector<uint8_t> bytes = testing::WriteMdlx(SmallModel());
    Workspace workspace;
    LoaderRegistry& registry = workspace.registry();
    // No companion; a companion of any content; a companion that cannot be read (a folder);
    // a path without any '.' whose companion is "<path>.mset"; a very long path.
    const std::string alone = dir.Write("alone.mdlx", bytes);
    const std::string paired = dir.Write("paired.mdlx", bytes);
    dir.Write("paired.mset", std::string("not an animation"));
    const std::string folder = dir.Write("folder.mdlx", bytes);
    std::filesystem::create_directory(dir.path() / "folder.mset");
    const std::string bare = dir.Write("bare", bytes);
    dir.Write("bare.mset", std::string("x"));
    const std::string longName = dir.Write(std::string(200, 'd') + "/" + std::string(200, 'n') + ".mdlx", bytes);
    for (const std::string& path : {alone, paired, folder, bare, longName}) {
        LoadFailure failure;
        Model* model = registry.OpenModel(path, &failure);
        ASSERT_NE(model, nullptr) << path << ": " << failure.message;
        EXPECT_EQ(model->animationGroupCount(), 0);
        EXPECT_EQ(model->boneCount(), 3);
        EXPECT_EQ(model->textureCount(), 1);
    }
}

TEST(MdlxLoader, AMalformedFileGivesNoModelAndAReason) {
    testing::TempDir dir;
    std::vector<uint8_t> bytes = testing::WriteMdlx(SmallModel());
    bytes.resize(bytes.size() / 2);
    Workspace workspace;
    LoaderRegistry& registry = workspace.registry();
    LoadFailure failure;
    EXPECT_EQ(registry.OpenModel(dir.Write("half.mdlx", bytes), &failure), nullptr);
    EXPECT_EQ(failure.reason, LoadFailure::Reason::Malformed);
    EXPECT_FALSE(failure.message.empty());
    EXPECT_TRUE(registry.models().empty());
}

}  // namespace
}  // namespace vertigon
