// The format-independent model records every loader builds and the scene, the renderer and the
// exporters consume. They hold no renderer objects: a renderer makes its own from them. All
// geometry is in skinned, per-bone form: drawing a posed model transforms skin lists by bone
// matrices.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "scene/animation.h"
#include "scene/math.h"

namespace vertigon {

// Bind-pose entry of a skin list. In a single, `index` is the output position or normal; in an
// influence it is not read. A position single holds (x, y, z, 1) in the bone's space; a position
// influence holds (w*x, w*y, w*z, w), already weighted. For normals w is ignored.
struct SkinEntry {
    int32_t index = 0;
    int32_t bone = 0;
    Vec4 value;
};

// A skinned output that sums several influences.
struct SkinGroup {
    int32_t index = 0;
    int32_t influenceCount = 0;
    int32_t firstInfluence = 0;
};

struct Triangle {
    int32_t positionIndex[3] = {};
    int32_t normalIndex[3] = {};
    float u[3] = {};  // 1.0 is the texture width
    float v[3] = {};  // 1.0 is the texture height
    uint8_t colour[3][4] = {};  // per corner, copied as they stand into the colour stream
};

struct Material {
    // Loaders set it on every material the renderer draws (and makes a shader set for); a
    // material without it is skipped.
    bool drawable = false;
    bool lit = false;
    bool doubleSided = false;  // culling off
    bool translucent = false;  // drawn after the opaque batches of its shape
    bool flag3 = false;        // carried from FFB files, never read when drawing
    int32_t textureIndex = 0;
    bool hidden = false;
};

// One material per draw group of the Lod: draw group g draws with materials[g].
struct Batch {
    std::vector<Material> materials;
    std::vector<Triangle> triangles;

    int32_t materialCount() const { return static_cast<int32_t>(materials.size()); }
    int32_t triangleCount() const { return static_cast<int32_t>(triangles.size()); }
};

// One skinned mesh piece. Output index k of the skinned positions is written by exactly one
// single or one group; the same holds for normals.
struct Shape {
    std::vector<Batch> batches;
    std::vector<SkinEntry> positionSingles;
    std::vector<SkinGroup> positionGroups;
    std::vector<SkinEntry> positionInfluences;
    std::vector<SkinEntry> normalSingles;
    std::vector<SkinGroup> normalGroups;
    std::vector<SkinEntry> normalInfluences;

    int32_t batchCount() const { return static_cast<int32_t>(batches.size()); }
    int32_t positionCount() const {
        return static_cast<int32_t>(positionSingles.size() + positionGroups.size());
    }
    int32_t normalCount() const {
        return static_cast<int32_t>(normalSingles.size() + normalGroups.size());
    }
};

struct DrawGroup {
    std::vector<int32_t> shapeIndices;  // into the Lod's shapes
};

inline constexpr const char* kDefaultLodName = "Unamed shape";

struct Lod {
    std::vector<Shape> shapes;
    std::vector<DrawGroup> drawGroups;
    std::string name = kDefaultLodName;
};

// Pixels are width x height x 4 bytes, rows top to bottom, each pixel B, G, R, A.
struct Texture {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint8_t> pixels;
};

// Initial placement of a model in the scene, copied whole into each scene entry.
struct Placement {
    Vec4 position{0, 0, 0, 0};
    Quat orientation{0, 0, 0, 0};  // the zero quaternion turns into the identity
    Vec4 scale{1, 1, 1, 0};
    Mat4 modelMatrix;
};

struct AnimationGroup {
    std::string name;
    std::vector<std::unique_ptr<Animation>> animations;

    int32_t animationCount() const { return static_cast<int32_t>(animations.size()); }
};

// Bytes of one palette slot: 256 entries as the file stores them (R, G, B, A), then the same
// palette converted by ConvertPalette (B, G, R, A in index order).
inline constexpr size_t kPaletteSlotBytes = 2048;
inline constexpr size_t kPaletteBytes = 1024;

struct Model;

// The list a Model lives in; told when the last scene entry lets go of the model.
class ModelOwner {
public:
    virtual void DestroyModel(Model* model) = 0;

protected:
    ~ModelOwner() = default;
};

struct Model {
    ModelOwner* owner = nullptr;
    std::vector<AnimationGroup> animationGroups;
    std::vector<Texture> textures;
    std::vector<uint8_t> palettes;  // paletteCount() slots of kPaletteSlotBytes
    std::vector<Bone> bones;        // the bind pose
    Placement placement;
    std::vector<Lod> lods;
    int32_t refCount = 0;
    // Raised whenever `textures` change after the load, so that renderers upload them again.
    uint32_t textureRevision = 0;

    Model() = default;
    Model(const Model&) = delete;
    Model& operator=(const Model&) = delete;
    ~Model();

    int32_t animationGroupCount() const { return static_cast<int32_t>(animationGroups.size()); }
    int32_t textureCount() const { return static_cast<int32_t>(textures.size()); }
    int32_t paletteCount() const { return static_cast<int32_t>(palettes.size() / kPaletteSlotBytes); }
    int32_t boneCount() const { return static_cast<int32_t>(bones.size()); }
    int32_t lodCount() const { return static_cast<int32_t>(lods.size()); }

    // Allocates `count` palette slots, zeroed.
    void AllocatePalettes(size_t count);
    std::span<uint8_t, kPaletteSlotBytes> PaletteSlot(int32_t index);
    // The B, G, R, A half of a slot, through which textures are decoded.
    std::span<const uint8_t, kPaletteBytes> ConvertedPalette(int32_t index) const;

    // Drops one scene entry's reference; at zero the owner list destroys the model.
    // Returns the new count.
    int32_t Release();
};

// Converts one 256-entry palette of R, G, B, A entries in the console's storage order into 256
// entries B, G, R, A in index order: entry j takes source entry j with index bits 3 and 4
// exchanged. Alpha is copied unchanged.
void ConvertPalette(std::span<const uint8_t, kPaletteBytes> source,
                    std::span<uint8_t, kPaletteBytes> destination);

// Console alpha (0..128 for opaque) to 8-bit alpha: (a * 255) >> 7, kept to 8 bits.
inline uint8_t ExpandConsoleAlpha(uint8_t a) { return static_cast<uint8_t>((a * 255) >> 7); }

}  // namespace vertigon
