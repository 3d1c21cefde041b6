// Damaged archives, plain and gzip-compressed: every one either loads or is refused with a
// load error, and the sanitizers see nothing.
#include <string>

#include <gtest/gtest.h>

#include "formats/ffb/ffb_loader.h"
#include "formats/load_error.h"
#include "tests/formats/load_support.h"
#include "tests/fixtures/ffb_fixtures.h"
#include "tests/fixtures/temp_dir.h"

namespace vertigon {
namespace {

struct Outcome {
    int loaded = 0;
    int refused = 0;
};

void LoadInMemory(std::span<const uint8_t> image, Outcome& outcome) {
    try {
        const auto model = ffb::LoadArchive(image);
        ASSERT_NE(model, nullptr);
        ++outcome.loaded;
    } catch (const LoadError&) {
        ++outcome.refused;
    }
}

void LoadFile(const std::string& path, Outcome& outcome) {
    try {
        const auto model = testing::LoadAlone(FfbLoader(), path);
        ASSERT_NE(model, nullptr);
        ++outcome.loaded;
    } catch (const LoadError&) {
        ++outcome.refused;
    }
}

TEST(FfbRobustness, EveryTruncationOfAPlainArchive) {
    const std::vector<uint8_t> tar = testing::SmallFfbArchive();
    Outcome outcome;
    for (size_t length = 0; length <= tar.size(); ++length) {
        LoadInMemory(std::span<const uint8_t>(tar).first(length), outcome);
    }
    EXPECT_GT(outcome.loaded, 0);  // cutting only the end blocks or an animation member's tail
    EXPECT_GT(outcome.refused, 0);
}

TEST(FfbRobustness, EveryFlippedByteOfAPlainArchive) {
    const std::vector<uint8_t> tar = testing::SmallFfbArchive();
    Outcome outcome;
    // Every byte inverted; the top and the bottom bit on every fifth byte.
    std::vector<uint8_t> damaged = tar;
    for (size_t i = 0; i < tar.size(); ++i) {
        for (uint8_t pattern : {uint8_t{0xFF}, uint8_t{0x80}, uint8_t{0x01}}) {
            if (pattern != 0xFF && i % 5 != 0) continue;
            damaged[i] ^= pattern;
            LoadInMemory(damaged, outcome);
            damaged[i] ^= pattern;
        }
    }
    EXPECT_GT(outcome.loaded, 0);
    EXPECT_GT(outcome.refused, 0);
}

TEST(FfbRobustness, SampledDamageToAGzipArchive) {
    testing::TempDir dir;
    const std::vector<uint8_t> gz = testing::Gzip(testing::SmallFfbArchive());
    const std::string path = (dir.path() / "damaged.ffb").string();
    Outcome outcome;
    // Every 23rd length and every 17th byte (plus the header and trailer bytes) keep the test
    // quick under the sanitizers while reaching every part of the stream.
    for (size_t length = 0; length <= gz.size(); length += (length < 24 || length + 12 > gz.size()) ? 1 : 23) {
        dir.Write("damaged.ffb", std::vector<uint8_t>(gz.begin(), gz.begin() + static_cast<ptrdiff_t>(length)));
        LoadFile(path, outcome);
    }
    for (size_t i = 0; i < gz.size(); i += (i < 12 || i + 12 > gz.size()) ? 1 : 17) {
        std::vector<uint8_t> damaged = gz;
        damaged[i] ^= 0x5A;
        dir.Write("damaged.ffb", damaged);
        LoadFile(path, outcome);
    }
    EXPECT_GT(outcome.refused, 0);
}

}  // namespace
}  // namespace vertigon
