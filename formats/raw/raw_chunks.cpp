#include "formats/raw/raw_chunks.h"

#include <cstring>

#include "formats/load_error.h"

namespace vertigon::raw {

namespace {

// Child positions are unsigned and count from the container's data, so a child always lies
// after its parent and no tree loops; but many containers may name the same child, which
// multiplies the nodes. Real trees are a few levels deep and never share.
constexpr int kMaxDepth = 64;

class ChunkTreeReader {
public:
    explicit ChunkTreeReader(const ByteReader& file)
        : file_(file), nodesLeft_(file.size() / 4 + 1) {}

    Chunk Read(uint64_t offset, int depth) {
        if (depth > kMaxDepth) Refuse("the chunk tree is nested too deeply");
        if (nodesLeft_-- == 0) Refuse("the chunk tree names more chunks than the file holds");
        file_.Require(offset, Chunk::kHeaderBytes);

        Chunk chunk;
        std::memcpy(chunk.tag, file_.Bytes(offset, 4).data(), 4);
        chunk.kept = file_.U32(offset + 8);
        chunk.count = file_.U32(offset + 12);
        const auto name = file_.Bytes(offset + 16, 32);
        const auto end = std::memchr(name.data(), 0, name.size());
        chunk.name.assign(reinterpret_cast<const char*>(name.data()),
                          end ? static_cast<const uint8_t*>(end) - name.data() : name.size());
        chunk.offset = offset;

        if (chunk.HasTag("@FRP")) {
            const uint64_t data = chunk.dataOffset();
            file_.RequireArray(data, chunk.count, 4);
            chunk.children.reserve(chunk.count);
            for (uint32_t i = 0; i < chunk.count; ++i) {
                const uint64_t child = ByteReader::Add(data, file_.U32(data + 4 * uint64_t{i}));
                chunk.children.push_back(Read(child, depth + 1));
            }
        }
        return chunk;
    }

private:
    const ByteReader& file_;
    uint64_t nodesLeft_;
};

}  // namespace

Chunk ReadChunkTree(const ByteReader& file) { return ChunkTreeReader(file).Read(0, 0); }

const Chunk* FindChunk(const Chunk& node, std::string_view tag) {
    if (node.HasTag(tag)) return &node;
    for (const Chunk& child : node.children) {
        if (const Chunk* found = FindChunk(child, tag)) return found;
    }
    return nullptr;
}

}  // namespace vertigon::raw
