// vertigon-cli on MDLS models: the model and its listed animations as JSON on standard output,
// the emulator's start-up message on standard error, with or without a program image.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "tests/ee/ee_machine.h"
#include "tests/fixtures/cli_runner.h"
#include "tests/fixtures/ee_test_image.h"
#include "tests/fixtures/mdls_writer.h"
#include "tests/fixtures/temp_dir.h"

namespace vertigon {
namespace {

using namespace testing;

struct CliRun {
    CliResult result;
    std::string err;
};

// Runs vertigon-cli with standard error kept in a file of `dir`.
CliRun RunCli(const TempDir& dir, const std::string& arguments) {
    const std::string errPath = (dir.path() / "stderr.txt").string();
    CliRun run;
    run.result = RunCommandLine("{ " + std::string(VERTIGON_CLI_PATH) + " " + arguments + " 2>" + errPath + "; }");
    std::ifstream in(errPath);
    run.err.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return run;
}

// A two-bone model with one strip and a companion of two test animations.
std::string WriteModelPair(const TempDir& dir) {
    MdlsDescription d;
    d.bones.resize(2);
    d.bones[1].parentField = 0;
    MdlsStream stream;
    stream.Slot(1, 1).Vertices(1, {{0, {0, 0, 0}, 0, 0}, {1, {1, 0, 0}, 1, 0}, {0, {0, 1, 0}, 0, 1}}).End();
    MdlsMesh mesh;
    mesh.stream = stream.bytes;
    d.meshes.push_back(mesh);
    TestAnimation walk;
    walk.bones.resize(2);
    walk.bones[1].velocity = {0, 2, 0, 0};
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
    const CliRun run = RunCli(dir, "info " + model);
    ASSERT_EQ(run.result.status, 0) << run.err;
    EXPECT_NE(run.result.out.find("\"loader\":\"MdlsLoader\""), std::string::npos) << run.result.out;
    EXPECT_NE(run.result.out.find("\"name\":\"generic\""), std::string::npos);
    EXPECT_NE(run.result.out.find("\"name\":\"anim0001\""), std::string::npos);
    EXPECT_EQ(run.result.out.find("Init EE"), std::string::npos);
}

TEST(CliMdls, InfoWithAnImageKeepsTheEmulatorMessagesOnStandardError) {
    SKIP_WITHOUT_MIPS_TOOLS();
    TempDir dir;
    const std::string model = WriteModelPair(dir);
    const std::string image = dir.Write("image.bin", CompressedTestProgramImage());
    const CliRun run = RunCli(dir, "info --ee-image " + image + " " + model);
    ASSERT_EQ(run.result.status, 0) << run.err;
    EXPECT_EQ(run.err, "Init EE memory...\n");
    EXPECT_EQ(run.result.out.front(), '{');

    const CliRun refused = RunCli(dir, "info --ee-image " + model + " " + model);
    EXPECT_EQ(refused.result.status, 0);
    EXPECT_NE(refused.err.find("vertigon-cli: EE program image " + model + " refused"), std::string::npos)
        << refused.err;
}

}  // namespace
}  // namespace vertigon
