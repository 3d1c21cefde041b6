// The committed demo model is exactly what its generator writes, and the tool opens it.
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/fixtures/temp_dir.h"

namespace vertigon {
namespace {

struct CommandResult {
    int status = -1;
    std::string out;
};

CommandResult RunCommand(const std::string& command) {
    CommandResult result;
    FILE* pipe = popen((command + " 2>/dev/null").c_str(), "r");
    if (!pipe) return result;
    std::array<char, 4096> buffer{};
    size_t n;
    while ((n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0) result.out.append(buffer.data(), n);
    const int raw = pclose(pipe);
    result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return result;
}

std::vector<char> ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

const std::string kCommitted = std::string(VERTIGON_SOURCE_DIR) + "/samples/demo.ffb";

TEST(DemoSample, TheCommittedFileIsWhatTheGeneratorWrites) {
    testing::TempDir dir;
    const CommandResult run = RunCommand(std::string(VERTIGON_BINARY_DIR) + "/make_demo_sample " + dir.path().string());
    ASSERT_EQ(run.status, 0);
    const std::vector<char> fresh = ReadFile((dir.path() / "demo.ffb").string());
    ASSERT_FALSE(fresh.empty());
    EXPECT_TRUE(fresh == ReadFile(kCommitted))
        << "samples/demo.ffb is stale: regenerate it with scripts/make_samples.sh and commit it";
}

TEST(DemoSample, InfoOpensItWithItsBonesAndAnimationGroups) {
    const CommandResult run = RunCommand(std::string(VERTIGON_CLI_PATH) + " info " + kCommitted);
    ASSERT_EQ(run.status, 0);
    for (const char* expected :
         {"\"loader\":\"FfbLoader\"", "\"boneCount\":17", "\"name\":\"Field animations\"",
          "\"name\":\"Field battle animations\"", "\"name\":\"Water animations\"", "\"name\":\"Water battle animations\"",
          "\"name\":\"Animation 002\""}) {
        EXPECT_NE(run.out.find(expected), std::string::npos) << expected;
    }
}

}  // namespace
}  // namespace vertigon
