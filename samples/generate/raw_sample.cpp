// Writes the bundled RAW sample into the folder given as the only argument.
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "tests/fixtures/raw_sample.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_raw_sample OUTPUT_FOLDER\n");
        return 64;
    }
    const std::vector<uint8_t> bytes = vertigon::testing::BuildRawSample();
    const std::filesystem::path path = std::filesystem::path(argv[1]) / vertigon::testing::kRawSampleName;
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
        std::fprintf(stderr, "make_raw_sample: cannot write %s\n", path.string().c_str());
        return 1;
    }
    std::printf("%s (%zu bytes)\n", path.string().c_str(), bytes.size());
    return 0;
}
