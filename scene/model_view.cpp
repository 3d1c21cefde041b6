#include "scene/model_view.h"

namespace vertigon {

void ModelView::ReleaseScene() {
    current_ = nullptr;
    scene.camera = nullptr;
    scene.root.reset();
}

ModelEntry* ModelView::Show(Model& model, int32_t group, int32_t index) {
    Hide();
    current_ = scene.AddEntry(model);
    if (!current_) return nullptr;
    current_->position = {0, 0, 0, 0};
    current_->SelectAnimation(group, index);
    return current_;
}

void ModelView::Hide() {
    if (!current_) return;
    current_->Detach().reset();
    current_ = nullptr;
}

bool ModelView::SelectAnimation(int32_t group, int32_t index) {
    if (!current_) return false;
    current_->SelectAnimation(group, index);
    return true;
}

void ModelView::Update(float step) { scene.UpdateTree(step); }

void ModelView::DrawFrame(int32_t width, int32_t height, float step) {
    scene.SetViewportSize(width, height);
    Update(step);
    scene.Render();
}

}  // namespace vertigon
