// The shader sets materials and the overlays bind before drawing, and the renderer's holding of
// them: each set is compiled once per renderer and lives as long as the renderer.
#pragma once

#include <memory>

namespace vertigon {

class Device;
class FragmentProgram;
class VertexProgram;
struct ShaderSource;

class ShaderSet {
public:
    virtual ~ShaderSet() = default;
    virtual void Bind(bool textured, bool lit) = 0;
    virtual void Unbind() = 0;
};

// The five programs every material draws with, chosen at each bind by lit or not, textured or
// not. The low pixel profile swaps in simpler variants.
class MaterialShaderSet final : public ShaderSet {
public:
    // Throws ShaderError when a program does not compile.
    MaterialShaderSet(Device& device, bool lowPixelProfile);
    ~MaterialShaderSet() override;

    void Bind(bool textured, bool lit) override;
    void Unbind() override {}

    const FragmentProgram* fragment() const { return fragment_; }  // chosen by the last Bind
    const VertexProgram& vertex() const { return *vertex_; }

private:
    Device& device_;
    std::unique_ptr<FragmentProgram> litTextured_;
    std::unique_ptr<FragmentProgram> textured_;
    std::unique_ptr<FragmentProgram> white_;
    std::unique_ptr<FragmentProgram> litUntextured_;
    std::unique_ptr<VertexProgram> vertex_;
    FragmentProgram* fragment_ = nullptr;
};

// One fixed pair of programs, bound whatever the arguments say: the overlays draw in one colour.
class OverlayShaderSet : public ShaderSet {
public:
    ~OverlayShaderSet() override;

    void Bind(bool textured, bool lit) override;
    void Unbind() override {}

protected:
    OverlayShaderSet(Device& device, const ShaderSource& fragment);

private:
    Device& device_;
    std::unique_ptr<FragmentProgram> fragment_;
    std::unique_ptr<VertexProgram> vertex_;
};

// Plain red lines for the wireframe overlay.
class WireShaderSet final : public OverlayShaderSet {
public:
    explicit WireShaderSet(Device& device);
};

// The skeleton overlay: lines of one bright colour.
class BoneLineShaderSet final : public OverlayShaderSet {
public:
    explicit BoneLineShaderSet(Device& device);
};

// The sets one renderer draws with, each compiled on first use. Destroy it while the device is
// still alive, so that its shaders are deleted.
class RendererShaders {
public:
    RendererShaders(Device& device, bool lowPixelProfile) : device_(device), lowPixelProfile_(lowPixelProfile) {}

    // Throws ShaderError when a program does not compile; a later call tries again.
    MaterialShaderSet& Materials();
    WireShaderSet& Wire();
    BoneLineShaderSet& BoneLines();

private:
    Device& device_;
    bool lowPixelProfile_;
    std::unique_ptr<MaterialShaderSet> materials_;
    std::unique_ptr<WireShaderSet> wire_;
    std::unique_ptr<BoneLineShaderSet> boneLines_;
};

}  // namespace vertigon
