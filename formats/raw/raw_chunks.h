// The tree of tagged chunks a RAW file is made of. Every chunk has a 48-byte header (tag,
// a kept word, a count and a name) followed by its data; "@FRP" chunks are containers whose
// data starts with the positions of their children.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "formats/byte_reader.h"

namespace vertigon::raw {

struct Chunk {
    static constexpr uint64_t kHeaderBytes = 48;

    char tag[5] = {};      // four characters, zero-terminated
    uint32_t kept = 0;     // the word at header offset 8; its meaning is unknown
    uint32_t count = 0;    // children of a container, entries of "@FTE" and "@FCT"
    std::string name;
    uint64_t offset = 0;   // of the header in the file; offsets inside a chunk count from here
    std::vector<Chunk> children;  // containers only

    uint64_t dataOffset() const { return offset + kHeaderBytes; }
    bool HasTag(std::string_view t) const { return std::string_view(tag) == t; }
};

// Reads the tree whose root header lies at file offset 0. Throws FormatError when a chunk lies
// outside the file or the tree is unreasonably deep or large (shared or looping child positions).
Chunk ReadChunkTree(const ByteReader& file);

// The node itself when it carries `tag`, otherwise the first match among its children, each
// searched depth-first; null when there is none.
const Chunk* FindChunk(const Chunk& node, std::string_view tag);

}  // namespace vertigon::raw
