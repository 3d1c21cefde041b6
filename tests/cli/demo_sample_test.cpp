// The bundled FFB demo is what its generator writes, and the tool opens it.
#include <gtest/gtest.h>

#include "formats/file_io.h"
#include "tests/fixtures/cli_runner.h"
#include "tests/fixtures/ffb_demo_sample.h"

namespace vertigon {
namespace {

const std::string kSamplePath = std::string(VERTIGON_SOURCE_DIR) + "/samples/" + testing::kDemoSampleName;

TEST(DemoSample, CommittedFileMatchesTheGenerator) {
    // Regenerate with scripts/make_samples.sh after changing the generator.
    EXPECT_TRUE(ReadWholeFile(kSamplePath) == testing::BuildDemoSample());
}

TEST(DemoSample, InfoOpensItWithItsBonesAndAnimationGroups) {
    const testing::CliResult r = testing::RunCommandLine(std::string(VERTIGON_CLI_PATH) + " info " + kSamplePath);
    ASSERT_EQ(r.status, 0);
    for (const char* expected :
         {"\"loader\":\"FfbLoader\"", "\"boneCount\":17", "\"name\":\"Field animations\"",
          "\"name\":\"Field battle animations\"", "\"name\":\"Water animations\"",
          "\"name\":\"Water battle animations\"", "\"name\":\"Animation 002\""}) {
        EXPECT_NE(r.out.find(expected), std::string::npos) << expected;
    }
}

TEST(DemoSample, PoseAndRenderRefuseAnAnimationTheModelLacks) {
    const std::string cli = std::string(VERTIGON_CLI_PATH);
    EXPECT_EQ(testing::RunCommandLine(cli + " pose --animation 1:1 " + kSamplePath).status, 0);
    EXPECT_EQ(testing::RunCommandLine(cli + " pose --animation 1:9 " + kSamplePath).status, 1);
    EXPECT_EQ(testing::RunCommandLine(cli + " pose --animation 7:0 " + kSamplePath).status, 1);
    EXPECT_EQ(testing::RunCommandLine(cli + " render --animation 1:9 --size 64x48 -o /dev/null " + kSamplePath).status,
              1);
}

}  // namespace
}  // namespace vertigon
