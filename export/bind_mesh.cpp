#include "export/bind_mesh.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <unordered_map>

#include "export/float_range.h"
#include "image/texture_pixels.h"
#include "scene/skin_kernel.h"

namespace vertigon {

namespace {

using V3 = std::array<double, 3>;

struct Influence {
    int32_t bone = 0;
    double weight = 0;
};

// One skinned output of a shape at the bind pose.
struct BindPoint {
    V3 value{0, 0, 0};
    std::vector<Influence> influences;  // merged per bone, largest first
    bool valid = false;
};

V3 Transform(const Vec4& v, const Affine& m, bool direction) {
    V3 r;
    for (int j = 0; j < 3; ++j) {
        r[j] = v.x * m.a[0][j] + v.y * m.a[1][j] + v.z * m.a[2][j] + (direction ? 0.0 : v.w * m.t[j]);
    }
    return r;
}

// The bind-pose matrices the skin entries name; a model without bones has none, and its points
// are only placed.
struct BindSpace {
    std::vector<Affine> worlds;
    Affine placement;

    const Affine& World(int32_t bone) const {
        return InRange(bone, worlds.size()) ? worlds[static_cast<size_t>(bone)] : placement;
    }
};

// The skinning sum in double at the bind pose, keeping each output's influences merged per bone.
struct BindSum {
    const BindSpace& space;
    bool directions;
    bool boneless;

    BindPoint Single(const SkinEntry& e) const {
        return {Transform(e.value, space.World(e.bone), directions), {{boneless ? 0 : e.bone, 1.0}}, true};
    }
    BindPoint Zero() const { return {V3{0, 0, 0}, {}, true}; }
    void Add(BindPoint& p, const SkinEntry& e) const {
        const V3 v = Transform(e.value, space.World(e.bone), directions);
        for (int j = 0; j < 3; ++j) p.value[j] += v[j];
        const int32_t bone = boneless ? 0 : e.bone;
        auto same = std::find_if(p.influences.begin(), p.influences.end(),
                                 [bone](const Influence& i) { return i.bone == bone; });
        if (same == p.influences.end()) {
            p.influences.push_back({bone, e.value.w});
        } else {
            same->weight += e.value.w;
        }
    }
};

// Positions or normals of one shape, indexed by output, as the skinning sums them.
std::vector<BindPoint> BindPoints(const SkinLists& lists, size_t count, const BindSpace& space, bool directions) {
    std::vector<BindPoint> points(count);
    const bool boneless = space.worlds.empty();
    // A model without bones only places its points, whatever bone an entry names.
    const std::optional<size_t> bones = boneless ? std::nullopt : std::optional<size_t>(space.worlds.size());
    SkinSums(lists, count, bones, BindSum{space, directions, boneless}, [&points](size_t i, BindPoint&& p) {
        std::stable_sort(p.influences.begin(), p.influences.end(),
                         [](const Influence& a, const Influence& b) { return a.weight > b.weight; });
        points[i] = std::move(p);
    });
    return points;
}

double Distance(const V3& a, const V3& b) {
    return std::sqrt((a[0] - b[0]) * (a[0] - b[0]) + (a[1] - b[1]) * (a[1] - b[1]) + (a[2] - b[2]) * (a[2] - b[2]));
}

// How far the influences of one grouped position lie from their weighted sum: each influence's
// own point is its weighted value divided by its weight.
double Disagreement(std::span<const SkinEntry> influences, const std::vector<Affine>& worlds, const V3& sum) {
    double worst = 0;
    for (const SkinEntry& e : influences) {
        if (e.value.w == 0.0f || !InRange(e.bone, worlds.size())) continue;
        const Vec4 own{e.value.x / e.value.w, e.value.y / e.value.w, e.value.z / e.value.w, 1.0f};
        worst = std::max(worst, Distance(Transform(own, worlds[static_cast<size_t>(e.bone)], false), sum));
    }
    return worst;
}

// glTF holds finite numbers only: a NaN or infinity of a damaged file (or a point beyond float
// range, which ToFloat makes infinite) becomes 0. Whether any was replaced.
template <size_t N>
bool ReplaceNonFinite(std::array<float, N>& values) {
    bool replaced = false;
    for (float& value : values) {
        if (!std::isfinite(value)) {
            value = 0;
            replaced = true;
        }
    }
    return replaced;
}

// Whether the corners in this order turn counter-clockwise about the corners' mean normal.
bool FacesItsNormals(const Triangle& t, const std::array<int, 3>& order, const std::vector<BindPoint>& positions,
                     const std::vector<BindPoint>& normals) {
    V3 p[3];
    V3 mean{0, 0, 0};
    for (int c = 0; c < 3; ++c) {
        const int corner = order[static_cast<size_t>(c)];
        const int32_t pi = t.positionIndex[corner];
        const int32_t ni = t.normalIndex[corner];
        p[c] = InRange(pi, positions.size()) ? positions[static_cast<size_t>(pi)].value : V3{0, 0, 0};
        if (InRange(ni, normals.size())) {
            for (int j = 0; j < 3; ++j) mean[j] += normals[static_cast<size_t>(ni)].value[j];
        }
    }
    const V3 e1{p[1][0] - p[0][0], p[1][1] - p[0][1], p[1][2] - p[0][2]};
    const V3 e2{p[2][0] - p[0][0], p[2][1] - p[0][1], p[2][2] - p[0][2]};
    const V3 face{e1[1] * e2[2] - e1[2] * e2[1], e1[2] * e2[0] - e1[0] * e2[2], e1[0] * e2[1] - e1[1] * e2[0]};
    return face[0] * mean[0] + face[1] * mean[1] + face[2] * mean[2] >= 0;
}

struct CornerKey {
    int32_t shape, position, normal;
    uint32_t u, v, colour;
    bool operator==(const CornerKey&) const = default;
};

struct CornerHash {
    size_t operator()(const CornerKey& k) const {
        uint64_t h = 1469598103934665603ull;
        for (uint32_t word : {static_cast<uint32_t>(k.shape), static_cast<uint32_t>(k.position),
                              static_cast<uint32_t>(k.normal), k.u, k.v, k.colour}) {
            h = (h ^ word) * 1099511628211ull;
        }
        return static_cast<size_t>(h);
    }
};

uint32_t Bits(float f) {
    uint32_t b;
    std::memcpy(&b, &f, 4);
    return b;
}

// Keeps the eight largest weights, scaled to sum to 1 in float; returns whether any were dropped.
bool FillInfluences(const BindPoint& p, MeshVertex& v, int32_t& used) {
    std::vector<Influence> kept;
    for (const Influence& i : p.influences) {
        if (i.weight > 0 && std::isfinite(i.weight)) kept.push_back(i);
    }
    const bool truncated = kept.size() > static_cast<size_t>(kMaxExportedInfluences);
    if (truncated) kept.resize(kMaxExportedInfluences);
    double total = 0;
    for (const Influence& i : kept) total += i.weight;
    if (kept.empty() || !(total > 0)) {
        kept = {{p.influences.empty() ? 0 : p.influences.front().bone, 1.0}};
        total = 1.0;
    }
    float sum = 0;
    for (size_t k = 0; k < kept.size(); ++k) {
        v.joints[k] = static_cast<uint16_t>(kept[k].bone);
        v.weights[k] = static_cast<float>(kept[k].weight / total);
        sum += v.weights[k];
    }
    v.weights[0] += 1.0f - sum;  // the rounding left over goes to the largest
    used = static_cast<int32_t>(kept.size());
    return truncated;
}

struct PrimitiveBuilder {
    MeshPrimitive primitive;
    std::unordered_map<CornerKey, uint32_t, CornerHash> corners;
    int32_t mostInfluences = 0;
};

class LodBuilder {
public:
    LodBuilder(const Model& model, const BindSpace& space, MeshSet& set) : model_(model), space_(space), set_(set) {}

    LodMesh Build(const Lod& lod) {
        std::vector<std::vector<BindPoint>> positions(lod.shapes.size()), normals(lod.shapes.size());
        std::vector<bool> measured(lod.shapes.size(), false);
        LodMesh mesh;
        mesh.name = lod.name;
        if (lod.drawGroups.empty()) return mesh;
        for (int32_t s : lod.drawGroups[0].shapeIndices) {
            if (!InRange(s, lod.shapes.size())) continue;
            const size_t shapeIndex = static_cast<size_t>(s);
            const Shape& shape = lod.shapes[shapeIndex];
            if (!measured[shapeIndex]) {
                measured[shapeIndex] = true;
                positions[shapeIndex] = BindPoints(PositionLists(shape), static_cast<size_t>(shape.positionCount()), space_, false);
                normals[shapeIndex] = BindPoints(NormalLists(shape), static_cast<size_t>(shape.normalCount()), space_, true);
                Measure(shape, positions[shapeIndex]);
            }
            for (const Batch& batch : shape.batches) {
                if (batch.materials.empty() || batch.materials[0].hidden) continue;
                PrimitiveBuilder& builder = PrimitiveFor(batch.materials[0], shape.normalCount() > 0);
                const bool faceTheNormals = batch.materials[0].doubleSided && builder.primitive.hasNormals;
                for (const Triangle& t : batch.triangles) {
                    // The viewer shows clockwise corners front-on; glTF fronts are counter-clockwise.
                    // A double-sided face shows either way in the viewer, lit by its normals alone;
                    // glTF lights a back face with reversed normals, so it faces its normals.
                    std::array<int, 3> order{0, 2, 1};
                    if (faceTheNormals && !FacesItsNormals(t, order, positions[shapeIndex], normals[shapeIndex])) {
                        order = {0, 1, 2};
                    }
                    for (int c : order) {
                        builder.primitive.indices.push_back(
                            Corner(builder, s, t, c, positions[shapeIndex], normals[shapeIndex]));
                    }
                }
            }
        }
        for (PrimitiveBuilder& b : builders_) {
            if (b.primitive.indices.empty()) continue;
            b.primitive.influenceSets = set_.skinned ? (b.mostInfluences > 4 ? 2 : 1) : 0;
            mesh.primitives.push_back(std::move(b.primitive));
        }
        builders_.clear();
        return mesh;
    }

private:
    PrimitiveBuilder& PrimitiveFor(const Material& m, bool hasNormals) {
        MaterialLook look{m.lit, m.doubleSided, m.translucent, -1};
        if (InRange(m.textureIndex, model_.textures.size())) {
            const Texture& texture = model_.textures[static_cast<size_t>(m.textureIndex)];
            if (HoldsPixels(texture.width, texture.height, texture.pixels.size())) look.texture = m.textureIndex;
        }
        auto found = std::find(set_.materials.begin(), set_.materials.end(), look);
        const int32_t material = static_cast<int32_t>(found - set_.materials.begin());
        if (found == set_.materials.end()) set_.materials.push_back(look);
        for (PrimitiveBuilder& b : builders_) {
            if (b.primitive.material == material && b.primitive.hasNormals == hasNormals) return b;
        }
        builders_.emplace_back();
        builders_.back().primitive.material = material;
        builders_.back().primitive.hasNormals = hasNormals;
        return builders_.back();
    }

    uint32_t Corner(PrimitiveBuilder& b, int32_t shape, const Triangle& t, int c, const std::vector<BindPoint>& positions,
                    const std::vector<BindPoint>& normals) {
        const int32_t p = t.positionIndex[c];
        const int32_t n = b.primitive.hasNormals ? t.normalIndex[c] : -1;
        uint32_t colour;
        std::memcpy(&colour, t.colour[c], 4);
        const CornerKey key{shape, p, n, Bits(t.u[c]), Bits(t.v[c]), colour};
        const auto [it, added] = b.corners.try_emplace(key, static_cast<uint32_t>(b.primitive.vertices.size()));
        if (!added) return it->second;

        MeshVertex v;
        const BindPoint none;
        const BindPoint& point = InRange(p, positions.size()) ? positions[static_cast<size_t>(p)] : none;
        for (int j = 0; j < 3; ++j) v.position[j] = ToFloat(point.value[j]);
        if (b.primitive.hasNormals) {
            const V3 normal = InRange(n, normals.size()) ? normals[static_cast<size_t>(n)].value : V3{0, 0, 0};
            const double length = std::sqrt(normal[0] * normal[0] + normal[1] * normal[1] + normal[2] * normal[2]);
            // A zero normal (the viewer draws it unlit) still needs a unit vector in the file.
            v.normal = length > 0 ? std::array<float, 3>{static_cast<float>(normal[0] / length),
                                                         static_cast<float>(normal[1] / length),
                                                         static_cast<float>(normal[2] / length)}
                                  : std::array<float, 3>{0, 0, 1};
        }
        v.uv = {t.u[c], t.v[c]};
        bool replaced = ReplaceNonFinite(v.position);
        replaced = ReplaceNonFinite(v.uv) || replaced;
        if (ReplaceNonFinite(v.normal)) {
            v.normal = {0, 0, 1};
            replaced = true;
        }
        if (replaced) ++set_.nonFiniteVertices;
        v.colour = {t.colour[c][2], t.colour[c][1], t.colour[c][0], t.colour[c][3]};  // from B, G, R, A
        if (set_.skinned) {
            int32_t used = 0;
            if (FillInfluences(point, v, used)) ++set_.truncatedVertices;
            b.mostInfluences = std::max(b.mostInfluences, used);
        }
        for (int j = 0; j < 3; ++j) {
            set_.boundsMin[j] = std::min(set_.boundsMin[j], static_cast<double>(v.position[j]));
            set_.boundsMax[j] = std::max(set_.boundsMax[j], static_cast<double>(v.position[j]));
        }
        b.primitive.vertices.push_back(v);
        return it->second;
    }

    void Measure(const Shape& shape, const std::vector<BindPoint>& positions) {
        for (const SkinGroup& g : shape.positionGroups) {
            const auto influences = GroupInfluences(g, shape.positionInfluences, positions.size());
            if (!influences || !positions[static_cast<size_t>(g.index)].valid) continue;
            disagreements_.push_back(Disagreement(*influences, space_.worlds, positions[static_cast<size_t>(g.index)].value));
        }
    }

public:
    std::vector<double> disagreements_;

private:
    const Model& model_;
    const BindSpace& space_;
    MeshSet& set_;
    std::vector<PrimitiveBuilder> builders_;
};

}  // namespace

double MeshSet::Diagonal() const { return Distance(boundsMin, boundsMax); }

Affine BakedPlacement(const Placement& placement) {
    const Affine p = PlacementTransform(placement);
    Affine inverse;
    const std::array<double, 16> m = p.ColumnMajor();
    const bool finite = std::ranges::all_of(m, [](double v) { return std::isfinite(v); });
    return finite && p.Inverse(inverse) ? p : Affine{};
}

std::vector<Affine> BindWorlds(const std::vector<Bone>& bones, const Affine& placement) {
    std::vector<Affine> worlds;
    worlds.reserve(bones.size());
    for (size_t k = 0; k < bones.size(); ++k) {
        const Bone& bone = bones[k];
        const Affine local = LocalTransform(bone);
        const bool hasParent = bone.parent >= 0 && static_cast<size_t>(bone.parent) < k;
        worlds.push_back(local.Then(hasParent ? worlds[static_cast<size_t>(bone.parent)] : placement));
    }
    return worlds;
}

MeshSet BuildMeshes(const Model& model, const std::vector<int32_t>& lodIndices) {
    MeshSet set;
    set.skinned = !model.bones.empty();
    set.boundsMin = {INFINITY, INFINITY, INFINITY};
    set.boundsMax = {-INFINITY, -INFINITY, -INFINITY};
    BindSpace space;
    space.placement = BakedPlacement(model.placement);
    space.worlds = BindWorlds(model.bones, space.placement);
    LodBuilder builder(model, space, set);
    for (int32_t index : lodIndices) {
        LodMesh mesh = builder.Build(model.lods.at(static_cast<size_t>(index)));
        if (!mesh.primitives.empty()) set.meshes.push_back(std::move(mesh));
    }
    if (set.meshes.empty()) set.boundsMin = set.boundsMax = {0, 0, 0};
    const double limit = 1e-4 * set.Diagonal();
    for (double d : builder.disagreements_) {
        if (d > limit) {
            ++set.disagreeingVertices;
            set.worstDisagreement = std::max(set.worstDisagreement, d);
        }
    }
    return set;
}

}  // namespace vertigon
