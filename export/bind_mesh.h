// The Lods of a Model as glTF-ready triangle lists: draw group 0 of each Lod split into one
// primitive per material, identical corners merged, positions and normals at the bind pose in
// the scene's space (the placement applied, as the viewer shows the model), and up to eight bone
// influences per vertex.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "export/affine.h"
#include "scene/model.h"

namespace vertigon {

// The most joints the exporter keeps per vertex (two glTF JOINTS_n/WEIGHTS_n sets of four).
inline constexpr int kMaxExportedInfluences = 8;

struct MeshVertex {
    std::array<float, 3> position{};
    std::array<float, 3> normal{};
    std::array<float, 2> uv{};
    std::array<uint8_t, 4> colour{};  // R, G, B, A
    std::array<uint16_t, kMaxExportedInfluences> joints{};
    std::array<float, kMaxExportedInfluences> weights{};  // sum to 1 over the used ones, largest first
};

// What a material turns into: everything the file holds of it.
struct MaterialLook {
    bool lit = false;
    bool doubleSided = false;
    bool translucent = false;
    int32_t texture = -1;  // a Model texture index, or -1 when the viewer draws it untextured
    bool operator==(const MaterialLook&) const = default;
};

struct MeshPrimitive {
    int32_t material = 0;  // into MeshSet::materials
    bool hasNormals = false;
    int32_t influenceSets = 0;  // 0 unskinned, 1 for up to four influences, 2 for up to eight
    std::vector<MeshVertex> vertices;
    std::vector<uint32_t> indices;  // counter-clockwise front faces
};

struct LodMesh {
    std::string name;
    std::vector<MeshPrimitive> primitives;
};

struct MeshSet {
    std::vector<LodMesh> meshes;  // one per exported Lod, in Lod order (none without primitives)
    std::vector<MaterialLook> materials;
    bool skinned = false;
    std::array<double, 3> boundsMin{0, 0, 0}, boundsMax{0, 0, 0};
    int64_t truncatedVertices = 0;  // vertices that had more than eight influences
    int64_t disagreeingVertices = 0;
    int64_t nonFiniteVertices = 0;  // vertices with a value glTF cannot hold, written as 0
    double worstDisagreement = 0;   // model units
    double Diagonal() const;
};

// The placement the meshes and the bind matrices hold: the Model's own, or the identity when it
// is not finite or collapses space (the placement node then carries it alone).
Affine BakedPlacement(const Placement& placement);

// The bones' bind-pose world matrices as the scene computes them, root bones under `placement`.
std::vector<Affine> BindWorlds(const std::vector<Bone>& bones, const Affine& placement);

// Builds the meshes of the given Lods under BakedPlacement. Without bones the points are taken
// as they stand and placed alone.
MeshSet BuildMeshes(const Model& model, const std::vector<int32_t>& lodIndices);

}  // namespace vertigon
