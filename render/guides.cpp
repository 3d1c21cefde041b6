#include "render/guides.h"

#include "render/device.h"
#include "render/shader_programs.h"
#include "render/shader_sets.h"

namespace vertigon {

namespace {

constexpr const char* kGridFragment = "out vec4 color;\nvoid main() { color = vec4(0.3, 0.3, 0.3, 1.0); }\n";
constexpr const char* kAxisXFragment = "out vec4 color;\nvoid main() { color = vec4(0.9, 0.15, 0.15, 1.0); }\n";
constexpr const char* kAxisYFragment = "out vec4 color;\nvoid main() { color = vec4(0.15, 0.8, 0.15, 1.0); }\n";
constexpr const char* kAxisZFragment = "out vec4 color;\nvoid main() { color = vec4(0.2, 0.35, 1.0, 1.0); }\n";

constexpr ShaderSource kColourSources[4] = {
    {"GridFragment", ShaderStage::Fragment, "", kGridFragment},
    {"AxisXFragment", ShaderStage::Fragment, "", kAxisXFragment},
    {"AxisYFragment", ShaderStage::Fragment, "", kAxisYFragment},
    {"AxisZFragment", ShaderStage::Fragment, "", kAxisZFragment},
};

class GuideShaderSet final : public OverlayShaderSet {
public:
    GuideShaderSet(Device& device, const ShaderSource& fragment) : OverlayShaderSet(device, fragment) {}
};

}  // namespace

GuideRenderer::GuideRenderer(Device& device) : device_(device) {}

GuideRenderer::~GuideRenderer() = default;

OverlayShaderSet& GuideRenderer::Colour(int index) {
    if (!colours_[index]) colours_[index] = std::make_unique<GuideShaderSet>(device_, kColourSources[index]);
    return *colours_[index];
}

void GuideRenderer::DrawGrid(const std::vector<Vec4>& lines) {
    if (!device_.alive() || lines.size() < 2) return;
    OverlayShaderSet& shaders = Colour(0);
    device_.SetFillMode(FillMode::Solid);
    shaders.Bind(false, false);
    device_.DrawLineList(lines.data(), static_cast<int32_t>(lines.size() / 2));
    shaders.Unbind();
}

void GuideRenderer::DrawAxes(const AxesGizmo& gizmo) {
    if (!device_.alive()) return;
    const Mat4 world = device_.world, view = device_.view, projection = device_.projection;
    device_.world = kIdentity;
    device_.view = gizmo.view;
    device_.projection = gizmo.projection;
    device_.SetDepthEnable(false);
    device_.SetFillMode(FillMode::Solid);
    const Vec4 ends[3] = {{1, 0, 0, 1}, {0, 1, 0, 1}, {0, 0, 1, 1}};
    for (int axis = 0; axis < 3; ++axis) {
        const Vec4 line[2] = {{0, 0, 0, 1}, ends[axis]};
        OverlayShaderSet& shaders = Colour(axis + 1);
        shaders.Bind(false, false);
        device_.DrawLineList(line, 1);
        shaders.Unbind();
    }
    device_.SetDepthEnable(true);
    device_.world = world;
    device_.view = view;
    device_.projection = projection;
}

}  // namespace vertigon
