#include "formats/mdlx/mdlx_shape_builder.h"

#include <cmath>
#include <cstring>
#include <limits>
#include <unordered_map>

#include "formats/load_error.h"

namespace vertigon::mdlx {

namespace {

constexpr float kCoordinateScale = 1.0f / 4096.0f;
constexpr uint32_t kNoBone = 0xFFFFFF;

// Key of a single-bone vertex for merging. Equal keys are exactly the positions that compare
// equal as floats: -0 is folded into +0, and NaN positions are never looked up.
struct SingleKey {
    uint32_t bone, x, y, z;
    bool operator==(const SingleKey&) const = default;
};

struct SingleKeyHash {
    size_t operator()(const SingleKey& k) const {
        uint64_t h = k.bone;
        for (uint32_t part : {k.x, k.y, k.z}) h = (h ^ part) * 0x100000001B3ull + (h >> 29);
        return static_cast<size_t>(h);
    }
};

uint32_t FloatKey(float value) {
    if (value == 0.0f) value = 0.0f;
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

struct SingleVertex {
    int32_t index;
    float x, y, z;
};

struct GroupVertex {
    int32_t index;
    int32_t influenceCount;
    size_t firstInfluence;  // into the owner bone's influence list
};

// The last three pushed strip corners.
class StripWindow {
public:
    struct Corner {
        int32_t vertex;
        float u, v;
    };

    void Push(const Corner& corner) {
        corners_[0] = corners_[1];
        corners_[1] = corners_[2];
        corners_[2] = corner;
        if (pushed_ < 3) ++pushed_;
    }
    bool Full() const { return pushed_ == 3; }
    const Corner& oldest() const { return corners_[0]; }
    const Corner& middle() const { return corners_[1]; }
    const Corner& newest() const { return corners_[2]; }

private:
    Corner corners_[3] = {};
    int pushed_ = 0;
};

Triangle MakeTriangle(const StripWindow::Corner& a, const StripWindow::Corner& b, const StripWindow::Corner& c) {
    Triangle t;
    const StripWindow::Corner* corners[3] = {&a, &b, &c};
    for (int i = 0; i < 3; ++i) {
        t.positionIndex[i] = corners[i]->vertex;
        t.u[i] = corners[i]->u;
        t.v[i] = corners[i]->v;
        for (uint8_t& channel : t.colour[i]) channel = 255;
    }
    return t;
}

class ShapeBuilder {
public:
    explicit ShapeBuilder(uint32_t boneCount)
        : singles_(boneCount), groups_(boneCount), influences_(boneCount) {}

    void AddSubpart(const Subpart& subpart) {
        Batch& batch = shape_.batches.emplace_back();
        Material& material = batch.materials.emplace_back();
        material.drawable = true;
        material.translucent = (subpart.flags & 0x0F) == 3;
        material.textureIndex = static_cast<int32_t>(subpart.textureIndex);

        size_t emitting = 0;
        for (const Packet& packet : subpart.packets) {
            for (const StripElement& e : packet.strip) emitting += (e.flag & kStripEmit) != 0;
        }
        batch.triangles.reserve(emitting);
        for (const Packet& packet : subpart.packets) {
            const std::vector<int32_t> remap = NumberVertices(packet);
            AddStrip(packet, remap, batch);
        }
    }

    Shape Finish() {
        for (size_t bone = 0; bone < singles_.size(); ++bone) {
            for (const SingleVertex& v : singles_[bone]) {
                SkinEntry& entry = shape_.positionSingles.emplace_back();
                entry.index = v.index;
                entry.bone = static_cast<int32_t>(bone);
                entry.value = {v.x, v.y, v.z, 1.0f};
            }
        }
        for (size_t bone = 0; bone < groups_.size(); ++bone) {
            for (const GroupVertex& g : groups_[bone]) {
                shape_.positionGroups.push_back(
                    {g.index, g.influenceCount, static_cast<int32_t>(shape_.positionInfluences.size())});
                const auto first = influences_[bone].begin() + static_cast<ptrdiff_t>(g.firstInfluence);
                shape_.positionInfluences.insert(shape_.positionInfluences.end(), first, first + g.influenceCount);
            }
        }
        return std::move(shape_);
    }

private:
    int32_t NextOutputVertex() {
        if (nextVertex_ == std::numeric_limits<int32_t>::max()) Refuse("the model has too many vertices");
        return nextVertex_++;
    }

    // Output vertex numbers of the packet's vertices, in packet order.
    std::vector<int32_t> NumberVertices(const Packet& packet) {
        std::vector<int32_t> remap(packet.vertexCount());
        for (size_t v = 0; v < remap.size(); ++v) {
            const uint32_t first = packet.vertexStart[v];
            const uint32_t count = packet.vertexStart[v + 1] - first;
            remap[v] = count == 1 ? AddSingle(packet, packet.vertexPositions[first])
                                  : AddGroup(packet, &packet.vertexPositions[first], count);
        }
        return remap;
    }

    // Single-bone vertices are merged per bone across the whole Shape.
    int32_t AddSingle(const Packet& packet, uint32_t position) {
        const PacketPosition& p = packet.positions[position];
        const uint32_t bone = packet.positionBones[position];
        const bool comparable = !std::isnan(p.x) && !std::isnan(p.y) && !std::isnan(p.z);
        const SingleKey key{bone, FloatKey(p.x), FloatKey(p.y), FloatKey(p.z)};
        if (comparable) {
            const auto found = merged_.find(key);
            if (found != merged_.end()) return found->second;
        }
        const int32_t index = NextOutputVertex();
        singles_[bone].push_back({index, p.x, p.y, p.z});
        if (comparable) merged_.emplace(key, index);
        return index;
    }

    // Multi-bone vertices are never merged; each is owned by its smallest bone.
    int32_t AddGroup(const Packet& packet, const uint32_t* positions, uint32_t count) {
        uint32_t owner = kNoBone;
        for (uint32_t i = 0; i < count; ++i) owner = std::min(owner, packet.positionBones[positions[i]]);
        std::vector<SkinEntry>& influences = influences_[owner];
        const int32_t index = NextOutputVertex();
        groups_[owner].push_back({index, static_cast<int32_t>(count), influences.size()});
        for (uint32_t i = 0; i < count; ++i) {
            const PacketPosition& p = packet.positions[positions[i]];
            SkinEntry& entry = influences.emplace_back();
            entry.bone = static_cast<int32_t>(packet.positionBones[positions[i]]);
            entry.value = {p.x, p.y, p.z, p.w};  // stored already weighted
        }
        return index;
    }

    void AddStrip(const Packet& packet, const std::vector<int32_t>& remap, Batch& batch) {
        for (const StripElement& e : packet.strip) {
            if (!StripFlagPushes(e.flag)) continue;
            window_.Push({remap[e.vertex], e.u * kCoordinateScale, e.v * kCoordinateScale});
            // A strip that starts emitting before three corners exist has no triangle to give.
            if (e.flag == kStripPush || !window_.Full()) continue;
            if (e.flag == kStripEmit) {
                batch.triangles.push_back(MakeTriangle(window_.newest(), window_.middle(), window_.oldest()));
            } else {
                batch.triangles.push_back(MakeTriangle(window_.oldest(), window_.middle(), window_.newest()));
            }
        }
    }

    Shape shape_;
    std::vector<std::vector<SingleVertex>> singles_;  // per bone, in order of first appearance
    std::vector<std::vector<GroupVertex>> groups_;    // per owner bone, in order of appearance
    std::vector<std::vector<SkinEntry>> influences_;  // per owner bone
    std::unordered_map<SingleKey, int32_t, SingleKeyHash> merged_;
    StripWindow window_;  // carried through the whole Shape, as the strips are read
    int32_t nextVertex_ = 0;
};

}  // namespace

Shape BuildShape(const std::vector<Subpart>& subparts, uint32_t boneCount) {
    ShapeBuilder builder(boneCount);
    for (const Subpart& subpart : subparts) builder.AddSubpart(subpart);
    return builder.Finish();
}

}  // namespace vertigon::mdlx
