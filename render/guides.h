// Draws the viewer's guides: the ground grid as thin dark lines with depth testing (the model
// hides what lies behind it), and the corner axes gizmo in red, green and blue over everything.
#pragma once

#include <memory>
#include <vector>

#include "scene/guides.h"

namespace vertigon {

class Device;
class OverlayShaderSet;

class GuideRenderer {
public:
    // The programs are made on first use; the object must go before the device shuts down.
    explicit GuideRenderer(Device& device);
    ~GuideRenderer();
    GuideRenderer(const GuideRenderer&) = delete;
    GuideRenderer& operator=(const GuideRenderer&) = delete;

    // Two points per line, in world space, with the camera's transforms as they stand.
    void DrawGrid(const std::vector<Vec4>& lines);
    void DrawAxes(const AxesGizmo& gizmo);

private:
    OverlayShaderSet& Colour(int index);

    Device& device_;
    std::unique_ptr<OverlayShaderSet> colours_[4];  // grid, x, y, z
};

}  // namespace vertigon
