#include "render/shader_programs.h"

#include "render/gl_api.h"

#include <cstdio>

#include "render/device.h"
#include "render/render_error.h"

namespace vertigon {

namespace {

std::string ShaderLog(GLuint shader) {
    GLint length = 0;
    glGetShaderiv(shader, GL_INFO_LOG_LENGTH, &length);
    std::string log(static_cast<size_t>(length > 0 ? length : 0), '\0');
    if (length > 0) glGetShaderInfoLog(shader, length, nullptr, log.data());
    while (!log.empty() && log.back() == '\0') log.pop_back();
    return log;
}

// Compiles one stage; a failure throws ShaderError.
GLuint CompileShader(const ShaderSource& source, GLenum type) {
    const std::string text = ShaderText(source);
    const GLuint shader = glCreateShader(type);
    const char* pointer = text.c_str();
    glShaderSource(shader, 1, &pointer, nullptr);
    glCompileShader(shader);
    GLint compiled = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &compiled);
    if (compiled != GL_TRUE) {
        const std::string log = ShaderLog(shader);
        glDeleteShader(shader);
        FailShaderStep("Creating program from file", std::string(source.name) + " did not compile", log);
    }
    return shader;
}

}  // namespace

void FailShaderStep(std::string_view step, std::string_view error, const std::string& log) {
    // The message is built in a 1024-byte buffer, as the viewer always has.
    char message[1024];
    std::snprintf(message, sizeof message, ": %.*s: %.*s\n", static_cast<int>(step.size()), step.data(),
                  static_cast<int>(error.size()), error.data());
    throw ShaderError(message, log);
}

void CheckShaderError(std::string_view step) {
    const GLenum error = glGetError();
    if (error == GL_NO_ERROR) return;
    char text[32];
    std::snprintf(text, sizeof text, "OpenGL error 0x%04X", static_cast<unsigned>(error));
    FailShaderStep(step, text, {});
}

// ---- program records ----

VertexProgram::VertexProgram(Device& device, uint32_t shader, std::string name)
    : device_(device), shader_(shader), name_(std::move(name)) {}

VertexProgram::~VertexProgram() {
    device_.DeleteShader(shader_);
}

FragmentProgram::FragmentProgram(Device& device, uint32_t shader, std::string name)
    : device_(device), shader_(shader), name_(std::move(name)) {}

FragmentProgram::~FragmentProgram() {
    device_.DeleteShader(shader_);
}

std::unique_ptr<FragmentProgram> CreateFragmentProgram(Device& device, const ShaderSource& source) {
    const GLuint shader = CompileShader(source, GL_FRAGMENT_SHADER);
    return std::make_unique<FragmentProgram>(device, shader, source.name);
}

std::unique_ptr<VertexProgram> CreateVertexProgram(Device& device, const ShaderSource& source) {
    const GLuint shader = CompileShader(source, GL_VERTEX_SHADER);
    return std::make_unique<VertexProgram>(device, shader, source.name);
}

// ---- binding ----

void BindVertexProgram(Device& device, VertexProgram& program) {
    // M = view x world x projection: start from the projection, put the world matrix before it,
    // then the view matrix before both.
    Mat4 m = device.projection;
    m.MultiplyBefore(device.world);
    m.MultiplyBefore(device.view);
    m.Transpose();
    program.modelViewProj = m;
    device.SetVertexProgram(&program);
}

void BindFragmentProgram(Device& device, FragmentProgram& program) {
    FragmentUniforms& v = program.values;
    v.globalAmbient = {0.1f, 0.1f, 0.1f};
    v.lightPosition = device.eyePosition;
    v.eyePosition = device.eyePosition;
    v.Ke = {0.0f, 0.0f, 0.0f};
    v.Ka = {1.0f, 1.0f, 1.0f};
    v.Kd = {1.0f, 1.0f, 1.0f};
    v.lightColor = {1.0f, 1.0f, 1.0f};
    v.Ks = {0.0f, 0.0f, 0.0f};
    v.shininess = 16.0f;
    device.SetFragmentProgram(&program);
}

void BindTexture(Device& device, const DeviceTexture* texture) { device.SetTexture(texture); }

}  // namespace vertigon
