// Every command of vertigon-cli answers --help with its own help and a wrong command line with
// one error line in the same form and status 64.
#include <regex>
#include <string>

#include <gtest/gtest.h>

#include "tests/fixtures/cli_runner.h"

namespace vertigon {
namespace {

testing::CliResult RunCli(const std::string& arguments) {
    return testing::RunCommandLine(std::string(VERTIGON_CLI_PATH) + " " + arguments);
}

TEST(CliCommandLine, EachCommandPrintsItsOwnHelp) {
    for (const std::string command : {"info", "render", "pose", "thumbnail", "textures", "export", "ee-run"}) {
        const testing::CliResult r = RunCli(command + " --help");
        EXPECT_EQ(r.status, 0) << command;
        EXPECT_EQ(r.err, "") << command;
        EXPECT_EQ(r.out.rfind("usage: vertigon-cli " + command + " ", 0), 0u) << r.out;
        EXPECT_EQ(r.out.find("Commands:"), std::string::npos) << command << ": not the whole list";
    }
    EXPECT_NE(RunCli("export --help").out.find("--frames: frames baked per MDLS animation"), std::string::npos);
    EXPECT_EQ(RunCli("ee-run --help").out.find("--ee-image"), std::string::npos) << "ee-run opens no model";
}

TEST(CliCommandLine, EveryWrongCommandLineGetsOneLineInOneFormAndStatus64) {
    const struct {
        const char* command;
        const char* arguments;
    } cases[] = {
        {"info", ""},
        {"info", "m.raw --bogus"},
        {"render", "m.raw -o"},
        {"render", "m.raw -o x.png --size 0x0"},
        {"render", "m.raw -o x.png --fit --pan 1,2,3"},
        {"pose", "m.raw --yaw 1"},
        {"thumbnail", "m.raw"},
        {"thumbnail", "m.raw out.png --size 4097"},
        {"textures", "m.raw -o"},
        {"export", "m.raw -o"},
        {"export", "m.raw -o out --lod some"},
        {"export", "m.raw -o out -j 0"},
        {"ee-run", "x.elf --entry 0"},
        {"ee-run", "x.elf --entry 0 --stop 0 --set q7=1"},
    };
    for (const auto& c : cases) {
        const std::string command = c.command;
        const testing::CliResult r = RunCli(command + " " + c.arguments);
        EXPECT_EQ(r.status, 64) << command << " " << c.arguments;
        EXPECT_EQ(r.out, "");
        const std::regex form("vertigon-cli " + command + ": [^\n]+ \\(see vertigon-cli " + command + " --help\\)\n");
        EXPECT_TRUE(std::regex_match(r.err, form)) << r.err;
    }
}

}  // namespace
}  // namespace vertigon
