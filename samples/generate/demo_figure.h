// The demo robot's skeleton and the builder that turns its boxes and tubes into model.ffm
// objects. Included by demo_sample.cpp only.
//
// Everything is authored in "blocks" of 1000 file units in the file's own axes: +x is the
// robot's left (the viewer's right), +y points down (the placement turns the model by pi
// about x, so file +y ends up pointing down on screen) and the robot faces -z (toward the
// camera after the turn). The placement's 1/128 scale makes one block about 7.8 scene units:
// the 34-block figure fills a little over half the height of the default view.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <map>
#include <stdexcept>
#include <vector>

#include "samples/generate/demo_texture.h"
#include "tests/fixtures/ffb_writer.h"

namespace demo {

using vertigon::testing::FfmCornerDesc;
using vertigon::testing::FfmObjectDesc;
using vertigon::testing::FfmWeightEntry;
using vertigon::testing::FfmWeightListDesc;

constexpr float kBlock = 1000.0f;

struct V3 {
    float x = 0, y = 0, z = 0;
};
inline V3 operator+(V3 a, V3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline V3 operator-(V3 a, V3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline V3 operator*(V3 a, float s) { return {a.x * s, a.y * s, a.z * s}; }
inline V3 Cross(V3 a, V3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
inline V3 Normalised(V3 v) {
    const float length = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    return v * (1.0f / length);
}

enum Bone : int {
    kPelvis, kSpine, kChest, kHead, kAntenna,
    kUpperArmL, kForearmL, kHandL, kUpperArmR, kForearmR, kHandR,
    kThighL, kShinL, kFootL, kThighR, kShinR, kFootR,
    kBoneCount
};

struct BoneDef {
    int parent;
    V3 origin;  // joint position in the bind pose, in blocks
};

inline const BoneDef kBones[kBoneCount] = {
    {-1, {0, 2.0f, 0}},           // pelvis
    {kPelvis, {0, 0, 0}},         // spine
    {kSpine, {0, -4.0f, 0}},      // chest
    {kChest, {0, -8.5f, 0}},      // head
    {kHead, {0, -14.6f, 0}},      // antenna
    {kChest, {5.2f, -7.5f, 0}},   // upper arm L
    {kUpperArmL, {5.2f, -2.5f, 0}},
    {kForearmL, {5.2f, 1.6f, 0}},
    {kChest, {-5.2f, -7.5f, 0}},  // upper arm R
    {kUpperArmR, {-5.2f, -2.5f, 0}},
    {kForearmR, {-5.2f, 1.6f, 0}},
    {kPelvis, {2.0f, 2.5f, 0}},   // thigh L
    {kThighL, {2.0f, 8.5f, 0}},
    {kShinL, {2.0f, 13.9f, 0}},
    {kPelvis, {-2.0f, 2.5f, 0}},  // thigh R
    {kThighR, {-2.0f, 8.5f, 0}},
    {kShinR, {-2.0f, 13.9f, 0}},
};

inline int16_t Units(float blocks) { return static_cast<int16_t>(std::lround(blocks * kBlock)); }

// The bone's local translation in file units (a multiple of 10, so animations hold it exactly).
inline V3 BoneOffset(int bone) {
    const BoneDef& b = kBones[bone];
    const V3 parent = b.parent < 0 ? V3{} : kBones[b.parent].origin;
    return (b.origin - parent) * kBlock;
}

struct Influence {
    int bone;
    float weight;
};

// Collects vertices with their bone influences, flat face normals and faces, and writes one
// model.ffm object: boxes as triangle lists, tubes as strip groups, weight lists per bone.
class ObjectBuilder {
public:
    ObjectBuilder(int defaultBone, bool wide) : defaultBone_(defaultBone), wide_(wide) {}

    // No influences: the vertex is left to the object's default bone.
    int Vertex(V3 blocks, std::vector<Influence> influences = {}) {
        for (size_t i = 0; i < vertices_.size(); ++i) {
            const VertexDef& v = vertices_[i];
            if (Same(v.position, blocks) && SameInfluences(v.influences, influences)) return static_cast<int>(i);
        }
        vertices_.push_back({blocks, std::move(influences)});
        return static_cast<int>(vertices_.size() - 1);
    }

    // A box bound to one bone (or, with bone -1, left to the default bone).
    void Box(V3 min, V3 max, int bone, Tile front, Tile sides, Tile top, Tile back) {
        const V3 c = (min + max) * 0.5f;
        const V3 h = (max - min) * 0.5f;
        // Each face: outward normal n, "down" d as seen from outside; right = n x d.
        struct Face {
            V3 n, d;
            Tile tile;
        };
        const Face faces[6] = {{{0, 0, -1}, {0, 1, 0}, front}, {{0, 0, 1}, {0, 1, 0}, back},
                               {{1, 0, 0}, {0, 1, 0}, sides}, {{-1, 0, 0}, {0, 1, 0}, sides},
                               {{0, -1, 0}, {0, 0, -1}, top},  {{0, 1, 0}, {0, 0, -1}, top}};
        for (const Face& f : faces) {
            const V3 r = Cross(f.n, f.d);
            const auto extent = [&h](V3 axis) { return std::fabs(axis.x) * h.x + std::fabs(axis.y) * h.y + std::fabs(axis.z) * h.z; };
            const V3 centre = c + f.n * extent(f.n);
            const V3 right = r * extent(r);
            const V3 down = f.d * extent(f.d);
            const std::vector<Influence> on = bone < 0 ? std::vector<Influence>{} : std::vector<Influence>{{bone, 1}};
            const int tl = Vertex(centre - right - down, on), bl = Vertex(centre - right + down, on);
            const int br = Vertex(centre + right + down, on), tr = Vertex(centre + right - down, on);
            ListQuad(tl, bl, br, tr, Normal(f.n, bone), f.tile);
        }
    }

    // A square-section tube through rings at the given heights (blocks, top first), centred on
    // (x, z); each ring has its half width and influences. Side faces only; `frontTiles` and
    // `sideTile` per segment.
    struct Ring {
        float y;
        float halfX, halfZ;
        std::vector<Influence> influences;
    };
    void Tube(float x, float z, const std::vector<Ring>& rings, const std::vector<Tile>& frontTiles,
              const std::vector<Tile>& sideTiles, const std::vector<int>& segmentBones, bool capTop, bool capBottom,
              Tile capTile) {
        const auto corner = [&](const Ring& ring, float sx, float sz) {
            return Vertex({x + sx * ring.halfX, ring.y, z + sz * ring.halfZ}, ring.influences);
        };
        // Sides in order front (-z), right of the viewer (+x), back, left; (sx, sz) of the
        // face's left and right edges as seen from outside.
        struct Side {
            float lx, lz, rx, rz;
            bool front;
        };
        const Side sides[4] = {{-1, -1, 1, -1, true}, {1, -1, 1, 1, false}, {1, 1, -1, 1, false}, {-1, 1, -1, -1, false}};
        for (size_t s = 0; s + 1 < rings.size(); ++s) {
            const Ring& top = rings[s];
            const Ring& bottom = rings[s + 1];
            for (const Side& side : sides) {
                const int tl = corner(top, side.lx, side.lz), tr = corner(top, side.rx, side.rz);
                const int bl = corner(bottom, side.lx, side.lz), br = corner(bottom, side.rx, side.rz);
                const V3 n = Normalised(Cross(Position(bl) - Position(tl), Position(br) - Position(tl)));
                StripQuad(tl, bl, br, tr, Normal(n, segmentBones[s]), side.front ? frontTiles[s] : sideTiles[s]);
            }
        }
        if (capTop) {
            const Ring& r = rings.front();
            StripQuad(corner(r, -1, 1), corner(r, -1, -1), corner(r, 1, -1), corner(r, 1, 1),
                      Normal({0, -1, 0}, segmentBones.front()), capTile);
        }
        if (capBottom) {
            const Ring& r = rings.back();
            StripQuad(corner(r, -1, -1), corner(r, -1, 1), corner(r, 1, 1), corner(r, 1, -1),
                      Normal({0, 1, 0}, segmentBones.back()), capTile);
        }
    }

    FfmObjectDesc Object(std::vector<FfmWeightListDesc>& positionLists, std::vector<FfmWeightListDesc>& normalLists,
                         uint16_t objectIndex) const {
        FfmObjectDesc object;
        object.defaultBone = static_cast<uint16_t>(defaultBone_);
        const V3 home = kBones[defaultBone_].origin;
        for (const VertexDef& v : vertices_) object.positions.push_back(InBoneSpace(v.position, home));
        for (const NormalDef& n : normals_) object.normals.push_back(NormalWords(n.direction));
        if (!listCorners_.empty()) {
            vertigon::testing::FfmMeshDesc list;
            list.corners = listCorners_;
            object.meshes.push_back(list);
        }
        if (!stripGroups_.empty()) {
            vertigon::testing::FfmMeshDesc strips;
            strips.flags = vertigon::testing::kFfmStripGroups;
            strips.stripGroups = stripGroups_;
            object.meshes.push_back(strips);
        }
        AddWeightLists(positionLists, normalLists, objectIndex);
        return object;
    }

private:
    struct VertexDef {
        V3 position;
        std::vector<Influence> influences;
    };
    struct NormalDef {
        V3 direction;
        int bone;
    };

    static bool Same(V3 a, V3 b) { return a.x == b.x && a.y == b.y && a.z == b.z; }
    static bool SameInfluences(const std::vector<Influence>& a, const std::vector<Influence>& b) {
        if (a.size() != b.size()) return false;
        for (size_t i = 0; i < a.size(); ++i) {
            if (a[i].bone != b[i].bone || a[i].weight != b[i].weight) return false;
        }
        return true;
    }
    static vertigon::testing::FfmVector InBoneSpace(V3 blocks, V3 boneOrigin) {
        const V3 p = blocks - boneOrigin;
        return {Units(p.x), Units(p.y), Units(p.z)};
    }
    static vertigon::testing::FfmVector NormalWords(V3 n) {
        const auto word = [](float c) { return static_cast<int16_t>(std::lround(c * 4096.0f)); };
        return {word(n.x), word(n.y), word(n.z)};
    }

    V3 Position(int vertex) const { return vertices_[static_cast<size_t>(vertex)].position; }

    int Normal(V3 direction, int bone) {
        normals_.push_back({direction, bone});
        return static_cast<int>(normals_.size() - 1);
    }

    static FfmCornerDesc Corner(int vertex, int normal, float u, float v) {
        return {static_cast<uint16_t>(vertex), static_cast<uint16_t>(normal), vertigon::testing::EncodeTexel(u),
                vertigon::testing::EncodeTexel(v)};
    }

    // Texel rectangle of a tile, one texel inside its edges.
    struct Rect {
        float u0, v0, u1, v1;
    };
    static Rect TileRect(Tile t) {
        const float u = static_cast<float>(t.column * 32), v = static_cast<float>(t.row * 32);
        return {u + 1, v + 1, u + 31, v + 31};
    }

    // Corners top-left, bottom-left, bottom-right, top-right as seen from outside (counter-
    // clockwise). A triangle list stores each triangle counter-clockwise; the loader reverses
    // list corners, so the model's triangles come out clockwise as seen, which is what the
    // renderer keeps when it culls counter-clockwise faces.
    void ListQuad(int tl, int bl, int br, int tr, int normal, Tile tile) {
        const Rect r = TileRect(tile);
        const FfmCornerDesc ctl = Corner(tl, normal, r.u0, r.v0), cbl = Corner(bl, normal, r.u0, r.v1);
        const FfmCornerDesc cbr = Corner(br, normal, r.u1, r.v1), ctr = Corner(tr, normal, r.u1, r.v0);
        listCorners_.insert(listCorners_.end(), {ctl, cbl, cbr, ctl, cbr, ctr});
    }

    // The same quad as a four-corner strip. Strip triangles keep their corner order, so the
    // first one must already be clockwise as seen: top-left, top-right, bottom-left, then
    // bottom-right gives (tl, tr, bl) and (br, bl, tr).
    void StripQuad(int tl, int bl, int br, int tr, int normal, Tile tile) {
        const Rect r = TileRect(tile);
        const vertigon::testing::FfmStrip strip = {Corner(tl, normal, r.u0, r.v0), Corner(tr, normal, r.u1, r.v0),
                                                   Corner(bl, normal, r.u0, r.v1), Corner(br, normal, r.u1, r.v1)};
        // A group holds up to 255 units of 16 bytes: 8 header bytes per 4 strips, 32 per strip.
        if (stripGroups_.empty() || stripGroups_.back().size() >= 100) stripGroups_.emplace_back();
        stripGroups_.back().push_back(strip);
    }

    // One position list and one normal list per bone the object uses, in bone order. A vertex
    // bound to one bone goes in block 1 of that bone's list; a shared vertex puts its first
    // (lowest) bone in block 2 and the others in block 3, so that the block that may replace
    // comes before the blocks that add.
    void AddWeightLists(std::vector<FfmWeightListDesc>& positionLists, std::vector<FfmWeightListDesc>& normalLists,
                        uint16_t objectIndex) const {
        std::map<int, std::pair<FfmWeightListDesc, FfmWeightListDesc>> lists;
        const auto listFor = [&](int bone) -> std::pair<FfmWeightListDesc, FfmWeightListDesc>& {
            auto [it, inserted] = lists.try_emplace(bone);
            if (inserted) {
                for (FfmWeightListDesc* l : {&it->second.first, &it->second.second}) {
                    l->bone = static_cast<uint16_t>(bone);
                    l->object = objectIndex;
                    l->wide = wide_;
                }
            }
            return it->second;
        };
        for (size_t i = 0; i < vertices_.size(); ++i) {
            std::vector<Influence> influences = vertices_[i].influences;
            std::sort(influences.begin(), influences.end(), [](const Influence& a, const Influence& b) { return a.bone < b.bone; });
            for (size_t k = 0; k < influences.size(); ++k) {
                const Influence& in = influences[k];
                const auto p = InBoneSpace(vertices_[i].position, kBones[in.bone].origin);
                const auto weight = static_cast<uint16_t>(std::lround(in.weight * (wide_ ? 10000.0f : 255.0f)));
                FfmWeightEntry entry{p[0], p[1], p[2], static_cast<uint16_t>(i), weight};
                FfmWeightListDesc& list = listFor(in.bone).first;
                if (influences.size() == 1) {
                    list.block1.push_back(entry);
                } else {
                    (k == 0 ? list.block2 : list.block3).push_back(entry);
                }
            }
        }
        for (size_t i = 0; i < normals_.size(); ++i) {
            if (normals_[i].bone < 0) continue;  // left to the default bone
            const auto n = NormalWords(normals_[i].direction);
            listFor(normals_[i].bone).second.block1.push_back({n[0], n[1], n[2], static_cast<uint16_t>(i), 10000});
        }
        for (auto& [bone, pair] : lists) {
            positionLists.push_back(pair.first);
            normalLists.push_back(pair.second);
        }
    }

    int defaultBone_;
    bool wide_;
    std::vector<VertexDef> vertices_;
    std::vector<NormalDef> normals_;
    std::vector<FfmCornerDesc> listCorners_;
    std::vector<vertigon::testing::FfmStripGroup> stripGroups_;
};

}  // namespace demo
