// vertigon-cli export, run as a user would: exit statuses, where the files go, and -j output
// equal to -j 1.
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "formats/file_io.h"
#include "tests/fixtures/cli_runner.h"
#include "tests/fixtures/temp_dir.h"

namespace vertigon {
namespace {

namespace fs = std::filesystem;

const std::string kSamples = std::string(VERTIGON_SOURCE_DIR) + "/samples/";
const std::string kMdlx = kSamples + "mdlx_sample.mdlx";
const std::string kRaw = kSamples + "winged_totem.raw";
const std::string kFfb = kSamples + "demo.ffb";

testing::CliResult RunCli(const std::string& arguments) {
    return testing::RunCommandLine(std::string(VERTIGON_CLI_PATH) + " " + arguments);
}

TEST(CliExport, ExitStatusesAndFileNames) {
    testing::TempDir dir;
    const fs::path out = dir.path() / "out";
    const std::string broken = dir.Write("broken.mdlx", std::string("BAR\x01 and nothing else"));
    const std::string mset = dir.Write("walk.mset", std::string("x"));

    // A directory is made; each model becomes <name>.glb; a broken one is reported, the others done.
    testing::CliResult r = RunCli("export " + kMdlx + " " + broken + " " + kRaw + " -o " + out.string());
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_TRUE(fs::exists(out / "mdlx_sample.glb"));
    EXPECT_TRUE(fs::exists(out / "winged_totem.glb"));
    EXPECT_FALSE(fs::exists(out / "broken.glb"));
    EXPECT_NE(r.err.find("broken.mdlx"), std::string::npos) << r.err;

    EXPECT_EQ(RunCli("export " + mset + " " + kRaw + " -o " + out.string()).status, 2);
    EXPECT_EQ(RunCli("export " + dir.Write("notes.txt", std::string("x")) + " -o " + out.string()).status, 2);
    // Two models of one name would write one file: the second is refused.
    fs::copy_file(kRaw, dir.path() / "mdlx_sample.raw");
    r = RunCli("export " + kMdlx + " " + (dir.path() / "mdlx_sample.raw").string() + " -o " + out.string());
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("is the export of"), std::string::npos) << r.err;

    // One model and a .glb or .gltf name (any case): that file.
    EXPECT_EQ(RunCli("export " + kMdlx + " -o " + (dir.path() / "One.GLB").string()).status, 0);
    EXPECT_TRUE(fs::is_regular_file(dir.path() / "One.GLB"));
    EXPECT_EQ(RunCli("export " + kRaw + " -o " + (dir.path() / "two.gltf").string()).status, 0);
    EXPECT_TRUE(fs::is_regular_file(dir.path() / "two.gltf"));
    // An output that cannot be written.
    EXPECT_EQ(RunCli("export " + kRaw + " -o " + (dir.path() / "missing" / "x.glb").string()).status, 1);

    for (const char* wrong : {"", " -o", " --lod x", " --lod -1", " --frames 0", " -j 0", " --bogus"}) {
        EXPECT_EQ(RunCli("export " + kRaw + " -o " + out.string() + wrong).status, wrong[0] ? 64 : 0) << wrong;
    }
    EXPECT_EQ(RunCli("export -o " + out.string()).status, 64);
}

TEST(CliExport, SeveralJobsWriteTheSameBytesAsOne) {
    testing::TempDir dir;
    const std::string models = kMdlx + " " + kRaw + " " + kFfb;
    ASSERT_EQ(RunCli("export " + models + " -j 1 -o " + (dir.path() / "one").string()).status, 0);
    ASSERT_EQ(RunCli("export " + models + " -j 2 -o " + (dir.path() / "two").string()).status, 0);
    for (const char* name : {"mdlx_sample.glb", "winged_totem.glb", "demo.glb"}) {
        const std::vector<uint8_t> one = ReadWholeFile((dir.path() / "one" / name).string());
        EXPECT_FALSE(one.empty()) << name;
        EXPECT_TRUE(one == ReadWholeFile((dir.path() / "two" / name).string())) << name;
    }
}

}  // namespace
}  // namespace vertigon
