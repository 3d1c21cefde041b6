// Several output files written whole or not at all: each goes to a temporary name in its own
// directory first, and only when all are written are they renamed over their final names.
#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

namespace vertigon {

struct OutputFile {
    std::filesystem::path path;
    std::vector<uint8_t> bytes;
};

// Renames in list order, so the file that names the others should come last. Throws
// ExportError naming the path that failed; the temporaries are removed then.
void WriteFilesWhole(const std::vector<OutputFile>& files);

}  // namespace vertigon
