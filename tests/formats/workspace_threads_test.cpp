// Two workspaces in two threads load, animate and skin their own models, MDLS animations run in
// each one's own emulator, and get exactly what one after the other gets.
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "formats/workspace.h"
#include "render/skinning.h"
#include "scene/scene_graph.h"
#include "tests/ee/ee_machine.h"
#include "tests/fixtures/ee_test_image.h"
#include "tests/fixtures/ffb_fixtures.h"
#include "tests/fixtures/ffb_writer.h"
#include "tests/formats/mdls_test_support.h"

namespace vertigon {
namespace {

using namespace testing;

struct ModelFile {
    const char* loader;
    std::vector<uint8_t> file;
    std::vector<uint8_t> companion;  // empty: none
};

ModelFile MdlsWalk(float timeScale, float velocity) {
    MdlsDescription d;
    d.bones.resize(3);
    MdlsStream stream;
    stream.Slot(0, 1).Slot(1, 2).Vertices(1, {At(1, 2, 3, 0), At(4, 5, 6, 1), At(7, 8, 9, 2)}).End();
    d.meshes.push_back(Mesh(0, stream));
    TestAnimation walk;
    walk.timeScale = timeScale;
    walk.bones.resize(3);
    walk.bones[0].velocity = {0, velocity, 0, 0};
    walk.bones[2].velocity = {-velocity, 0, 0, 0};
    const std::vector<uint8_t> block = WriteTestAnimationBlock(walk);
    MsetDescription m;
    m.offsets = {0x40};
    m.blocks = {{0x40, block}};
    m.bytesAfterList = 0x40 + static_cast<uint32_t>(block.size());
    return {"MdlsLoader", WriteMdls(d), WriteMset(m)};
}

// Every bone world matrix and every skinned position of every redraw, in order.
std::vector<float> Play(Workspace& workspace, const ModelFile& source, int frames) {
    ModelBytes bytes{source.file};
    if (!source.companion.empty()) bytes.companion = source.companion;
    LoaderRegistry& registry = workspace.registry();
    LoadFailure failure;
    const std::unique_ptr<Model> model =
        registry.LoadFromMemory(*registry.FindLoaderByName(source.loader), bytes, &failure);
    EXPECT_NE(model, nullptr) << failure.message;
    if (!model) return {};
    std::vector<float> trace;
    {
        Scene scene;
        scene.CreateRootAndCamera();
        ModelEntry& entry = *scene.root->AddChild(std::make_unique<ModelEntry>(*model));
        for (int32_t group = 0; group < model->animationGroupCount(); ++group) {
            if (model->animationGroups[static_cast<size_t>(group)].animationCount() == 0) continue;
            entry.SelectAnimation(group, 0);
            break;
        }
        EXPECT_TRUE(entry.playing) << source.loader;
        for (int frame = 0; frame < frames; ++frame) {
            scene.UpdateTree(0.75f);
            for (const Bone& bone : entry.bones) trace.insert(trace.end(), &bone.world.m[0][0], &bone.world.m[0][0] + 16);
            for (const Shape& shape : model->lods.at(0).shapes) {
                std::vector<Vec4> skinned(static_cast<size_t>(shape.positionCount()));
                SkinPositions(shape, entry.bones, skinned);
                for (const Vec4& p : skinned) trace.insert(trace.end(), {p.x, p.y, p.z, p.w});
            }
        }
    }
    return trace;
}

// One workspace over the test program image playing its files one after the other.
std::vector<std::vector<float>> Job(const std::vector<ModelFile>& files) {
    Workspace workspace(TestProgramImage(), StatusSink({}, nullptr));
    EXPECT_NE(workspace.emulator().routines(), nullptr);
    std::vector<std::vector<float>> traces;
    for (const ModelFile& file : files) traces.push_back(Play(workspace, file, 12));
    return traces;
}

TEST(WorkspaceThreads, TwoWorkspacesInTwoThreadsMatchOneAfterTheOther) {
    SKIP_WITHOUT_MIPS_TOOLS();
    const std::vector<ModelFile> first = {MdlsWalk(4.0f, 8.0f)};
    const std::vector<ModelFile> second = {{"FfbLoader", Gzip(SmallFfbArchive()), {}}, MdlsWalk(2.0f, -3.0f)};
    const auto firstAlone = Job(first);
    const auto secondAlone = Job(second);
    ASSERT_FALSE(firstAlone.at(0).empty());
    ASSERT_NE(firstAlone.at(0), secondAlone.at(1)) << "the two MDLS animations differ";

    std::vector<std::vector<float>> firstBeside, secondBeside;
    std::thread a([&] { firstBeside = Job(first); });
    std::thread b([&] { secondBeside = Job(second); });
    a.join();
    b.join();
    EXPECT_EQ(firstBeside, firstAlone);
    EXPECT_EQ(secondBeside, secondAlone);
}

}  // namespace
}  // namespace vertigon
