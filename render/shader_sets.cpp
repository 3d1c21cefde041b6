#include "render/shader_sets.h"

#include "render/device.h"
#include "render/shader_programs.h"

namespace vertigon {

namespace {

// The program for each shared slot; the low pixel profile swaps in simpler variants.
struct SharedProgramNames {
    const char* litTextured;
    const char* textured;
    const char* white;
    const char* litUntextured;
    const char* vertex;
};

constexpr SharedProgramNames kFullProfile = {"LitTexturedFragment", "TexturedFragment", "WhiteFragment",
                                             "LitFragment", "PixelLightingVertex"};
constexpr SharedProgramNames kLowPixelProfile = {"TexturedFragment", "TexturedFragment", "WhiteFragment",
                                                 "LowProfileLitFragment", "VertexLightingVertex"};

void AcquireSharedPrograms(Device& device) {
    SharedPrograms& shared = device.sharedPrograms();
    ++shared.instanceCount;
    if (!device.alive()) return;
    const SharedProgramNames& names = device.lowPixelProfile() ? kLowPixelProfile : kFullProfile;
    if (!shared.litTextured) shared.litTextured = CreateFragmentProgram(device, FindShaderSource(names.litTextured));
    if (!shared.textured) shared.textured = CreateFragmentProgram(device, FindShaderSource(names.textured));
    if (!shared.white) shared.white = CreateFragmentProgram(device, FindShaderSource(names.white));
    if (!shared.litUntextured) {
        shared.litUntextured = CreateFragmentProgram(device, FindShaderSource(names.litUntextured));
    }
    if (!shared.vertex) shared.vertex = CreateVertexProgram(device, FindShaderSource(names.vertex));
}

void ReleaseSharedPrograms(Device& device) {
    SharedPrograms& shared = device.sharedPrograms();
    if (--shared.instanceCount > 0) return;
    shared.litTextured.reset();
    shared.textured.reset();
    shared.white.reset();
    shared.litUntextured.reset();
    shared.vertex.reset();
}

}  // namespace

MaterialShaderSet::MaterialShaderSet(std::shared_ptr<Device> device) : device_(std::move(device)) {
    AcquireSharedPrograms(*device_);
}

MaterialShaderSet::~MaterialShaderSet() { ReleaseSharedPrograms(*device_); }

void MaterialShaderSet::Bind(bool textured, bool lit) {
    SharedPrograms& shared = device_->sharedPrograms();
    if (lit) {
        fragment_ = textured ? shared.litTextured.get() : shared.litUntextured.get();
    } else {
        fragment_ = textured ? shared.textured.get() : shared.white.get();
    }
    vertex_ = shared.vertex.get();
    if (!device_->alive() || !fragment_ || !vertex_) return;
    BindVertexProgram(*device_, *vertex_);
    BindFragmentProgram(*device_, *fragment_);
}

OverlayShaderSet::OverlayShaderSet(Device& device, const ShaderSource& fragment)
    : device_(device),
      fragment_(CreateFragmentProgram(device, fragment)),
      vertex_(CreateVertexProgram(device, FindShaderSource("TransformOnlyVertex"))) {}

OverlayShaderSet::~OverlayShaderSet() = default;

void OverlayShaderSet::Bind(bool, bool) {
    BindVertexProgram(device_, *vertex_);
    BindFragmentProgram(device_, *fragment_);
}

WireShaderSet::WireShaderSet(Device& device) : OverlayShaderSet(device, FindShaderSource("SolidRedFragment")) {}

BoneLineShaderSet::BoneLineShaderSet(Device& device) : OverlayShaderSet(device, BoneLineFragmentSource()) {}

}  // namespace vertigon
