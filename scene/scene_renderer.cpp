#include "scene/scene_renderer.h"

namespace vertigon {

namespace {

SceneRenderer*& RendererSlot() {
    static SceneRenderer* slot = nullptr;
    return slot;
}

}  // namespace

void SetSceneRenderer(SceneRenderer* renderer) { RendererSlot() = renderer; }

SceneRenderer* GetSceneRenderer() { return RendererSlot(); }

}  // namespace vertigon
