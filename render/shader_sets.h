// The shader sets materials and the wireframe overlay bind before drawing.
#pragma once

#include <memory>

#include "scene/render_hooks.h"

namespace vertigon {

class Device;
class FragmentProgram;
class VertexProgram;

// Chooses among the five programs all material sets share: lit or not, textured or not. The
// first set compiles them and the last one to go destroys them.
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

// Plain red lines for the wireframe overlay; its arguments are ignored.
class WireShaderSet final : public ShaderSet {
public:
    explicit WireShaderSet(Device& device);
    ~WireShaderSet() override;

    void Bind(bool textured, bool lit) override;
    void Unbind() override {}

private:
    Device& device_;
    std::unique_ptr<FragmentProgram> fragment_;
    std::unique_ptr<VertexProgram> vertex_;
};

// The skeleton overlay: lines of one bright colour; its arguments are ignored.
class BoneLineShaderSet final : public ShaderSet {
public:
    explicit BoneLineShaderSet(Device& device);
    ~BoneLineShaderSet() override;

    void Bind(bool textured, bool lit) override;
    void Unbind() override {}

private:
    Device& device_;
    std::unique_ptr<FragmentProgram> fragment_;
    std::unique_ptr<VertexProgram> vertex_;
};

}  // namespace vertigon
