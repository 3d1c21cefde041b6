// The bundled MDLX sample is what its generator writes, and the tool opens it.
#include <gtest/gtest.h>

#include "formats/file_io.h"
#include "tests/fixtures/cli_runner.h"
#include "tests/fixtures/mdlx_sample.h"
#include "tests/fixtures/temp_dir.h"

namespace vertigon {
namespace {

const std::string kSamplePath = std::string(VERTIGON_SOURCE_DIR) + "/samples/" + testing::kMdlxSampleFileName;

testing::CliResult Info(const std::string& arguments) {
    return testing::RunCommandLine(std::string(VERTIGON_CLI_PATH) + " info " + arguments);
}

TEST(MdlxSample, CommittedFileMatchesTheGenerator) {
    // Regenerate with scripts/make_samples.sh after changing the generator.
    EXPECT_TRUE(ReadWholeFile(kSamplePath) == testing::MdlxSampleFile());
}

TEST(MdlxSample, InfoOpensItWithFiveBonesAndTwoTextures) {
    const testing::CliResult r = Info("--full " + kSamplePath);
    ASSERT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("\"loader\":\"MdlxLoader\""), std::string::npos) << r.out.substr(0, 200);
    EXPECT_NE(r.out.find("\"boneCount\":5"), std::string::npos);
    EXPECT_NE(r.out.find("\"textureCount\":2"), std::string::npos);
    EXPECT_NE(r.out.find("\"translucent\":true"), std::string::npos);
    EXPECT_NE(r.out.find("\"animationGroups\":[]"), std::string::npos);
}

TEST(MdlxSample, InfoRefusesABrokenMdlxWithStatusOne) {
    testing::TempDir dir;
    EXPECT_EQ(Info(dir.Write("broken.mdlx", std::string("BAR\x01 and nothing else"))).status, 1);
}

}  // namespace
}  // namespace vertigon
