#include "render/shader_programs.h"

#include <epoxy/gl.h>

#include <cstdio>
#include <set>
#include <string>

#include <gtest/gtest.h>

#include "render/egl_offscreen_context.h"
#include "render/render_error.h"
#include "render/renderer.h"
#include "render/shader_sets.h"

namespace vertigon {
namespace {

std::set<std::string> ActiveUniforms(const char* vertexName, const char* fragmentName) {
    EglOffscreenContext context(8, 8);
    Renderer renderer(context, 8, 8);
    auto vertex = CreateVertexProgram(renderer.device(), FindShaderSource(vertexName));
    auto fragment = CreateFragmentProgram(renderer.device(), FindShaderSource(fragmentName));
    const GLuint program = glCreateProgram();
    glAttachShader(program, vertex->shader());
    glAttachShader(program, fragment->shader());
    glLinkProgram(program);
    GLint linked = 0, count = 0;
    glGetProgramiv(program, GL_LINK_STATUS, &linked);
    EXPECT_EQ(linked, GL_TRUE) << vertexName << " with " << fragmentName;
    glGetProgramiv(program, GL_ACTIVE_UNIFORMS, &count);
    std::set<std::string> names;
    for (GLint i = 0; i < count; ++i) {
        char name[64];
        GLint size = 0;
        GLenum type = 0;
        glGetActiveUniform(program, static_cast<GLuint>(i), sizeof name, nullptr, &size, &type, name);
        names.insert(name);
    }
    glDeleteProgram(program);
    return names;
}

TEST(ShaderPrograms, TheLitProgramsReadEveryLightingParameterByItsName) {
    const std::set<std::string> expected = {"ModelViewProj", "lightPosition", "eyePosition", "globalAmbient",
                                            "lightColor",    "shininess",     "Ke",          "Ka",
                                            "Kd",            "Ks",            "texture"};
    EXPECT_EQ(ActiveUniforms("PixelLightingVertex", "LitTexturedFragment"), expected);
    EXPECT_EQ(ActiveUniforms("PixelLightingVertex", "LitFragment"), expected);
    std::set<std::string> vertexLighting = expected;
    vertexLighting.insert("LightPosition");
    EXPECT_EQ(ActiveUniforms("VertexLightingVertex", "LitFragment"), vertexLighting);
    EXPECT_EQ(ActiveUniforms("TransformOnlyVertex", "SolidRedFragment"), std::set<std::string>{"ModelViewProj"});
}

TEST(ShaderPrograms, TheMaterialSetChoosesByLightTextureAndProfile) {
    struct Choice {
        bool textured, lit;
        const char* full;
        const char* low;
    };
    const Choice choices[] = {{true, true, "LitTexturedFragment", "TexturedFragment"},
                              {false, true, "LitFragment", "LowProfileLitFragment"},
                              {true, false, "TexturedFragment", "TexturedFragment"},
                              {false, false, "WhiteFragment", "WhiteFragment"}};
    EglOffscreenContext context(8, 8);
    Renderer renderer(context, 8, 8);
    for (const bool low : {false, true}) {
        MaterialShaderSet set(renderer.device(), low);
        EXPECT_EQ(set.vertex().name(), low ? "VertexLightingVertex" : "PixelLightingVertex");
        for (const Choice& choice : choices) {
            set.Bind(choice.textured, choice.lit);
            EXPECT_EQ(set.fragment()->name(), low ? choice.low : choice.full) << "low profile " << low;
        }
    }
}

TEST(ShaderPrograms, BindVertexProgramPassesViewWorldProjectionTransposed) {
    EglOffscreenContext context(8, 8);
    Renderer renderer(context, 8, 8);
    Device& device = renderer.device();
    device.view = Mat4::Translation({1, 2, 3, 1});
    device.world = Mat4::Scale({2, 2, 2, 1});
    device.projection = PerspectiveRH(45, 1.5f, 10, 10000);
    auto program = CreateVertexProgram(device, FindShaderSource("TransformOnlyVertex"));
    BindVertexProgram(device, *program);
    Mat4 m = device.projection;
    m.MultiplyBefore(device.world);
    m.MultiplyBefore(device.view);
    m.Transpose();
    EXPECT_EQ(program->modelViewProj, m);
    // The transposed matrix applied to a column vector is the row vector times M.
    const Vec4 p{5, 6, 7, 1};
    Mat4 rowForm = program->modelViewProj;
    rowForm.Transpose();
    const Vec4 byRows = device.projection.Transform(device.world.Transform(device.view.Transform(p)));
    const Vec4 byM = rowForm.Transform(p);
    EXPECT_NEAR(byM.x, byRows.x, 1e-3f);
    EXPECT_NEAR(byM.z, byRows.z, 1e-3f);
    EXPECT_NEAR(byM.w, byRows.w, 1e-3f);
}

TEST(ShaderPrograms, ACompileErrorThrowsTheStepAndTheLogAndTheDeviceCarriesOn) {
    EglOffscreenContext context(8, 8);
    Renderer renderer(context, 8, 8);
    const ShaderSource broken{"BrokenFragment", ShaderStage::Fragment, "", "void main() { undeclared = 1.0; }\n"};
    try {
        CreateFragmentProgram(renderer.device(), broken);
        ADD_FAILURE() << "no error";
    } catch (const ShaderError& e) {
        EXPECT_STREQ(e.what(), ": Creating program from file: BrokenFragment did not compile\n");
        EXPECT_NE(e.log().find("undeclared"), std::string::npos) << e.log();
    }
    EXPECT_NE(CreateFragmentProgram(renderer.device(), FindShaderSource("WhiteFragment")), nullptr);
}

void LinkMismatchedPrograms() {
    EglOffscreenContext context(8, 8);
    Renderer renderer(context, 8, 8);
    Device& device = renderer.device();
    // The two stages disagree on the type of COLOR0.
    const ShaderSource vertex{"PlainVertex", ShaderStage::Vertex, "",
                              "layout(location = 0) in vec4 position;\nout vec3 COLOR0;\n"
                              "void main() { gl_Position = position; COLOR0 = position.xyz; }\n"};
    const ShaderSource fragment{"NeedsColourFragment", ShaderStage::Fragment, "",
                                "in vec4 COLOR0;\nout vec4 color;\nvoid main() { color = COLOR0; }\n"};
    auto v = CreateVertexProgram(device, vertex);
    auto f = CreateFragmentProgram(device, fragment);
    VertexStreams streams(device.shared_from_this(), 3);
    BindVertexProgram(device, *v);
    BindFragmentProgram(device, *f);
    device.DrawTriangleList(streams, 1);
}

TEST(ShaderPrograms, ALinkErrorNamesTheLoadingStep) {
    try {
        LinkMismatchedPrograms();
        ADD_FAILURE() << "no error";
    } catch (const ShaderError& e) {
        EXPECT_STREQ(e.what(), ": Loading program: PlainVertex with NeedsColourFragment did not link\n");
    }
}

}  // namespace
}  // namespace vertigon
