// Runs the built vertigon-cli as a user would and checks its exit status and output.
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <string>

#include <gtest/gtest.h>

#include "tests/fixtures/temp_dir.h"

namespace vertigon {
namespace {

struct CliResult {
    int status = -1;
    std::string out;
};

CliResult RunCli(const std::string& arguments) {
    const std::string command = std::string(VERTIGON_CLI_PATH) + " " + arguments + " 2>/dev/null";
    CliResult result;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return result;
    std::array<char, 4096> buffer{};
    size_t n;
    while ((n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0) result.out.append(buffer.data(), n);
    const int raw = pclose(pipe);
    result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return result;
}

TEST(CliInfo, HelpExplainsTheCommands) {
    const CliResult r = RunCli("--help");
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
