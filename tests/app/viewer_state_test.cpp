// The viewer's handlers without any window: opening files, display switches, Lods, the
// background colour and the status line's texts.
#include "app/viewer_state.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <future>

#include "app/viewer_ids.h"
#include "formats/status_report.h"
#include "render/render_error.h"
#include "tests/ee/ee_machine.h"
#include "tests/fixtures/ee_test_image.h"
#include "tests/fixtures/temp_dir.h"
#include "tests/formats/mdls_test_support.h"

namespace vertigon {
namespace {

std::string Sample(const std::string& name) {
    return (std::filesystem::path(VERTIGON_SOURCE_DIR) / "samples" / name).string();
}

// Records what the windows would be told.
class RecordingUi final : public ViewerUi {
public:
    void FillAnimations(Model* model) override {
        ++fills;
        filledWith = model;
    }
    void ShowStatus(const std::string& text) override { status = text; }
    void ShownModelChanged() override { ++modelChanges; }
    void SwitchesChanged() override { ++switchChanges; }

    int fills = 0;
    Model* filledWith = nullptr;
    std::string status;
    int modelChanges = 0;
    int switchChanges = 0;
};

int ChildCount(const SceneNode& node) {
    int count = 0;
    for (const SceneNode* child = node.firstChild(); child; child = child->nextSibling()) ++count;
    return count;
}

class ViewerStateTest : public ::testing::Test {
protected:
    void SetUp() override { state.CreateCore(); }

    RecordingUi ui;
    ViewerState state{&ui};
};

TEST_F(ViewerStateTest, StartsWithTheCameraAloneAtDistanceFourHundred) {
    ASSERT_NE(state.scene().camera, nullptr);
    EXPECT_EQ(state.scene().camera->position, (Vec4{0, 0, 400, 1}));
    EXPECT_EQ(ChildCount(*state.scene().root), 1);
    EXPECT_EQ(state.current(), nullptr);
    EXPECT_EQ(state.registry()->loaderCount(), 4);
}

TEST_F(ViewerStateTest, OpeningTwoFilesKeepsOnlyTheSecond) {
    ASSERT_TRUE(state.OpenFile(Sample("demo.ffb")));
    ASSERT_TRUE(state.OpenFile(Sample("winged_totem.raw")));
    ASSERT_NE(state.current(), nullptr);
    EXPECT_EQ(state.currentModel()->lodCount(), 2) << "the RAW sample is shown";
    EXPECT_EQ(state.registry()->models().size(), 1u) << "the first model was released";
    EXPECT_EQ(ChildCount(*state.scene().root), 2) << "camera and one entry";
    EXPECT_EQ(state.scene().root->firstChild()->nextSibling(), state.current()) << "appended after the camera";
    EXPECT_EQ(state.current()->position, (Vec4{0, 0, 0, 0}));
    EXPECT_EQ(ui.fills, 2);
    EXPECT_EQ(ui.filledWith, state.currentModel());
    EXPECT_EQ(ui.status, "winged_totem.raw: 30 triangles, 1 bones, 4 textures, 0 animations");
    EXPECT_EQ(ui.modelChanges, 2);
}

TEST_F(ViewerStateTest, OpeningStartsTheFirstAnimationOfTheSecondGroup) {
    ASSERT_TRUE(state.OpenFile(Sample("demo.ffb")));
    const Model& model = *state.currentModel();
    ASSERT_GE(model.animationGroupCount(), 2);
    EXPECT_TRUE(state.current()->playing);
    EXPECT_EQ(state.current()->currentAnimation, model.animationGroups[1].animations[0].get());

    ASSERT_TRUE(state.OpenFile(Sample("winged_totem.raw")));
    EXPECT_FALSE(state.current()->playing) << "a model without animation groups stays in its rest pose";
}

TEST_F(ViewerStateTest, AFailedOpenLeavesAnEmptySceneAndSaysWhy) {
    testing::TempDir dir;
    ASSERT_TRUE(state.OpenFile(Sample("demo.ffb")));
    EXPECT_FALSE(state.OpenFile(dir.Write("model.xyz", std::string("x"))));
    EXPECT_EQ(state.current(), nullptr);
    EXPECT_EQ(ChildCount(*state.scene().root), 1) << "only the camera is left";
    EXPECT_TRUE(state.registry()->models().empty());
    EXPECT_EQ(ui.fills, 2);
    EXPECT_EQ(ui.filledWith, nullptr) << "the animation list is emptied";
    EXPECT_EQ(ui.status, "Could not open model.xyz: no loader accepts this kind of file");
}

TEST(ViewerStateOpened, AFileOpenedOnAnotherThreadShowsAsOpenFileShowsIt) {
    RecordingUi direct;
    ViewerState reference(&direct);
    reference.CreateCore();
    ASSERT_TRUE(reference.OpenFile(Sample("demo.ffb")));

    RecordingUi ui;
    ViewerState state(&ui);
    state.CreateCore(nullptr);
    EXPECT_EQ(state.registry(), nullptr) << "the scene only, until the workspace comes";
    auto opening = std::async(std::launch::async, OpenInNewWorkspace, LoaderOptions{}, Sample("demo.ffb"));
    ASSERT_TRUE(state.ShowOpened(opening.get()));
    ASSERT_NE(state.registry(), nullptr);
    EXPECT_EQ(state.registry()->models().size(), 1u);
    EXPECT_EQ(ui.status, direct.status);
    EXPECT_EQ(ui.filledWith, state.currentModel());
    EXPECT_EQ(state.currentPath(), Sample("demo.ffb"));
    EXPECT_TRUE(state.current()->playing);

    const std::string missing = Sample("missing.mdlx");
    EXPECT_FALSE(state.ShowOpened(OpenInNewWorkspace(LoaderOptions{}, missing)));
    EXPECT_EQ(state.current(), nullptr);
    EXPECT_EQ(ui.status.rfind("cannot open " + missing + ": ", 0), 0u) << ui.status;
    EXPECT_TRUE(state.OpenFile(Sample("winged_totem.raw"))) << "the adopted workspace opens further files";
}

// A renderer whose shader programs do not compile.
class FailingRenderer final : public SceneRenderer {
public:
    std::unique_ptr<LodRenderRecord> CreateLodRecord(ModelEntry&, int32_t) override {
        throw ShaderError(": Creating program from file: LitFragment did not compile\n", "0:1: error");
    }
    void Clear(uint32_t, float, uint32_t) override {}
    void SetFrameStates() override {}
    void SetTransforms(const Mat4&, const Mat4&, const Mat4&, const Vec3&) override {}
    void BeginScene() override {}
    void EndScene() override {}
    void Present() override {}
};

TEST_F(ViewerStateTest, ARendererFailurePassesOnWithNothingShown) {
    FailingRenderer renderer;
    state.scene().SetRenderer(&renderer);
    EXPECT_THROW(state.OpenFile(Sample("demo.ffb")), ShaderError);
    EXPECT_EQ(state.current(), nullptr);
    EXPECT_EQ(ChildCount(*state.scene().root), 1) << "only the camera";
    EXPECT_EQ(ui.filledWith, nullptr);
    state.scene().SetRenderer(nullptr);
    EXPECT_TRUE(state.OpenFile(Sample("demo.ffb"))) << "the state stays usable";
}

TEST_F(ViewerStateTest, FailureTextsNameTheCause) {
    testing::TempDir dir;
    EXPECT_FALSE(state.OpenFile(dir.Write("walk.mset", std::string("not read at all"))));
    EXPECT_EQ(ui.status, "Could not open walk.mset: it is an animation file, which opens only beside its model");

    EXPECT_FALSE(state.OpenFile(dir.Write("broken.raw", std::string(40, '\x7f'))));
    EXPECT_EQ(ui.status.rfind("Could not open broken.raw: the file is damaged (", 0), 0u) << ui.status;

    const std::string missing = (dir.path() / "missing.ffb").string();
    EXPECT_FALSE(state.OpenFile(missing));
    EXPECT_EQ(ui.status, "cannot open " + missing + ": No such file or directory") << "as the tool says it";
}

TEST_F(ViewerStateTest, ToolbarSwitchesSetOrClearTheirFlagOnlyWithAModel) {
    EXPECT_FALSE(state.SetSwitch(kIdTextureToggle, true)) << "no model: nothing happens";
    for (int id = kIdTextureToggle; id <= kIdWireframeToggle; ++id) EXPECT_FALSE(state.SwitchOn(id));

    ASSERT_TRUE(state.OpenFile(Sample("demo.ffb")));
    ModelEntry& entry = *state.current();
    // A new entry has textures and blending on: their tools start pressed.
    EXPECT_TRUE(state.SwitchOn(kIdTextureToggle));
    EXPECT_TRUE(state.SwitchOn(kIdBlendingToggle));
    EXPECT_FALSE(state.SwitchOn(kIdFlatToggle));
    EXPECT_FALSE(state.SwitchOn(kIdBonesToggle));
    EXPECT_FALSE(state.SwitchOn(kIdWireframeToggle));

    EXPECT_TRUE(state.SetSwitch(kIdTextureToggle, false));
    EXPECT_EQ(entry.flags & FlagTexture, 0);
    EXPECT_TRUE(state.SetSwitch(kIdWireframeToggle, true));
    EXPECT_EQ(entry.flags & FlagWireframe, FlagWireframe);
    EXPECT_TRUE(state.SetSwitch(kIdBonesToggle, true));
    EXPECT_EQ(entry.flags & FlagBones, FlagBones);

    entry.poseDirty = false;
    EXPECT_TRUE(state.SetSwitch(kIdFlatToggle, true));
    EXPECT_EQ(entry.flags & FlagFlat, FlagFlat);
    EXPECT_TRUE(entry.poseDirty) << "the flat switch re-skins at once";
    EXPECT_EQ(ui.switchChanges, 4);
    EXPECT_FALSE(state.SetSwitch(kIdMenuTexture, true)) << "a context-menu id is no tool";
}

TEST_F(ViewerStateTest, ContextMenuSwitchesToggleWithoutTouchingThePose) {
    ASSERT_TRUE(state.OpenFile(Sample("demo.ffb")));
    ModelEntry& entry = *state.current();
    const int32_t start = entry.flags;
    entry.poseDirty = false;
    EXPECT_TRUE(state.ToggleSwitch(kIdMenuTexture));
    EXPECT_EQ(entry.flags, start & ~FlagTexture);
    EXPECT_TRUE(state.ToggleSwitch(kIdMenuTexture));
    EXPECT_EQ(entry.flags, start) << "twice gives the first value back";
    EXPECT_TRUE(state.ToggleSwitch(kIdMenuBones));
    EXPECT_TRUE(state.ToggleSwitch(kIdMenuWireframe));
    EXPECT_TRUE(state.ToggleSwitch(kIdMenuBlending));
    EXPECT_EQ(entry.flags, (start | FlagBones | FlagWireframe) & ~FlagBlending);
    EXPECT_FALSE(entry.poseDirty);
    EXPECT_FALSE(state.ToggleSwitch(kIdFlatToggle)) << "a tool id is no menu switch";
}

TEST_F(ViewerStateTest, ShadingAndLodChoicesChangeTheEntry) {
    EXPECT_FALSE(state.SetFlatShading(true));
    EXPECT_FALSE(state.SelectLod(0));
    ASSERT_TRUE(state.OpenFile(Sample("winged_totem.raw")));
    ModelEntry& entry = *state.current();

    entry.poseDirty = false;
    EXPECT_TRUE(state.SetFlatShading(true));
    EXPECT_EQ(entry.flags & FlagFlat, FlagFlat);
    EXPECT_TRUE(entry.poseDirty);
    EXPECT_TRUE(state.SwitchOn(kIdFlatToggle)) << "the flat tool follows";
    EXPECT_TRUE(state.SetFlatShading(false));
    EXPECT_EQ(entry.flags & FlagFlat, 0);

    EXPECT_TRUE(state.SelectLod(1));
    EXPECT_EQ(entry.lod, 1);
    EXPECT_FALSE(state.SelectLod(2)) << "the model has two Lods";
    EXPECT_FALSE(state.SelectLod(-1));
    EXPECT_EQ(entry.lod, 1);
}

TEST_F(ViewerStateTest, TheChosenBackgroundBecomesTheClearColour) {
    EXPECT_EQ(state.scene().PackedClearColour(), 0x007F7F7Fu) << "grey at start";
    state.SetBackgroundColour(10, 200, 255);
    EXPECT_EQ(state.scene().PackedClearColour(), 0x000AC8FFu);
    state.SetBackgroundColour(0, 127, 1);
    EXPECT_EQ(state.scene().PackedClearColour(), 0x00007F01u);
}

// Accepts *.note files and reports while it loads them, as the MDLS loader does when a
// companion animation file cannot be used.
class ReportingLoader final : public ModelLoader {
public:
    bool CanLoad(const std::string& path) override { return path.ends_with(".note"); }
    std::unique_ptr<Model> LoadFromMemory(const ModelBytes&, const LoadContext&) override { return nullptr; }
    std::unique_ptr<Model> Load(const std::string&, const LoadContext& context) override {
        context.status.Report("animations ignored: no program image");
        return std::make_unique<Model>();
    }
    FileKind GetFileKind(const std::string&) override { return FileKindModel; }
    const char* GetFilterString() const override { return "Notes (*.note)|*.note"; }
    const char* GetName() const override { return "ReportingLoader"; }
};

TEST(ViewerStateReports, AReportDuringAnOpenStaysInTheOpenStatusText) {
    RecordingUi ui;
    ViewerState state(&ui);
    std::vector<std::unique_ptr<ModelLoader>> loaders;
    loaders.push_back(std::make_unique<ReportingLoader>());
    state.CreateCore(std::make_unique<Workspace>(std::move(loaders), LoaderOptions{}));

    testing::TempDir dir;
    ASSERT_TRUE(state.OpenFile(dir.Write("robot.note", std::string("x"))));
    EXPECT_EQ(ui.status.substr(0, 10), "robot.note");
    EXPECT_NE(ui.status.find(" animations; animations ignored: no program image"), std::string::npos) << ui.status;
    state.Report("animation walk stopped");
    EXPECT_EQ(ui.status, "animation walk stopped") << "later reports show as they come";
    EXPECT_FALSE(state.OpenFile(dir.Write("robot.other", std::string("x"))));
    EXPECT_EQ(ui.status, "Could not open robot.other: no loader accepts this kind of file");
}

TEST_F(ViewerStateTest, TearingDownTwiceIsHarmless) {
    ASSERT_TRUE(state.OpenFile(Sample("demo.ffb")));
    state.TearDown();
    EXPECT_EQ(state.current(), nullptr);
    EXPECT_EQ(state.registry(), nullptr);
    state.TearDown();
    EXPECT_FALSE(state.OpenFile(Sample("demo.ffb"))) << "nothing opens after the registry is gone";
}

}  // namespace
}  // namespace vertigon

namespace vertigon {
namespace {

// A texture replaced in the viewer shows at once (the renderer sees a new revision), marks the
// model unsaved (the title's "*"), and Save model as... writes the file that shows it; a
// refused picture changes nothing.
TEST_F(ViewerStateTest, AReplacedTextureShowsAtOnceAndIsSavedWithTheModel) {
    testing::TempDir dir;
    const std::string shown = dir.path() / "model.mdlx";
    std::filesystem::copy_file(Sample("mdlx_sample.mdlx"), shown);
    ASSERT_TRUE(state.OpenFile(shown));
    Model& model = *state.currentModel();
    const Texture before = model.textures[1];
    const std::vector<uint8_t> untouched = model.textures[0].pixels;
    std::vector<uint8_t> rgba(before.pixels.size(), 0);
    for (size_t i = 3; i < rgba.size(); i += 4) rgba[i] = 255;

    std::string message;
    EXPECT_FALSE(state.ReplaceTexture(1, "small.png", 2, 2, std::vector<uint8_t>(16, 0), &message));
    EXPECT_EQ(message, "small.png is 2 x 2 pixels; texture 1 is 128 x 64");
    EXPECT_FALSE(state.unsavedChanges());

    const int changes = ui.modelChanges;
    ASSERT_TRUE(state.ReplaceTexture(1, "black.png", before.width, before.height, rgba, &message)) << message;
    EXPECT_EQ(message, "texture 1: replaced exactly");
    EXPECT_EQ(model.textureRevision, 1u);
    EXPECT_EQ(model.textures[1].pixels, rgba);  // black is black in either byte order
    EXPECT_TRUE(state.unsavedChanges());
    EXPECT_GT(ui.modelChanges, changes);
    EXPECT_EQ(WindowTitle(shown, state.unsavedChanges()), "*model.mdlx - Vertigon 0.3");

    const std::string saved = dir.path() / "saved.mdlx";
    std::string failure;
    ASSERT_TRUE(state.SaveModelAs(saved, &failure)) << failure;
    EXPECT_FALSE(state.unsavedChanges());
    EXPECT_EQ(state.currentPath(), saved);
    ASSERT_TRUE(state.OpenFile(saved));
    EXPECT_EQ(state.currentModel()->textures[1].pixels, rgba);
    EXPECT_EQ(state.currentModel()->textures[0].pixels, untouched);
}

// A clip whose emulated frame routine faulted holds its pose: the view rests as with a paused
// clip, while the playback bar and the status line show what they showed before.
TEST(ViewerStateEmulation, AClipWhoseRoutineFaultedLetsTheViewRest) {
    SKIP_WITHOUT_MIPS_TOOLS();
    testing::TempDir dir;
    testing::TestAnimation walk;
    walk.bones.resize(2);
    testing::TestAnimation faulting = walk;
    faulting.mode = testing::TestAnimationMode::FrameFaults;
    const std::string model = dir.Write("walker.mdls", testing::WriteTwoBoneTriangleMdls());
    dir.Write("walker.mset", testing::WriteTestAnimationMset({walk, faulting}));

    RecordingUi ui;
    ViewerState state(&ui);
    state.CreateCore(LoaderOptions{.eeImagePath = dir.Write("image.elf", testing::TestProgramImage())});
    ASSERT_TRUE(state.OpenFile(model));
    ASSERT_TRUE(state.SelectAnimation(0, 1));
    state.DrawFrame(100, 100, 1.0f);
    EXPECT_EQ(ui.status, "animation anim0001 stopped: its frame routine faulted: Unknown opcode family CC000000!");
    EXPECT_TRUE(state.Playing()) << "the playback bar still shows it playing";
    EXPECT_FALSE(state.Animating());
    state.DrawFrame(100, 100, 0.0f);
    EXPECT_FALSE(state.Moving()) << "the held pose is on the screen";

    ASSERT_TRUE(state.SelectAnimation(0, 0));
    state.DrawFrame(100, 100, 1.0f);
    EXPECT_TRUE(state.Animating() && state.Moving()) << "a clip that runs plays on";
}

}  // namespace
}  // namespace vertigon
