// vertigon-cli render and pose: their command line, and their work on hand-built models (no
// format loader is needed to check what they draw and print).
#include "cli/draw/view_drawing.h"
#include "render/egl_offscreen_context.h"

#include <sys/wait.h>

#include <array>
#include <cstdio>

#include <gtest/gtest.h>

#include "render/renderer.h"
#include "tests/fixtures/model_builder.h"
#include "tests/fixtures/temp_dir.h"

namespace vertigon {
namespace {

using testing::AddSquare;
using testing::MakeMaterial;
using testing::MakeModel;
using testing::ShapeBuilder;

bool Parse(const Arguments& args, bool render, ViewOptions* options) {
    std::string error;
    return ParseViewOptions(args, render, options, &error);
}

TEST(ViewOptions, DefaultsAreTheViewersStartUp) {
    ViewOptions o;
    ASSERT_TRUE(Parse({"m.ffb", "-o", "out.png"}, true, &o));
    EXPECT_EQ(o.width, 1392);
    EXPECT_EQ(o.height, 893);
    EXPECT_EQ(o.group, 1);
    EXPECT_EQ(o.index, 0);
    EXPECT_FALSE(o.animationChosen);
    EXPECT_FALSE(o.flags.has_value());
    EXPECT_FALSE(o.yaw.has_value());
}

TEST(ViewOptions, EveryOptionIsRead) {
    ViewOptions o;
    ASSERT_TRUE(Parse({"--size", "320x200", "--yaw", "1.5", "--pitch", "-0.25", "--distance", "250", "--pan",
                       "1,-2,3.5", "--animation", "2:7", "--time", "12.5", "--flags", "0x1F", "m.raw", "-o", "o.png"},
                      true, &o));
    EXPECT_EQ(o.path, "m.raw");
    EXPECT_EQ(o.output, "o.png");
    EXPECT_EQ(o.width, 320);
    EXPECT_EQ(o.height, 200);
    EXPECT_EQ(*o.yaw, 1.5f);
    EXPECT_EQ(*o.pitch, -0.25f);
    EXPECT_EQ(*o.distance, 250.0f);
    EXPECT_EQ(o.pan->z, 3.5f);
    EXPECT_TRUE(o.animationChosen);
    EXPECT_EQ(o.group, 2);
    EXPECT_EQ(o.index, 7);
    EXPECT_EQ(o.time, 12.5f);
    EXPECT_EQ(*o.flags, 0x1F);
    ASSERT_TRUE(Parse({"m.raw", "--flags", "8", "-o", "x", "--fit"}, true, &o));
    EXPECT_EQ(*o.flags, 8);
    EXPECT_TRUE(o.fit);
}

TEST(ViewOptions, WrongCommandLinesAreRefused) {
    ViewOptions o;
    EXPECT_FALSE(Parse({"m.raw"}, true, &o)) << "render needs -o";
    EXPECT_FALSE(Parse({"-o", "x.png"}, true, &o)) << "no file";
    for (const char* size : {"0x10", "10x", "x10", "20000x10", "10*10", "-5x10"}) {
        EXPECT_FALSE(Parse({"m.raw", "-o", "x", "--size", size}, true, &o)) << size;
    }
    EXPECT_FALSE(Parse({"m.raw", "-o", "x", "--pan", "1,2"}, true, &o));
    EXPECT_FALSE(Parse({"m.raw", "-o", "x", "--yaw", "nan"}, true, &o));
    EXPECT_FALSE(Parse({"m.raw", "-o", "x", "--distance", "-1"}, true, &o));
    EXPECT_FALSE(Parse({"m.raw", "-o", "x", "--flags", "zz"}, true, &o));
    EXPECT_FALSE(Parse({"m.raw", "-o", "x", "--flags", "123456789"}, true, &o));
    EXPECT_FALSE(Parse({"m.raw", "-o", "x", "--time", "-1"}, true, &o));
    EXPECT_FALSE(Parse({"m.raw", "-o", "x", "--animation", "1"}, true, &o));
    EXPECT_FALSE(Parse({"m.raw", "-o", "x", "--time"}, true, &o)) << "missing value";
    EXPECT_FALSE(Parse({"m.raw", "n.raw", "-o", "x"}, true, &o)) << "two files";
    EXPECT_FALSE(Parse({"m.raw", "--yaw", "1"}, false, &o)) << "pose takes no camera";
    EXPECT_FALSE(Parse({"m.raw", "-o", "x", "--fit", "--distance", "9"}, true, &o)) << "--fit picks the distance";
    EXPECT_TRUE(Parse({"m.raw", "--animation", "0:1", "--time", "3"}, false, &o));
}

// A square on bone 1; group 1 holds a clip sliding bone 1 from x = -100 to +100 over one frame.
// Group 0 holds a clip that would lift it instead.
std::unique_ptr<Model> SlidingModel() {
    ShapeBuilder shape;
    AddSquare(shape, shape.AddBatch(MakeMaterial(false)), 0, 0, 0, 60, 1);
    auto model = MakeModel(shape.Take(), 2);
    for (float lift : {1.0f, 0.0f}) {
        auto clip = std::make_unique<KeyframeAnimation>();
        clip->length = 2;
        clip->SetName(lift != 0 ? "lift" : "slide");
        clip->AllocateTracks(2);
        clip->tracks[1].translation.keys.push_back({{-100, 100 * lift, 0, 0}, {}});
        clip->tracks[1].translation.keys.push_back({{100, 100 * lift, 0, 0}, {}});
        AnimationGroup group;
        group.animations.push_back(std::move(clip));
        model->animationGroups.push_back(std::move(group));
    }
    return model;
}

struct OffscreenTool {
    static constexpr int kWidth = 160, kHeight = 120;
    OffscreenTool() : context(kWidth, kHeight), renderer(context, kWidth, kHeight) {
        options.width = kWidth;
        options.height = kHeight;
    }
    RgbImage Render(Model& model) { return RenderModelView(model, options, renderer); }

    EglOffscreenContext context;
    Renderer renderer;
    ViewOptions options;
};

bool White(const std::array<uint8_t, 3>& p) { return p[0] == 255 && p[1] == 255 && p[2] == 255; }

// The square's screen column at world x (perspective scale 1.7926 over the half height 60).
int Column(float x, float distance = 400) { return static_cast<int>(80 + x * 1.7926f / distance * 60); }

TEST(RenderCommand, StartsGroupOneAndAdvancesItByTheTime) {
    OffscreenTool tool;
    auto model = SlidingModel();
    RgbImage image = tool.Render(*model);
    EXPECT_TRUE(White(image.At(Column(-100), 60))) << "frame 0 of group 1: left, not lifted";
    tool.options.time = 1.0f;
    image = tool.Render(*model);
    WritePng(image, std::string(VERTIGON_BINARY_DIR) + "/render_command_time1.png");
    EXPECT_TRUE(White(image.At(Column(100), 60))) << "the pose at time 1 is drawn, not the one before";
    EXPECT_FALSE(White(image.At(Column(-100), 60)));

    tool.options.group = 0;
    tool.options.time = 0.0f;
    image = tool.Render(*model);
    EXPECT_TRUE(White(image.At(Column(-100), static_cast<int>(60 - 100 * 1.7926f / 400 * 60)))) << "the lift clip";
}

TEST(RenderCommand, CameraOptionsMoveTheOrbitCamera) {
    OffscreenTool tool;
    auto model = SlidingModel();
    tool.options.distance = 200;
    RgbImage image = tool.Render(*model);
    EXPECT_TRUE(White(image.At(Column(-100 - 25, 200), 60))) << "twice as close, twice as far from the middle";

    tool.options.distance.reset();
    tool.options.pan = Vec3{-100, 0, 0};
    image = tool.Render(*model);
    EXPECT_TRUE(White(image.At(80, 60))) << "the target is the square";

    tool.options.pan.reset();
    tool.options.yaw = kPi;  // from behind, the single-sided square faces away
    image = tool.Render(*model);
    for (int x = 0; x < OffscreenTool::kWidth; ++x) EXPECT_FALSE(White(image.At(x, 60))) << x;
}

// Rows holding a white pixel.
int WhiteRows(const RgbImage& image) {
    int rows = 0;
    for (int y = 0; y < image.height; ++y) {
        bool white = false;
        for (int x = 0; x < image.width && !white; ++x) white = White(image.At(x, y));
        rows += white ? 1 : 0;
    }
    return rows;
}

TEST(RenderCommand, FitFramesATinyAndAHugeSquareAlike) {
    OffscreenTool tool;
    tool.options.fit = true;
    tool.options.pitch = 0.3f;
    for (float side : {0.02f, 20000.0f}) {
        ShapeBuilder shape;
        AddSquare(shape, shape.AddBatch(MakeMaterial(false)), side * 3, side, 0, side);
        auto model = MakeModel(shape.Take());
        const RgbImage image = tool.Render(*model);
        // The square's sphere (radius side / sqrt 2) spans 80 % of the height: the square itself,
        // tilted, about 50 %.
        EXPECT_NEAR(WhiteRows(image), 0.53 * OffscreenTool::kHeight, 8) << side;
        EXPECT_TRUE(White(image.At(80, 60))) << side << ": centred";
    }
}

TEST(RenderCommand, FlagsReplaceTheDisplaySwitches) {
    OffscreenTool tool;
    auto model = SlidingModel();
    tool.options.flags = FlagWireframe;
    const RgbImage image = tool.Render(*model);
    int red = 0;
    for (int x = 0; x < OffscreenTool::kWidth; ++x) {
        for (int y = 0; y < OffscreenTool::kHeight; ++y) {
            const auto p = image.At(x, y);
            red += (p[0] == 255 && p[1] == 0 && p[2] == 0) ? 1 : 0;
        }
    }
    EXPECT_GT(red, 40);
}

TEST(RenderCommand, FlatShadingAskedForKeepsTheNormalsOfTheFirstFrame) {
    OffscreenTool tool;
    ShapeBuilder shape;
    AddSquare(shape, shape.AddBatch(MakeMaterial(true)), 0, 0, 0, 100);
    auto model = MakeModel(shape.Take());
    tool.options.flags = FlagTexture | FlagFlat;
    const RgbImage image = tool.Render(*model);
    EXPECT_TRUE(White(image.At(80, 60))) << "lit head-on, not left without normals";
}

TEST(PoseCommand, PrintsEveryBonesWorldMatrixAfterTheAdvance) {
    auto model = SlidingModel();
    ViewOptions options;
    options.path = "sliding.ffb";
    options.time = 1.0f;
    const std::string json = PoseJson(*model, options);
    EXPECT_NE(json.find("\"animation\":{\"group\":1,\"index\":0,\"name\":\"slide\",\"length\":2,\"time\":1}"),
              std::string::npos)
        << json;
    EXPECT_NE(json.find("{\"index\":0,\"parent\":-1,\"world\":[[1,0,0,0],[0,1,0,0],[0,0,1,0],[0,0,0,1]]}"),
              std::string::npos);
    EXPECT_NE(json.find("{\"index\":1,\"parent\":0,\"world\":[[1,0,0,0],[0,1,0,0],[0,0,1,0],[100,0,0,1]]}"),
              std::string::npos)
        << json;

    auto still = MakeModel(Shape{});
    EXPECT_NE(PoseJson(*still, options).find("\"animation\":null"), std::string::npos);
}

int RunCli(const std::string& arguments) {
    const std::string command = std::string(VERTIGON_CLI_PATH) + " " + arguments + " >/dev/null 2>&1";
    const int raw = std::system(command.c_str());
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

TEST(ViewCommands, ExitStatusesOfTheTool) {
    testing::TempDir dir;
    const std::string missing = (dir.path() / "missing.ffb").string();
    EXPECT_EQ(RunCli("render " + missing), 64) << "no -o";
    EXPECT_EQ(RunCli("render " + missing + " -o x.png --size 0x0"), 64);
    EXPECT_EQ(RunCli("pose " + missing + " --flags 10"), 64);
    EXPECT_EQ(RunCli("render " + dir.Write("notes.txt", std::string("x")) + " -o " +
                     (dir.path() / "o.png").string() + " --size 8x8"),
              2);
    EXPECT_EQ(RunCli("pose " + dir.Write("a.mset", std::string("x"))), 2);
}

}  // namespace
}  // namespace vertigon
