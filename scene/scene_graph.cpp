#include "scene/scene_graph.h"

namespace vertigon {


// ---- SceneNode ----

SceneNode::SceneNode(NodeKind kind) : kind_(kind) {}

SceneNode::~SceneNode() {
    // First to last, the next link taken before each child goes.
    while (firstChild_) {
        std::unique_ptr<SceneNode> child = std::move(firstChild_);
        firstChild_ = std::move(child->nextSibling_);
        child->parent_ = nullptr;
    }
}

void SceneNode::AppendChild(std::unique_ptr<SceneNode> child) {
    child->parent_ = this;
    std::unique_ptr<SceneNode>* slot = &firstChild_;
    while (*slot) slot = &(*slot)->nextSibling_;
    *slot = std::move(child);
}

std::unique_ptr<SceneNode> SceneNode::Detach() {
    if (!parent_) return nullptr;
    std::unique_ptr<SceneNode>* slot = &parent_->firstChild_;
    while (slot->get() != this) slot = &(*slot)->nextSibling_;
    std::unique_ptr<SceneNode> self = std::move(*slot);
    *slot = std::move(nextSibling_);
    parent_ = nullptr;
    return self;
}

void SceneNode::RefreshWorld(const Mat4& parentWorld) {
    if (!dirty) return;
    dirty = false;
    world = parentWorld;
    world.MultiplyBefore(Mat4::Translation(position));
    world.MultiplyBefore(Mat4::Scale(scale));
    world.MultiplyBefore(EulerRotation(rotation));
}

// ---- Camera ----

Camera::Camera() : SceneNode(NodeKind::Camera) {}

Vec4 Camera::Eye() const { return {target.x + position.x, target.y + position.y, target.z + position.z, 1.0f}; }

Mat4 Camera::ViewMatrix() const { return LookAtRH(target, Eye(), up); }

Mat4 Camera::ProjectionMatrix() const {
    return PerspectiveRH(kFieldOfView, aspect, nearPlane, farPlane);
}

void Camera::SetupView(SceneRenderer& renderer) const {
    const Vec4 eye = Eye();
    renderer.SetTransforms(kIdentity, ViewMatrix(), ProjectionMatrix(), {eye.x, eye.y, eye.z});
}

// ---- ModelEntry ----

ModelEntry::ModelEntry(Model& model, SceneRenderer* renderer)
    : SceneNode(NodeKind::ModelEntry), model_(&model), placement_(model.placement) {
    ++model.refCount;
    bones = model.bones;
    poseDirty = true;
    skinDirty = true;
    try {
        UseRenderer(renderer);
    } catch (...) {
        // No destructor runs for an entry that was never made.
        model_->Release();
        throw;
    }
}

ModelEntry::~ModelEntry() {
    while (!lodRender_.empty()) lodRender_.pop_back();
    bones.clear();
    model_->Release();
}

void ModelEntry::UseRenderer(SceneRenderer* renderer) {
    if (renderer == renderer_) return;
    while (!lodRender_.empty()) lodRender_.pop_back();
    renderer_ = nullptr;
    if (!renderer) return;
    // Made whole before they are kept: a renderer that fails (a shader that does not compile)
    // leaves the entry without records, and the next update asks again.
    std::vector<std::unique_ptr<LodRenderRecord>> records;
    records.reserve(model_->lods.size());
    for (int32_t i = 0; i < model_->lodCount(); ++i) records.push_back(renderer->CreateLodRecord(*this, i));
    lodRender_ = std::move(records);
    renderer_ = renderer;
    // The new records hold no pose yet.
    skinDirty = true;
}

LodRenderRecord* ModelEntry::lodRecord(int32_t index) const {
    if (index < 0 || index >= lodRecordCount()) return nullptr;
    return lodRender_[static_cast<size_t>(index)].get();
}

void ComposePose(const Mat4& nodeWorld, Placement& placement, std::span<Bone> bones) {
    Mat4& modelMatrix = placement.modelMatrix;
    modelMatrix = nodeWorld;
    modelMatrix.MultiplyBefore(Mat4::Translation(placement.position));
    modelMatrix.MultiplyBefore(Mat4::Scale(placement.scale));
    modelMatrix.MultiplyBefore(QuatToMatrix(placement.orientation));

    const int32_t count = static_cast<int32_t>(bones.size());
    for (int32_t k = 0; k < count; ++k) {
        Bone& bone = bones[static_cast<size_t>(k)];
        const bool hasParent = bone.parent >= 0 && bone.parent < count;
        bone.world = hasParent ? bones[static_cast<size_t>(bone.parent)].world : modelMatrix;
        bone.world.MultiplyBefore(Mat4::Translation(bone.translation));
        bone.world.MultiplyBefore(Mat4::Scale(bone.scale));
        bone.world.MultiplyBefore(QuatToMatrix(bone.rotation));
    }
}

void ModelEntry::Update(float frameStep) {
    if (playing && currentAnimation && frameStep != 0.0f) {
        // Set first: an animation that writes world matrices itself clears it in Apply.
        poseDirty = true;
        currentAnimation->Advance(frameStep);
        currentAnimation->Apply(*this);
    }
    if (poseDirty) {
        ComposePose(world, placement_, bones);
        skinDirty = true;
        poseDirty = false;
    }
    if (skinDirty) {
        for (const auto& record : lodRender_) record->Skin();
        skinDirty = false;
    }
}

void ModelEntry::Draw() {
    if (LodRenderRecord* record = lodRecord(lod)) record->Draw();
}

void ModelEntry::SelectAnimation(int32_t group, int32_t index) {
    if (group < 0 || group >= model_->animationGroupCount()) return;
    AnimationGroup& animations = model_->animationGroups[static_cast<size_t>(group)];
    if (index < 0 || index >= animations.animationCount()) return;
    Animation* animation = animations.animations[static_cast<size_t>(index)].get();
    if (!animation) return;

    currentAnimation = animation;
    animation->Rewind();
    playing = true;
    poseDirty = true;
    // Selecting happens between redraws, when no animation time passes.
    animation->Advance(0.0f);
    animation->Apply(*this);
}

// ---- Scene ----

namespace {

void UpdateSubtree(SceneNode& node, const Mat4& parentWorld, SceneRenderer* renderer, float frameStep) {
    node.RefreshWorld(parentWorld);
    if (node.kind() == NodeKind::ModelEntry) static_cast<ModelEntry&>(node).UseRenderer(renderer);
    node.Update(frameStep);
    for (SceneNode* child = node.firstChild(); child; child = child->nextSibling()) {
        UpdateSubtree(*child, node.world, renderer, frameStep);
    }
}

void DrawSubtree(SceneNode& node) {
    node.Draw();
    for (SceneNode* child = node.firstChild(); child; child = child->nextSibling()) DrawSubtree(*child);
}

// Times 255, truncated toward zero; out-of-range and NaN components are held to 0..255.
uint32_t PackComponent(float value) {
    const float scaled = value * 255.0f;
    if (!(scaled > 0.0f)) return 0;
    if (scaled >= 255.0f) return 255;
    return static_cast<uint32_t>(scaled);
}

}  // namespace

void Scene::CreateRootAndCamera() {
    root = std::make_unique<SceneNode>(NodeKind::Plain);
    auto newCamera = std::make_unique<Camera>();
    newCamera->position = {0, 0, 400, 1};
    camera = root->AddChild(std::move(newCamera));
}

ModelEntry* Scene::AddEntry(Model& model) {
    if (!root) return nullptr;
    return root->AddChild(std::make_unique<ModelEntry>(model, renderer_));
}

void Scene::SetViewportSize(int32_t newWidth, int32_t newHeight) {
    width = newWidth;
    height = newHeight;
    if (camera && newWidth != 0 && newHeight != 0) {
        camera->aspect = static_cast<float>(newWidth) / static_cast<float>(newHeight);
    }
}

void Scene::UpdateTree(float frameStep) {
    if (root) UpdateSubtree(*root, kIdentity, renderer_, frameStep);
}

uint32_t Scene::PackedClearColour() const {
    return PackComponent(clearAlpha) << 24 | PackComponent(clearRed) << 16 | PackComponent(clearGreen) << 8 |
           PackComponent(clearBlue);
}

void Scene::Render() {
    if (!renderer_) return;
    renderer_->Clear(PackedClearColour(), 1.0f, 0);
    renderer_->SetFrameStates();
    if (camera) camera->SetupView(*renderer_);
    renderer_->BeginScene();
    if (root) DrawSubtree(*root);
    if (drawOverlays) drawOverlays();
    renderer_->EndScene();
    renderer_->Present();
}

}  // namespace vertigon
