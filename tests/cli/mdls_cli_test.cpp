// vertigon-cli on MDLS models: the model and its listed animations as JSON on standard output,
// the emulator's start-up message on standard error, with or without a program image.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "cli/draw/view_drawing.h"
#include "render/egl_offscreen_context.h"
#include "ee/output.h"
#include "formats/mdls/mdls_loader.h"
#include "formats/workspace.h"
#include "formats/status_report.h"
#include "render/renderer.h"
#include "tests/ee/ee_machine.h"
#include "tests/fixtures/cli_runner.h"
#include "tests/fixtures/ee_test_image.h"
#include "tests/fixtures/mdls_writer.h"
#include "tests/fixtures/temp_dir.h"

namespace vertigon {
namespace {

using namespace testing;

CliResult RunCli(const std::string& arguments) {
    return RunCommandLine(std::string(VERTIGON_CLI_PATH) + " " + arguments);
}

// A two-bone model, a 60 x 60 square on bone 1 (wound to face the camera once the root matrix
// has turned it about x), and a companion of two test animations that
// slide bone 1 along x by 5 per frame.
std::string WriteModelPair(const TempDir& dir) {
    MdlsDescription d;
    d.bones.resize(2);
    d.bones[1].parentField = 0;
    MdlsStream stream;
    stream.Slot(1, 1)
        .Vertices(0, {{1, {-30, -30, 0}, 0, 0},
                      {1, {-30, 30, 0}, 0, 1},
                      {1, {30, -30, 0}, 1, 0},
                      {1, {30, 30, 0}, 1, 1}})
        .End();
    MdlsMesh mesh;
    mesh.stream = stream.bytes;
    d.meshes.push_back(mesh);
    TestAnimation walk;
    walk.bones.resize(2);
    walk.bones[1].velocity = {5, 0, 0, 0};
    MsetDescription m;
    const std::vector<uint8_t> block = WriteTestAnimationBlock(walk);
    m.offsets = {0x20, 0x200};
    m.blocks = {{0x20, block}, {0x200, block}};
    m.bytesAfterList = 0x200 + block.size();
    dir.Write("hero.mset", WriteMset(m));
    return dir.Write("hero.mdls", WriteMdls(d));
}

TEST(CliMdls, InfoListsTheEmulatedAnimationsWithoutAnImage) {
    TempDir dir;
    const std::string model = WriteModelPair(dir);
    const CliResult run = RunCli("info " + model);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("\"loader\":\"MdlsLoader\""), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("\"name\":\"generic\""), std::string::npos);
    EXPECT_NE(run.out.find("\"name\":\"anim0001\""), std::string::npos);
    EXPECT_EQ(run.out.find("Init EE"), std::string::npos);
}

TEST(CliMdls, InfoWithAnImageKeepsTheEmulatorMessagesOnStandardError) {
    SKIP_WITHOUT_MIPS_TOOLS();
    TempDir dir;
    const std::string model = WriteModelPair(dir);
    const std::string image = dir.Write("image.bin", CompressedTestProgramImage());
    const CliResult run = RunCli("info --ee-image " + image + " " + model);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "Init EE memory...\n");
    EXPECT_EQ(run.out.front(), '{');

    const CliResult refused = RunCli("info --ee-image " + model + " " + model);
    EXPECT_EQ(refused.status, 0);
    EXPECT_NE(refused.err.find("vertigon-cli: EE program image " + model + " refused"), std::string::npos)
        << refused.err;
}

TEST(CliMdls, PoseTakesTheWorldMatricesFromTheFrameRoutine) {
    SKIP_WITHOUT_MIPS_TOOLS();
    TempDir dir;
    const std::string model = WriteModelPair(dir);
    const std::string image = dir.Write("image.bin", CompressedTestProgramImage());
    const CliResult run = RunCli("pose --ee-image " + image + " --animation 0:1 --time 2 " + model);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "Init EE memory...\n");
    const std::string& json = run.out;
    EXPECT_NE(json.find("\"name\":\"anim0001\",\"length\":1000000,\"time\":2}"), std::string::npos) << json;
    // Bone 1: 2 frames of 5 along x plus the image's offset (0.5, 0.25, -0.125); y and z negated.
    EXPECT_NE(json.find("[10.5,-0.25,0.125,1]]}"), std::string::npos) << json;
    EXPECT_NE(json.find("[0.5,-0.25,0.125,1]]}"), std::string::npos) << json;  // bone 0 stays
}

TEST(CliMdls, WithoutAnImagePoseKeepsTheRestPoseAndSaysHowToSupplyOne) {
    TempDir dir;
    const std::string model = WriteModelPair(dir);
    const std::string missing = (dir.path() / "missing.bin").string();
    const CliResult run = RunCli("pose --ee-image " + missing + " --animation 0:0 --time 2 " + model);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("[[1,0,0,0],[0,1,0,0],[0,0,1,0],[0,0,0,1]]"), std::string::npos);
    EXPECT_NE(run.err.find("EE program image: cannot open " + missing), std::string::npos) << run.err;
    // One line about it, however many frames ran.
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
}

TEST(CliMdls, RenderDrawsTheEmulatedPose) {
    SKIP_WITHOUT_MIPS_TOOLS();
    TempDir dir;
    const std::string model = WriteModelPair(dir);
    const std::string image = dir.Write("image.bin", CompressedTestProgramImage());
    const std::string png = (dir.path() / "frame.png").string();
    const CliResult run =
        RunCli("render --ee-image " + image + " --animation 0:0 --time 20 --size 160x120 -o " + png + " " + model);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_GT(std::filesystem::file_size(png), 100u);
}

// The same in-process, to look at the pixels: the square follows bone 1 along x.
TEST(CliMdls, TheDrawnSquareMovesWithTheEmulatedBone) {
    SKIP_WITHOUT_MIPS_TOOLS();
    constexpr int kWidth = 160, kHeight = 120;
    EglOffscreenContext context(kWidth, kHeight);
    Renderer renderer(context, kWidth, kHeight);
    CapturingSink sink;
    StatusSink quiet;
    quiet.SetEmulatorWriter([&sink](std::string_view text) { sink.Write(text); });
    Workspace workspace(TestProgramImage(), std::move(quiet));
    TempDir dir;
    auto model = MdlsLoader().Load(WriteModelPair(dir), workspace.context());
    ViewOptions options;
    options.width = kWidth;
    options.height = kHeight;
    options.group = 0;
    options.index = 0;
    options.animationChosen = true;
    const auto whiteColumns = [&](float time) {
        options.time = time;
        const RgbImage frame = RenderModelView(*model, options, renderer);
        WritePng(frame, std::string(VERTIGON_BINARY_DIR) + "/mdls_emulated_pose_" + std::to_string(int(time)) + ".png");
        std::pair<int, int> span{kWidth, -1};
        for (int x = 0; x < kWidth; ++x) {
            const auto p = frame.At(x, kHeight / 2);
            if (p[0] == 255 && p[1] == 255 && p[2] == 255) span = {std::min(span.first, x), std::max(span.second, x)};
        }
        return span;
    };
    // x from -29.5 to 30.5 at time 0; 100 further at time 20 (1.7926 / 400 x 60 pixels a unit).
    const auto atRest = whiteColumns(0);
    const auto moved = whiteColumns(20);
    EXPECT_NEAR(atRest.first, 80 - 29.5 * 0.269, 1.5);
    EXPECT_NEAR(atRest.second, 80 + 30.5 * 0.269, 1.5);
    EXPECT_NEAR(moved.first - atRest.first, 100 * 0.269, 2.0);

    // Switching display flags re-skins the pose shown; it never falls back to the rest pose.
    options.flags = 0x0F;
    EXPECT_EQ(whiteColumns(0), atRest);
    EXPECT_EQ(whiteColumns(20), moved);
}

}  // namespace
}  // namespace vertigon
