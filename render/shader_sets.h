// The shader sets materials and the wireframe overlay bind before drawing.
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

// Chooses among the five programs all material sets of a device share: lit or not, textured or
// not. The first set compiles them (throwing ShaderError when one does not compile) and the last
// one to go destroys them.
class MaterialShaderSet final : public ShaderSet {
public:
    explicit MaterialShaderSet(std::shared_ptr<Device> device);
    ~MaterialShaderSet() override;

    void Bind(bool textured, bool lit) override;
    void Unbind() override {}

    FragmentProgram* fragment() const { return fragment_; }
    VertexProgram* vertex() const { return vertex_; }

private:
    std::shared_ptr<Device> device_;
    FragmentProgram* fragment_ = nullptr;  // chosen by the last Bind
    VertexProgram* vertex_ = nullptr;
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

}  // namespace vertigon
