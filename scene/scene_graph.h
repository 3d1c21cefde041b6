// The scene: a small tree of nodes (the root, the camera, one entry per shown model) updated and
// drawn once per redraw, and the single Scene object that runs a frame.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <vector>

#include "scene/animation.h"
#include "scene/math.h"
#include "scene/model.h"
#include "scene/scene_renderer.h"

namespace vertigon {

enum DisplayFlags : int32_t {
    FlagTexture = 0x01,
    FlagBlending = 0x02,
    FlagFlat = 0x08,      // normals frozen at the last pose drawn without it
    FlagWireframe = 0x10,
    FlagBones = 0x20,
};
inline constexpr int32_t kNewEntryFlags = FlagTexture | FlagBlending;

enum class NodeKind : int32_t { Plain = 1, ModelEntry = 2, Camera = 3 };

class SceneNode {
public:
    explicit SceneNode(NodeKind kind = NodeKind::Plain);
    // Destroys the children first to last.
    virtual ~SceneNode();
    SceneNode(const SceneNode&) = delete;
    SceneNode& operator=(const SceneNode&) = delete;

    virtual void Draw() {}
    // `frameStep`: the animation time that passes in the redraw being drawn (0 for a redraw
    // that only shows the current pose).
    virtual void Update(float /*frameStep*/) {}

    // Appends `child` at the end of the child list; returns it.
    template <class T>
    T* AddChild(std::unique_ptr<T> child) {
        T* raw = child.get();
        AppendChild(std::unique_ptr<SceneNode>(std::move(child)));
        return raw;
    }
    // Unlinks this node from its parent and hands it back; null when it has no parent.
    std::unique_ptr<SceneNode> Detach();

    // world = R(rotation) x S(scale) x T(position) x parent, when dirty.
    void RefreshWorld(const Mat4& parentWorld);

    NodeKind kind() const { return kind_; }
    SceneNode* parent() const { return parent_; }
    SceneNode* firstChild() const { return firstChild_.get(); }
    SceneNode* nextSibling() const { return nextSibling_.get(); }

    bool dirty = true;
    Vec4 position{0, 0, 0, 1};
    Vec4 rotation{0, 0, 0, 1};  // Euler angles x, y, z in radians
    Vec4 scale{1, 1, 1, 1};
    Mat4 world = Mat4::Identity();

private:
    void AppendChild(std::unique_ptr<SceneNode> child);

    NodeKind kind_;
    SceneNode* parent_ = nullptr;
    std::unique_ptr<SceneNode> nextSibling_;
    std::unique_ptr<SceneNode> firstChild_;
};

class Camera final : public SceneNode {
public:
    static constexpr float kFieldOfView = 45.0f;  // taken in radians, as the view always has
    static constexpr float kNearPlane = 10.0f;
    static constexpr float kFarPlane = 10000.0f;

    Camera();

    void SetTarget(const Vec4& v) { target = v; }
    void SetUp(const Vec4& v) { up = v; }

    Vec4 Eye() const;
    Mat4 ViewMatrix() const;
    Mat4 ProjectionMatrix() const;
    // Publishes world (the identity), view, projection and eye to the renderer.
    void SetupView(SceneRenderer& renderer) const;

    float aspect = 1.0f;
    Vec4 up{0, 0.1f, 0, 0};  // only its direction matters
    Vec4 target{0, 0, 0, 0};
    float nearPlane = kNearPlane;  // framing moves both planes with the model's size
    float farPlane = kFarPlane;
    // The inherited position is the eye's offset from the target.
};

// One shown model: its own bone copy (the pose target animations write into), display flags,
// current animation and the renderer's per-Lod records.
class ModelEntry final : public SceneNode, public PoseTarget {
public:
    // Takes one reference on the model; with a renderer, asks it for the records at once.
    explicit ModelEntry(Model& model, SceneRenderer* renderer = nullptr);
    // Destroys the render records last to first, then releases the model.
    ~ModelEntry() override;

    // Advances the playing animation by `frameStep` and applies it, composes the bone world
    // matrices and re-skins the records, in that order: the redraw after it shows this pose.
    void Update(float frameStep) override;
    void Draw() override;

    // Starts animation `index` of group `group` at frame 0 and writes its first pose at once;
    // indices outside the model's groups are ignored.
    void SelectAnimation(int32_t group, int32_t index);

    // Draws with `renderer` from now on: the records of any other renderer go and the new
    // renderer's records are made (none for null). Nothing happens for the renderer in use.
    void UseRenderer(SceneRenderer* renderer);
    SceneRenderer* renderer() const { return renderer_; }

    Model& model() const { return *model_; }
    const Placement& placement() const { return placement_; }
    int32_t lodRecordCount() const { return static_cast<int32_t>(lodRender_.size()); }
    LodRenderRecord* lodRecord(int32_t index) const;

    bool playing = false;
    Animation* currentAnimation = nullptr;  // owned by the model's animation group
    int32_t flags = kNewEntryFlags;
    int32_t lod = 0;

private:
    Model* model_;
    SceneRenderer* renderer_ = nullptr;  // the maker of lodRender_
    Placement placement_;  // placement_.modelMatrix is the entry's model matrix
    std::vector<std::unique_ptr<LodRenderRecord>> lodRender_;
};

// Bone world matrices from the local transforms: the model matrix is `nodeWorld` times the
// placement (stored in placement.modelMatrix); each bone is R x S x T x its parent's world, a
// parent index outside the list counting as a root.
void ComposePose(const Mat4& nodeWorld, Placement& placement, std::span<Bone> bones);

// The scene draws through the renderer it is given, which must outlive its use here; without
// one it updates (animations, poses) and draws nothing.
class Scene {
public:
    explicit Scene(SceneRenderer* renderer = nullptr) : renderer_(renderer) {}

    // Entries follow the new renderer at the next update.
    void SetRenderer(SceneRenderer* renderer) { renderer_ = renderer; }
    SceneRenderer* renderer() const { return renderer_; }

    // Makes the plain root and the camera as its first child.
    void CreateRootAndCamera();
    // A new entry for `model` appended under the root, drawn by the scene's renderer.
    ModelEntry* AddEntry(Model& model);

    // Stores the size; the camera's aspect becomes width / height unless either is 0 (a
    // minimised window), which leaves it unchanged.
    void SetViewportSize(int32_t width, int32_t height);
    // World matrices and Update of every node, parents before children; entries made for
    // another renderer take the scene's.
    void UpdateTree(float frameStep);
    // Clear, frame states, camera, draw traversal, the overlays, present.
    void Render();

    // The clear colour packed as A8R8G8B8, each component times 255 truncated.
    uint32_t PackedClearColour() const;

    float clearRed = 0.5f, clearGreen = 0.5f, clearBlue = 0.5f, clearAlpha = 0.0f;
    int32_t width = 0;
    int32_t height = 0;
    std::unique_ptr<SceneNode> root;
    Camera* camera = nullptr;  // owned by the tree
    // Drawn after the tree with the camera's transforms (the viewer's grid and axes).
    std::function<void()> drawOverlays;

private:
    SceneRenderer* renderer_;
};

}  // namespace vertigon
