// The shader programs: the nine GLSL source texts the program holds, their compilation, and the
// binding of a vertex and a fragment program with their uniform values before a draw.
//
// A failed compile or link throws ShaderError; the caller reports it and stops drawing.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "scene/math.h"

namespace vertigon {

class Device;
class DeviceTexture;

enum class ShaderStage { Vertex, Fragment };

struct ShaderSource {
    const char* name;
    ShaderStage stage;
    const char* declarations;  // inputs, uniforms and outputs shared with other programs, or ""
    const char* text;          // the program's own part
};

// The nine programs, by name (SolidRedFragment, TransformOnlyVertex, LitTexturedFragment,
// TexturedFragment, LitFragment, WhiteFragment, LowProfileLitFragment, PixelLightingVertex,
// VertexLightingVertex).
std::span<const ShaderSource> ShaderSources();
// The skeleton overlay's fragment program (one bright yellow), kept apart from the nine.
const ShaderSource& BoneLineFragmentSource();
// Throws std::out_of_range for an unknown name.
const ShaderSource& FindShaderSource(std::string_view name);
// The complete GLSL text: version line, shared helpers, the program.
std::string ShaderText(const ShaderSource& source);

// Throws ShaderError for `step` failing with `error`; `log` is the compiler or linker log.
[[noreturn]] void FailShaderStep(std::string_view step, std::string_view error, const std::string& log);
// Throws through FailShaderStep when OpenGL has recorded an error.
void CheckShaderError(std::string_view step);

// Values of the fragment programs' lighting parameters as the last bind set them.
struct FragmentUniforms {
    Vec3 globalAmbient;
    Vec3 lightPosition;
    Vec3 eyePosition;
    Vec3 Ke, Ka, Kd, Ks;
    Vec3 lightColor;
    float shininess = 0.0f;
};

class VertexProgram {
public:
    VertexProgram(Device& device, uint32_t shader, std::string name);
    ~VertexProgram();
    VertexProgram(const VertexProgram&) = delete;
    VertexProgram& operator=(const VertexProgram&) = delete;

    uint32_t shader() const { return shader_; }
    const std::string& name() const { return name_; }

    // ModelViewProj as uploaded: the transpose of the row-vector matrix M.
    Mat4 modelViewProj = Mat4::Identity();

private:
    Device& device_;
    uint32_t shader_;
    std::string name_;
};

class FragmentProgram {
public:
    FragmentProgram(Device& device, uint32_t shader, std::string name);
    ~FragmentProgram();
    FragmentProgram(const FragmentProgram&) = delete;
    FragmentProgram& operator=(const FragmentProgram&) = delete;

    uint32_t shader() const { return shader_; }
    const std::string& name() const { return name_; }

    FragmentUniforms values;

private:
    Device& device_;
    uint32_t shader_;
    std::string name_;
};

std::unique_ptr<FragmentProgram> CreateFragmentProgram(Device& device, const ShaderSource& source);
std::unique_ptr<VertexProgram> CreateVertexProgram(Device& device, const ShaderSource& source);

// ModelViewProj = view x world x projection (row vectors), passed transposed.
void BindVertexProgram(Device& device, VertexProgram& program);
// Light at the eye, white light and material, ambient 0.1, no emissive or specular term.
void BindFragmentProgram(Device& device, FragmentProgram& program);
// Stage 0 with linear filtering and no mipmaps; null binds no texture.
void BindTexture(Device& device, const DeviceTexture* texture);

}  // namespace vertigon
