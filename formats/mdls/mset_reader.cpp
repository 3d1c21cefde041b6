#include "formats/mdls/mset_reader.h"

#include <cstring>
#include <string>

#include "formats/load_error.h"

namespace vertigon::mdls {
namespace {

constexpr uint8_t kMotionMagic[4] = {'M', 'M', 'T', 'N'};
constexpr uint64_t kOffsetListStart = 64;  // from the motion block
constexpr uint32_t kListEnd = 0xFFFFFFFF;

}  // namespace

std::vector<AnimationBlock> ReadAnimationBlocks(const ByteReader& file) {
    std::vector<AnimationBlock> blocks;
    if (file.U32(0) == 0) return blocks;  // no entry 0

    const uint64_t entry = file.U32(4);
    const auto head = file.Bytes(entry, 4);
    const uint64_t motion =
        std::memcmp(head.data(), kMotionMagic, 4) == 0 ? entry : ByteReader::Add(entry, file.U32(entry + 4));
    const uint64_t base = ByteReader::Add(motion, kOffsetListStart);

    std::vector<uint32_t> offsets;
    for (uint64_t at = base;; at += 4) {
        const uint32_t offset = file.U32(at);
        if (offset == kListEnd) break;
        offsets.push_back(offset);
    }

    for (size_t i = 0; i < offsets.size(); ++i) {
        const uint64_t start = ByteReader::Add(base, offsets[i]);
        file.Require(start, 0);
        const uint64_t end = i + 1 < offsets.size() ? ByteReader::Add(base, offsets[i + 1]) : file.size();
        if (end < start)
            Refuse("animation " + std::to_string(i) + " ends before it starts");
        file.Require(start, end - start);
        blocks.push_back({start, end - start});
    }
    return blocks;
}

}  // namespace vertigon::mdls
