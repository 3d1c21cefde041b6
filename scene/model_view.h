// What one view of a model shows and how it moves on, shared by the viewer and the command-line
// tool so that both show the same frame for the same model: the scene (root, camera, the shown
// entry), the orbit controls, and the steps of opening a model, choosing its animation and
// redrawing. The scene draws through the renderer it is given; without one it only poses.
#pragma once

#include <cstdint>

#include "scene/orbit_controls.h"
#include "scene/scene_graph.h"

namespace vertigon {

class ModelView {
public:
    // The group whose first clip plays when a model opens.
    static constexpr int32_t kStartGroup = 1;

    explicit ModelView(SceneRenderer* renderer = nullptr) : scene(renderer) {}
    ~ModelView() { ReleaseScene(); }
    ModelView(const ModelView&) = delete;
    ModelView& operator=(const ModelView&) = delete;

    // The root node and the camera at (0, 0, 400).
    void CreateScene() { scene.CreateRootAndCamera(); }
    // The whole tree, the shown entry with it. Safe to call twice.
    void ReleaseScene();

    // Replaces the shown entry with a new one for `model` under the root, placed at the origin,
    // playing animation `index` of group `group` from frame 0 when there is one. Null without a
    // scene.
    ModelEntry* Show(Model& model, int32_t group = kStartGroup, int32_t index = 0);
    // Unlinks and destroys the shown entry, which releases its model.
    void Hide();
    // Starts an animation of the shown entry from frame 0; false without one.
    bool SelectAnimation(int32_t group, int32_t index);

    // Advances animations by `step` and brings every pose and render record up to date.
    void Update(float step);
    // One redraw: viewport size, Update(step), render.
    void DrawFrame(int32_t width, int32_t height, float step);

    ModelEntry* current() const { return current_; }

    Scene scene;
    OrbitControls controls;

private:
    ModelEntry* current_ = nullptr;  // owned by the scene tree
};

}  // namespace vertigon
