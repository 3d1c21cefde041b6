#include "scene/scene_graph.h"

#include <cmath>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace vertigon {
namespace {

// Records what the scene asks of a renderer, in order.
class RecordingRenderer final : public SceneRenderer {
public:
    class Record final : public LodRenderRecord {
    public:
        Record(RecordingRenderer& owner, ModelEntry& entry, int32_t lod) : owner_(owner), entry_(entry), lod_(lod) {}
        ~Record() override { owner_.calls.push_back("destroy " + std::to_string(lod_)); }
        void Skin() override {
            ++owner_.skins;
            // What the skinned pose would show: bone 0's translation row at skinning time.
            if (!entry_.bones.empty()) owner_.skinnedX = entry_.bones[0].world.m[3][0];
        }
        void Draw() override { owner_.calls.push_back("draw " + std::to_string(lod_)); }
        Bounds GetBounds() const override { return {}; }

    private:
        RecordingRenderer& owner_;
        ModelEntry& entry_;
        int32_t lod_;
    };

    std::unique_ptr<LodRenderRecord> CreateLodRecord(ModelEntry& entry, int32_t lodIndex) override {
        return std::make_unique<Record>(*this, entry, lodIndex);
    }
    void Clear(uint32_t argb, float depth, uint32_t stencil) override {
        clearColour = argb;
        calls.push_back("clear depth " + std::to_string(depth) + " stencil " + std::to_string(stencil));
    }
    void SetFrameStates() override { calls.push_back("states"); }
    void SetTransforms(const Mat4& w, const Mat4& v, const Mat4& p, const Vec3& e) override {
        world = w;
        view = v;
        projection = p;
        eye = e;
        calls.push_back("transforms");
    }
    void BeginScene() override { calls.push_back("begin"); }
    void EndScene() override { calls.push_back("end"); }
    void Present() override { calls.push_back("present"); }

    std::vector<std::string> calls;
    int skins = 0;
    float skinnedX = 0;
    uint32_t clearColour = 0;
    Mat4 world, view, projection;
    Vec3 eye;
};

// A model with `lods` empty Lods, one root bone and one group holding a two-frame clip that
// moves bone 0 from x = 0 to x = 10.
std::unique_ptr<Model> ClipModel(int lods = 1) {
    auto model = std::make_unique<Model>();
    model->lods.resize(static_cast<size_t>(lods));
    model->bones.resize(1);
    model->textures.resize(1);
    auto clip = std::make_unique<KeyframeAnimation>();
    clip->length = 2;
    clip->AllocateTracks(1);
    clip->tracks[0].translation.keys = {{{0, 0, 0, 0}, {}}, {{10, 0, 0, 0}, {}}};
    AnimationGroup group;
    group.animations.push_back(std::move(clip));
    model->animationGroups.push_back(std::move(group));
    return model;
}

struct SceneRig {
    SceneRig() {
        scene.CreateRootAndCamera();
    }
    ModelEntry& Show(Model& model) { return *scene.AddEntry(model); }
    void Redraw(float step) {
        scene.UpdateTree(step);
        scene.Render();
    }

    RecordingRenderer renderer;
    std::unique_ptr<Model> model = ClipModel(2);
    Scene scene{&renderer};
};

TEST(Scene, StartUpCameraLooksAtTheOriginFrom400WithYUp) {
    SceneRig rig;
    ASSERT_NE(rig.scene.camera, nullptr);
    EXPECT_EQ(rig.scene.root->firstChild(), rig.scene.camera);
    rig.scene.SetViewportSize(1392, 893);
    EXPECT_NEAR(rig.scene.camera->aspect, 1.5588f, 1e-4f);
    rig.Redraw(0);

    EXPECT_EQ(rig.renderer.world, kIdentity);
    Mat4 view = kIdentity;
    view.m[3][2] = -400;
    EXPECT_EQ(rig.renderer.view, view);
    EXPECT_EQ(rig.renderer.eye.z, 400.0f);
    // 45 is taken in radians: cos(22.5) / sin(22.5), not the cotangent of 22.5 degrees.
    EXPECT_NEAR(rig.renderer.projection.m[1][1], 1.7926f, 1e-4f);
    EXPECT_NEAR(rig.renderer.projection.m[0][0], 1.7926f / 1.5588f, 1e-4f);
    EXPECT_NEAR(rig.renderer.projection.m[2][2], -1.001001f, 1e-6f);
    EXPECT_NEAR(rig.renderer.projection.m[3][2], -10.01001f, 1e-4f);
}

TEST(Scene, EyeIsTheTargetPlusTheCameraOffset) {
    SceneRig rig;
    rig.scene.camera->SetTarget({5, 6, 7, 1});
    rig.scene.camera->position = {0, 0, 100, 1};
    rig.Redraw(0);
    EXPECT_EQ(rig.renderer.eye.x, 5.0f);
    EXPECT_EQ(rig.renderer.eye.z, 107.0f);
    const Vec4 target = rig.renderer.view.Transform({5, 6, 7, 1});
    EXPECT_NEAR(target.x, 0, 1e-5f);
    EXPECT_NEAR(target.z, -100, 1e-4f) << "the target lies straight ahead";
}

TEST(Scene, AZeroViewportSideLeavesTheAspectUnchanged) {
    SceneRig rig;
    rig.scene.SetViewportSize(300, 100);
    rig.scene.SetViewportSize(300, 0);
    EXPECT_EQ(rig.scene.camera->aspect, 3.0f);
    EXPECT_EQ(rig.scene.height, 0);
    rig.scene.SetViewportSize(0, 100);
    EXPECT_EQ(rig.scene.camera->aspect, 3.0f);
}

TEST(Scene, ClearColourPacksTruncatedComponents) {
    Scene scene;
    EXPECT_EQ(scene.PackedClearColour(), 0x007F7F7Fu);
    scene.clearRed = 1.0f;
    scene.clearGreen = 0.0f;
    scene.clearBlue = 2.0f;  // held to 255
    scene.clearAlpha = -1.0f;
    EXPECT_EQ(scene.PackedClearColour(), 0x00FF00FFu);
}

TEST(Scene, RenderClearsSetsStatesAndCameraThenDrawsBetweenBeginAndEndThenPresents) {
    SceneRig rig;
    ModelEntry& entry = rig.Show(*rig.model);
    entry.lod = 1;
    rig.Redraw(0);
    const std::vector<std::string> expected = {"clear depth 1.000000 stencil 0", "states", "transforms", "begin",
                                               "draw 1", "end", "present"};
    EXPECT_EQ(rig.renderer.calls, expected);
    EXPECT_EQ(rig.renderer.clearColour, 0x007F7F7Fu);
    entry.lod = 2;  // no such Lod: nothing drawn
    rig.renderer.calls.clear();
    rig.Redraw(0);
    EXPECT_EQ(std::count(rig.renderer.calls.begin(), rig.renderer.calls.end(), "draw 1"), 0);
}

TEST(ModelEntry, ConstructionCopiesBonesAndPlacementAndCountsTheReference) {
    SceneRig rig;
    rig.model->bones[0].translation = {1, 2, 3, 1};
    rig.model->placement.position = {4, 0, 0, 0};
    ModelEntry& entry = rig.Show(*rig.model);
    EXPECT_EQ(rig.model->refCount, 1);
    EXPECT_EQ(entry.flags, FlagTexture | FlagBlending);
    EXPECT_EQ(entry.lodRecordCount(), 2);
    EXPECT_EQ(entry.bones[0].translation, rig.model->bones[0].translation);
    entry.bones[0].translation.x = 50;
    EXPECT_EQ(rig.model->bones[0].translation.x, 1.0f) << "the model keeps the bind pose";
    EXPECT_EQ(entry.placement().position.x, 4.0f);

    entry.Detach();  // handed back and destroyed at once
    EXPECT_EQ(rig.model->refCount, 0);
    const std::vector<std::string> destroyed(rig.renderer.calls.end() - 2, rig.renderer.calls.end());
    EXPECT_EQ(destroyed, (std::vector<std::string>{"destroy 1", "destroy 0"})) << "records go last to first";
    EXPECT_EQ(rig.scene.camera->nextSibling(), nullptr);
}

TEST(ModelEntry, TheFirstRedrawDrawsTheBindPose) {
    SceneRig rig;
    rig.model->bones[0].translation = {3, 0, 0, 1};
    rig.model->placement.position = {100, 0, 0, 0};
    rig.Show(*rig.model);
    rig.Redraw(0);
    EXPECT_EQ(rig.renderer.skins, 2) << "both Lods skinned";
    EXPECT_EQ(rig.renderer.skinnedX, 103.0f) << "bone world = bone local x model matrix";
    rig.Redraw(0);
    EXPECT_EQ(rig.renderer.skins, 2) << "nothing changed, nothing re-skinned";
}

TEST(ModelEntry, AnEntryMadeWithoutARendererIsDrawnByTheOneItsSceneIsGiven) {
    SceneRig rig;
    Scene bare;  // no renderer: the entry is posed, never drawn
    bare.CreateRootAndCamera();
    ModelEntry& entry = *bare.AddEntry(*rig.model);
    bare.UpdateTree(0.0f);
    bare.Render();
    EXPECT_EQ(entry.lodRecordCount(), 0);
    EXPECT_TRUE(rig.renderer.calls.empty());

    bare.SetRenderer(&rig.renderer);
    bare.UpdateTree(0.0f);
    bare.Render();
    EXPECT_EQ(entry.lodRecordCount(), 2);
    EXPECT_EQ(rig.renderer.skins, 2) << "the new records are skinned before their first draw";
    EXPECT_EQ(std::count(rig.renderer.calls.begin(), rig.renderer.calls.end(), "draw 0"), 1);

    RecordingRenderer other;
    bare.SetRenderer(&other);
    bare.UpdateTree(0.0f);
    EXPECT_EQ(std::count(rig.renderer.calls.begin(), rig.renderer.calls.end(), "destroy 0"), 1)
        << "the first renderer's records go";
    EXPECT_EQ(other.skins, 2);
    bare.SetRenderer(nullptr);
    bare.UpdateTree(0.0f);
    EXPECT_EQ(entry.lodRecordCount(), 0);
}

TEST(ModelEntry, SelectAnimationWritesTheFirstPoseAndEachRedrawShowsThePoseItsUpdateComputed) {
    SceneRig rig;
    ModelEntry& entry = rig.Show(*rig.model);
    entry.bones[0].translation = {-7, 0, 0, 1};
    entry.SelectAnimation(0, 0);
    EXPECT_TRUE(entry.playing);
    EXPECT_EQ(entry.bones[0].translation.x, 0.0f) << "frame 0 applied at once";

    rig.Redraw(1.0f);
    EXPECT_EQ(entry.bones[0].translation.x, 10.0f);
    EXPECT_EQ(rig.renderer.skinnedX, 10.0f) << "this redraw shows the pose its own advance wrote";
    const int skins = rig.renderer.skins;
    rig.Redraw(0.0f);
    EXPECT_EQ(rig.renderer.skins, skins) << "a zero step leaves the pose alone";
}

TEST(ModelEntry, SelectAnimationOutsideTheGroupsChangesNothing) {
    SceneRig rig;
    ModelEntry& entry = rig.Show(*rig.model);
    entry.SelectAnimation(1, 0);
    entry.SelectAnimation(0, 1);
    entry.SelectAnimation(-1, 0);
    entry.SelectAnimation(0, -1);
    EXPECT_FALSE(entry.playing);
    EXPECT_EQ(entry.currentAnimation, nullptr);
}

TEST(ModelEntry, BonesComposeRotationScaleTranslationThenParentAndBadParentsActAsRoots) {
    SceneRig rig;
    rig.model->bones.resize(3);
    rig.model->bones[0].translation = {0, 10, 0, 1};
    rig.model->bones[1].parent = 0;
    rig.model->bones[1].translation = {5, 0, 0, 1};
    rig.model->bones[1].scale = {2, 2, 2, 1};
    rig.model->bones[2].parent = 99;
    rig.model->bones[2].translation = {1, 1, 1, 1};
    ModelEntry& entry = rig.Show(*rig.model);
    rig.Redraw(0);
    const Vec4 p = entry.bones[1].world.Transform({1, 0, 0, 1});
    EXPECT_EQ(p, (Vec4{7, 10, 0, 1})) << "scaled by 2, moved by (5, 0, 0), then by the parent's (0, 10, 0)";
    EXPECT_EQ(entry.bones[2].world.m[3][1], 1.0f);
}

TEST(SceneNode, WorldIsRotationScaleTranslationTimesParentAndComputedOnce) {
    SceneNode parent;
    parent.position = {100, 0, 0, 1};
    parent.RefreshWorld(kIdentity);
    SceneNode child;
    child.position = {0, 5, 0, 1};
    child.scale = {2, 2, 2, 1};
    child.rotation = {0, 0, kPi / 2, 0};
    child.RefreshWorld(parent.world);
    const Vec4 p = child.world.Transform({1, 0, 0, 1});
    EXPECT_NEAR(p.x, 100, 1e-4f);
    EXPECT_NEAR(p.y, 7, 1e-4f);
    child.position = {0, 0, 0, 1};
    child.RefreshWorld(kIdentity);
    EXPECT_NEAR(child.world.m[3][0], 100, 1e-4f) << "not dirty: kept";
}

TEST(SceneNode, ChildrenAreAppendedInOrderAndDetachRelinksTheList) {
    SceneNode root;
    SceneNode* a = root.AddChild(std::make_unique<SceneNode>());
    SceneNode* b = root.AddChild(std::make_unique<SceneNode>());
    SceneNode* c = root.AddChild(std::make_unique<SceneNode>());
    EXPECT_EQ(root.firstChild(), a);
    EXPECT_EQ(a->nextSibling(), b);
    std::unique_ptr<SceneNode> taken = b->Detach();
    EXPECT_EQ(taken.get(), b);
    EXPECT_EQ(a->nextSibling(), c);
    EXPECT_EQ(b->parent(), nullptr);
    EXPECT_EQ(b->Detach(), nullptr);
}

}  // namespace
}  // namespace vertigon
