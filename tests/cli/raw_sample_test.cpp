// The bundled RAW sample is what its generator writes, and the tool opens it.
#include <gtest/gtest.h>

#include "formats/file_io.h"
#include "tests/fixtures/cli_runner.h"
#include "tests/fixtures/raw_sample.h"

namespace vertigon {
namespace {

const std::string kSamplePath = std::string(VERTIGON_SOURCE_DIR) + "/samples/" + testing::kRawSampleName;

TEST(RawSample, CommittedFileMatchesTheGenerator) {
    // Regenerate with scripts/make_samples.sh after changing the generator.
    EXPECT_TRUE(ReadWholeFile(kSamplePath) == testing::BuildRawSample());
}

TEST(RawSample, InfoOpensItWithTwoLodsAndFourTextures) {
    const testing::CliResult r = testing::RunCommandLine(std::string(VERTIGON_CLI_PATH) + " info " + kSamplePath);
    ASSERT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("\"loader\":\"RawLoader\""), std::string::npos) << r.out.substr(0, 200);
    EXPECT_NE(r.out.find("\"textureCount\":4"), std::string::npos);
    EXPECT_NE(r.out.find("\"paletteCount\":2"), std::string::npos);
    EXPECT_NE(r.out.find("\"lodCount\":2"), std::string::npos);
    EXPECT_NE(r.out.find("\"name\":\"Lod 1\""), std::string::npos);
}

}  // namespace
}  // namespace vertigon
