// The GLSL texts of the nine programs. Inputs, uniform names and outputs follow the programs'
// Cg originals: vertex inputs sit at the attribute location of their stream, and the varyings
// carry the names of the Cg semantics they stand for (TEXCOORD0 to TEXCOORD2, COLOR0).
#include <stdexcept>
#include <string>

#include "render/shader_programs.h"

namespace vertigon {

namespace {

#if defined(__EMSCRIPTEN__)
// WebGL2 (GLSL ES 3.00): the same programs, with precisions and a depth bias of their own, since
// ES offsets no lines (the device sets DepthBias, a fraction of the 0..1 depth range).
constexpr const char* kVertexPrelude = R"(#version 300 es
precision highp float;
precision highp int;
uniform float DepthBias;
// Direct3D clips depth to 0..w where OpenGL clips to -w..w. Mapping the one onto the other keeps
// the projection matrices, the depth buffer values and the near-plane clipping of Direct3D.
vec4 DepthRangeZeroToOne(vec4 clip) {
    return vec4(clip.xy, 2.0 * (clip.z + DepthBias * clip.w) - clip.w, clip.w);
}
)";

constexpr const char* kFragmentPrelude = R"(#version 300 es
precision highp float;
precision highp int;
precision highp sampler2D;
)";
#else
constexpr const char* kVertexPrelude = R"(#version 330 core
// Direct3D clips depth to 0..w where OpenGL clips to -w..w. Mapping the one onto the other keeps
// the projection matrices, the depth buffer values and the near-plane clipping of Direct3D.
vec4 DepthRangeZeroToOne(vec4 clip) { return vec4(clip.xy, 2.0 * clip.z - clip.w, clip.w); }
)";

constexpr const char* kFragmentPrelude = "#version 330 core\n";
#endif

constexpr const char* kSolidRedFragment = R"(
out vec4 color;

void main() {
    color = vec4(1.0, 0.0, 0.0, 1.0);
}
)";

constexpr const char* kTransformOnlyVertex = R"(
layout(location = 0) in vec4 position;
uniform mat4 ModelViewProj;

void main() {
    gl_Position = DepthRangeZeroToOne(ModelViewProj * position);
}
)";

// The declarations every material fragment program shares. The sampler keeps the name
// "texture", which hides GLSL's texture() function; textureLod at level 0 samples the same texel
// blend, since the textures have no mipmaps and filter linearly both ways.
constexpr const char* kMaterialFragmentDeclarations = R"(
in vec2 TEXCOORD0;
in vec4 TEXCOORD1;
in vec3 TEXCOORD2;
in vec4 COLOR0;

uniform vec3 lightPosition;
uniform vec3 eyePosition;
uniform vec3 globalAmbient;
uniform vec3 lightColor;
uniform float shininess;
uniform vec3 Ke;
uniform vec3 Ka;
uniform vec3 Kd;
uniform vec3 Ks;
uniform sampler2D texture;

out vec4 color;

// The lighting of the lit programs: emissive + ambient + diffuse + specular with the light at
// `lightPosition`; `surface` scales the diffuse term (the texel for the textured program).
vec3 LitColour(vec3 position, vec3 normal, vec3 inColour, vec3 surface) {
    vec3 N = normalize(normal);
    vec3 emissive = Ke;
    vec3 ambient = Ka * globalAmbient;
    vec3 L = normalize(lightPosition - position);
    float diffuseLight = max(dot(L, N), 0.0);
    vec3 diffuse = Kd * lightColor * diffuseLight * inColour * surface;
    // The specular term; skipped where it is zero anyway (Ks is 0 for every material, and the
    // term is 0 where the light is behind the surface), which spares a power per pixel.
    vec3 specular = vec3(0.0);
    if (diffuseLight > 0.0 && Ks != vec3(0.0)) {
        vec3 V = normalize(eyePosition - position);
        vec3 H = normalize(L + V);
        float specularLight = pow(max(dot(H, N), 0.0), shininess);
        specular = Ks * lightColor * specularLight;
    }
    return emissive + ambient + diffuse + specular;
}
)";

constexpr const char* kLitTexturedFragment = R"(
void main() {
    vec4 texel = textureLod(texture, TEXCOORD0, 0.0);
    color.rgb = LitColour(TEXCOORD1.xyz, TEXCOORD2, COLOR0.rgb, texel.rgb);
    // Both lit programs take their alpha from the texture.
    color.a = texel.a * COLOR0.a;
}
)";

constexpr const char* kTexturedFragment = R"(
void main() {
    vec2 uv0 = TEXCOORD0;
    color = textureLod(texture, uv0, 0.0);
}
)";

constexpr const char* kLitFragment = R"(
void main() {
    vec4 texel = textureLod(texture, TEXCOORD0, 0.0);
    color.rgb = LitColour(TEXCOORD1.xyz, TEXCOORD2, COLOR0.rgb, vec3(1.0));
    // Both lit programs take their alpha from the texture.
    color.a = texel.a * COLOR0.a;
}
)";

constexpr const char* kWhiteFragment = R"(
void main() {
    color = vec4(1.0, 1.0, 1.0, 1.0);
}
)";

// The last assignment wins: the program shows plain red, as its original does.
constexpr const char* kLowProfileLitFragment = R"(
void main() {
    vec2 uv0 = TEXCOORD0;
    vec4 inColor = COLOR0;
    color = inColor;
    color.a = textureLod(texture, uv0, 0.0).a;
    color = vec4(1.0, 0.0, 0.0, 1.0);
}
)";

constexpr const char* kPixelLightingVertex = R"(
layout(location = 0) in vec4 position;
layout(location = 2) in vec4 normal;
layout(location = 3) in vec4 colour;
layout(location = 1) in vec2 texCoord;
uniform mat4 ModelViewProj;

out vec2 TEXCOORD0;
out vec4 TEXCOORD1;
out vec3 TEXCOORD2;
out vec4 COLOR0;

void main() {
    gl_Position = DepthRangeZeroToOne(ModelViewProj * position);
    COLOR0 = vec4(1.0, 1.0, 1.0, 1.0);
    TEXCOORD0 = texCoord;
    TEXCOORD1 = vec4(position.xyz, 1.0);
    TEXCOORD2 = normal.xyz;
}
)";

// Lights per vertex with a fixed material: no emissive, ambient or specular term, diffuse and
// light colour 1, so only the diffuse term remains.
constexpr const char* kVertexLightingVertex = R"(
layout(location = 0) in vec4 position;
layout(location = 2) in vec3 normal;
layout(location = 1) in vec2 uv0;
layout(location = 3) in vec4 colour;
uniform mat4 ModelViewProj;
uniform vec3 LightPosition;

out vec2 TEXCOORD0;
out vec4 TEXCOORD1;
out vec3 TEXCOORD2;
out vec4 COLOR0;

void main() {
    gl_Position = DepthRangeZeroToOne(ModelViewProj * position);
    TEXCOORD1 = position;
    TEXCOORD2 = normal;
    TEXCOORD0 = uv0;
    vec3 N = normalize(normal);
    vec3 L = normalize(LightPosition - position.xyz);
    float diffuseLight = max(dot(L, N), 0.0);
    COLOR0.rgb = diffuseLight * colour.rgb;
    COLOR0.a = colour.a;
}
)";

// The skeleton overlay: a colour that stands out from the red wireframe and grey background.
constexpr const char* kBoneLineFragment = R"(
out vec4 color;

void main() {
    color = vec4(1.0, 0.9, 0.1, 1.0);
}
)";

constexpr ShaderSource kBoneLineSource = {"BoneLineFragment", ShaderStage::Fragment, "", kBoneLineFragment};

constexpr ShaderSource kSources[] = {
    {"SolidRedFragment", ShaderStage::Fragment, "", kSolidRedFragment},
    {"TransformOnlyVertex", ShaderStage::Vertex, "", kTransformOnlyVertex},
    {"LitTexturedFragment", ShaderStage::Fragment, kMaterialFragmentDeclarations, kLitTexturedFragment},
    {"TexturedFragment", ShaderStage::Fragment, kMaterialFragmentDeclarations, kTexturedFragment},
    {"LitFragment", ShaderStage::Fragment, kMaterialFragmentDeclarations, kLitFragment},
    {"WhiteFragment", ShaderStage::Fragment, kMaterialFragmentDeclarations, kWhiteFragment},
    {"LowProfileLitFragment", ShaderStage::Fragment, kMaterialFragmentDeclarations, kLowProfileLitFragment},
    {"PixelLightingVertex", ShaderStage::Vertex, "", kPixelLightingVertex},
    {"VertexLightingVertex", ShaderStage::Vertex, "", kVertexLightingVertex},
};

}  // namespace

const ShaderSource& BoneLineFragmentSource() { return kBoneLineSource; }

std::span<const ShaderSource> ShaderSources() { return kSources; }

const ShaderSource& FindShaderSource(std::string_view name) {
    for (const ShaderSource& source : ShaderSources()) {
        if (name == source.name) return source;
    }
    throw std::out_of_range("no shader program named " + std::string(name));
}

std::string ShaderText(const ShaderSource& source) {
    return std::string(source.stage == ShaderStage::Vertex ? kVertexPrelude : kFragmentPrelude) +
           source.declarations + source.text;
}

}  // namespace vertigon
