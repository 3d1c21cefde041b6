// Opening and closing a model again and again must not make the process grow: after 1,000
// rounds per bundled sample, memory stays within 5 % of where it was after the first 10.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "formats/workspace.h"

#ifdef __has_feature
#if __has_feature(address_sanitizer)
#define VERTIGON_ASAN 1
#endif
#endif
#ifdef __SANITIZE_ADDRESS__
#define VERTIGON_ASAN 1
#endif
#ifdef VERTIGON_ASAN
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#endif

namespace vertigon {
namespace {

// The resident size. Under AddressSanitizer freed blocks sit in a quarantine of up to 256 MiB,
// so there the allocator's count of live bytes stands in for it.
size_t MemoryInUse() {
#ifdef VERTIGON_ASAN
    return __sanitizer_get_current_allocated_bytes();
#else
    unsigned long pages = 0, resident = 0;
    std::FILE* statm = std::fopen("/proc/self/statm", "r");
    if (!statm) return 0;
    const int fields = std::fscanf(statm, "%lu %lu", &pages, &resident);
    std::fclose(statm);
    return fields == 2 ? resident * static_cast<size_t>(sysconf(_SC_PAGESIZE)) : 0;
#endif
}

TEST(OpenCloseMemory, AThousandOpensOfEachSampleKeepMemoryWithinFivePercent) {
    LoaderOptions options;
    options.searchDefaultEeImagePlaces = false;
    Workspace workspace(options);
    LoaderRegistry& registry = workspace.registry();
    int samples = 0;
    for (const auto& file : std::filesystem::directory_iterator(std::string(VERTIGON_SOURCE_DIR) + "/samples")) {
        const std::string path = file.path().string();
        if (!file.is_regular_file() || !registry.FindLoader(path)) continue;
        ++samples;
        size_t afterTen = 0;
        for (int round = 1; round <= 1000; ++round) {
            ASSERT_NE(registry.OpenModel(path), nullptr) << path;
            registry.ClearModels();
            if (round == 10) afterTen = MemoryInUse();
        }
        const size_t afterThousand = MemoryInUse();
        ASSERT_GT(afterTen, 0u);
        std::printf("%s: %zu bytes after 10 rounds, %zu after 1000\n", file.path().filename().c_str(), afterTen,
                    afterThousand);
        EXPECT_LE(afterThousand, afterTen + afterTen / 20) << path << ": " << afterTen << " -> " << afterThousand;
    }
    EXPECT_GE(samples, 3);
}

}  // namespace
}  // namespace vertigon
