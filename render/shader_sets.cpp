#include "render/shader_sets.h"

#include "render/device.h"
#include "render/shader_programs.h"

namespace vertigon {

namespace {

// The program for each material slot; the low pixel profile swaps in simpler variants.
struct MaterialProgramNames {
    const char* litTextured;
    const char* textured;
    const char* white;
    const char* litUntextured;
    const char* vertex;
};

constexpr MaterialProgramNames kFullProfile = {"LitTexturedFragment", "TexturedFragment", "WhiteFragment",
                                               "LitFragment", "PixelLightingVertex"};
constexpr MaterialProgramNames kLowPixelProfile = {"TexturedFragment", "TexturedFragment", "WhiteFragment",
                                                   "LowProfileLitFragment", "VertexLightingVertex"};

std::unique_ptr<FragmentProgram> Fragment(Device& device, const char* name) {
    return CreateFragmentProgram(device, FindShaderSource(name));
}

const MaterialProgramNames& NamesFor(bool lowPixelProfile) {
    return lowPixelProfile ? kLowPixelProfile : kFullProfile;
}

}  // namespace

MaterialShaderSet::MaterialShaderSet(Device& device, bool lowPixelProfile)
    : device_(device),
      litTextured_(Fragment(device, NamesFor(lowPixelProfile).litTextured)),
      textured_(Fragment(device, NamesFor(lowPixelProfile).textured)),
      white_(Fragment(device, NamesFor(lowPixelProfile).white)),
      litUntextured_(Fragment(device, NamesFor(lowPixelProfile).litUntextured)),
      vertex_(CreateVertexProgram(device, FindShaderSource(NamesFor(lowPixelProfile).vertex))) {}

MaterialShaderSet::~MaterialShaderSet() = default;

void MaterialShaderSet::Bind(bool textured, bool lit) {
    if (lit) {
        fragment_ = textured ? litTextured_.get() : litUntextured_.get();
    } else {
        fragment_ = textured ? textured_.get() : white_.get();
    }
    BindVertexProgram(device_, *vertex_);
    BindFragmentProgram(device_, *fragment_);
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

MaterialShaderSet& RendererShaders::Materials() {
    if (!materials_) materials_ = std::make_unique<MaterialShaderSet>(device_, lowPixelProfile_);
    return *materials_;
}

WireShaderSet& RendererShaders::Wire() {
    if (!wire_) wire_ = std::make_unique<WireShaderSet>(device_);
    return *wire_;
}

BoneLineShaderSet& RendererShaders::BoneLines() {
    if (!boneLines_) boneLines_ = std::make_unique<BoneLineShaderSet>(device_);
    return *boneLines_;
}

}  // namespace vertigon
