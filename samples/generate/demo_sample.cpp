// Writes the bundled FFB demo model into the folder given as the only argument.
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "tests/fixtures/ffb_demo_sample.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_demo_sample OUTPUT_FOLDER\n");
        return 64;
    }
    const std::vector<uint8_t> bytes = vertigon::testing::BuildDemoSample();
    const std::filesystem::path path = std::filesystem::path(argv[1]) / vertigon::testing::kDemoSampleName;
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
        std::fprintf(stderr, "make_demo_sample: cannot write %s\n", path.string().c_str());
        return 1;
    }
    std::printf("%s (%zu bytes)\n", path.string().c_str(), bytes.size());
    return 0;
}
