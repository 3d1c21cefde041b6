#include "ee/program_image.h"

#include <cstring>
#include <string>
#include <vector>

namespace vertigon {
namespace {

constexpr size_t kElfHeaderSize = 52;
constexpr size_t kProgramHeaderStride = 32;
constexpr uint32_t kLoadableSegment = 1;

template <typename T>
T Field(std::span<const uint8_t> bytes, size_t offset) {
    T value;
    std::memcpy(&value, bytes.data() + offset, sizeof value);
    return value;
}

bool Fits(uint64_t offset, uint64_t length, uint64_t size) { return offset <= size && length <= size - offset; }

struct Segment {
    uint32_t fileOffset;
    uint32_t memoryOffset;
    uint32_t size;
};

[[noreturn]] void Refuse(const std::string& reason) { throw ProgramImageError(reason); }

}  // namespace

ProgramHeaders LoadProgramImage(EeState& state, std::span<const uint8_t> image) {
    if (image.size() < kElfHeaderSize) Refuse("shorter than an ELF header");
    const auto tableOffset = Field<uint32_t>(image, 28);
    const auto entrySize = Field<int16_t>(image, 42);
    const auto entryCount = Field<int16_t>(image, 44);
    if (entrySize < 0 || entryCount < 0) Refuse("negative program-header size or count");
    const uint64_t tableSize = uint64_t(entrySize) * uint64_t(entryCount);
    if (!Fits(tableOffset, tableSize, image.size())) Refuse("program-header table outside the file");
    const std::span<const uint8_t> table = image.subspan(tableOffset, tableSize);

    // Entries are read with a fixed stride; each must lie inside the table.
    std::vector<Segment> segments;
    const int count = tableSize == 0 ? 0 : entryCount;
    for (int i = 0; i < count; ++i) {
        const size_t entry = kProgramHeaderStride * size_t(i);
        if (!Fits(entry, kProgramHeaderStride, table.size()))
            Refuse("program header " + std::to_string(i) + " outside the header table");
        if (Field<uint32_t>(table, entry) != kLoadableSegment) continue;
        const Segment segment{Field<uint32_t>(table, entry + 4), Field<uint32_t>(table, entry + 12),
                              Field<uint32_t>(table, entry + 16)};
        if (!Fits(segment.fileOffset, segment.size, image.size()))
            Refuse("segment " + std::to_string(i) + " lies outside the file");
        if (!Fits(segment.memoryOffset, segment.size, kMainMemorySize))
            Refuse("segment " + std::to_string(i) + " does not fit in main memory");
        segments.push_back(segment);
    }

    ProgramHeaders headers;
    std::memcpy(headers.elfHeader.data(), image.data(), kElfHeaderSize);
    headers.table.assign(table.begin(), table.end());
    for (const Segment& segment : segments)
        std::memcpy(state.mainBase + segment.memoryOffset, image.data() + segment.fileOffset, segment.size);
    return headers;
}

}  // namespace vertigon
