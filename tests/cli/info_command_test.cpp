// Runs the built vertigon-cli as a user would and checks its exit status and output.
#include <string>

#include <gtest/gtest.h>

#include "tests/fixtures/cli_runner.h"
#include "tests/fixtures/temp_dir.h"

namespace vertigon {
namespace {

testing::CliResult RunCli(const std::string& arguments) {
    return testing::RunCommandLine(std::string(VERTIGON_CLI_PATH) + " " + arguments);
}

TEST(CliInfo, HelpExplainsTheCommands) {
    const testing::CliResult r = RunCli("--help");
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("info [--full] FILE"), std::string::npos);
}

TEST(CliInfo, ExitStatusesTellWhyThereIsNoModel) {
    testing::TempDir dir;
    EXPECT_EQ(RunCli("info " + dir.Write("a.mset", std::string("x"))).status, 2);
    EXPECT_EQ(RunCli("info " + dir.Write("notes.txt", std::string("x"))).status, 2);
    EXPECT_EQ(RunCli("info " + (dir.path() / "missing.raw").string()).status, 1);
    EXPECT_EQ(RunCli("info").status, 64);
    EXPECT_EQ(RunCli("frobnicate").status, 64);
}

TEST(CliInfo, APathThatCannotBeReadIsSaidSoByEveryCommand) {
    testing::TempDir dir;
    const std::string out = (dir.path() / "out").string();
    // An .mdlx is told by its first bytes, which a missing file does not have.
    for (const std::string name : {"missing.mdlx", "missing.raw"}) {
        const std::string path = (dir.path() / name).string();
        for (const std::string& command : {"info " + path, "pose " + path, "render " + path + " -o " + out + ".png",
                                          "thumbnail " + path + " " + out + ".png", "textures " + path + " -o " + out,
                                          "export " + path + " -o " + out + ".glb"}) {
            const testing::CliResult run = RunCli(command);
            EXPECT_EQ(run.status, 1) << command;
            EXPECT_NE(run.err.find("cannot open " + path + ": No such file or directory"), std::string::npos)
                << command << ": " << run.err;
        }
    }
    const std::string folder = dir.path().string();
    EXPECT_EQ(RunCli("info " + folder).status, 1);
    EXPECT_EQ(RunCli("info " + dir.Write("unknown.kind", std::string("x"))).status, 2) << "a file of no known kind";
}

}  // namespace
}  // namespace vertigon
