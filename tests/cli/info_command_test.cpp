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

}  // namespace
}  // namespace vertigon
