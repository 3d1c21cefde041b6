#include "render/device.h"

#include "render/gl_api.h"

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include <cstring>
#include <limits>
#include <string>

#include "render/render_error.h"
#include "render/shader_programs.h"
#include "scene/model.h"

namespace vertigon {

namespace {

GLenum BlendFactorToGl(BlendFactor factor) {
    return factor == BlendFactor::SourceAlpha ? GL_SRC_ALPHA : GL_ONE_MINUS_SRC_ALPHA;
}

// Software rasterisers (Mesa's llvmpipe) free and reallocate megabytes of binning and vertex
// memory every frame. glibc hands the top of the heap back to the kernel whenever more than
// 128 KiB of it is free, so every frame would fault all of it in again, which costs more than
// the drawing itself. Keeping up to 256 MiB of freed heap for reuse avoids that.
// Setting the same threshold again for every device is harmless and cheaper than remembering it.
void KeepFreedHeapForReuse() {
#if defined(__GLIBC__)
    mallopt(M_TRIM_THRESHOLD, 256 << 20);
#endif
}

#if defined(VERTIGON_GL_ES)
// B, G, R, A bytes as R, G, B, A: ES takes no BGRA sources.
std::vector<uint8_t> SwapRedBlue(const uint8_t* bgra, size_t bytes) {
    std::vector<uint8_t> rgba(bgra, bgra + bytes);
    for (size_t i = 0; i + 3 < bytes; i += 4) std::swap(rgba[i], rgba[i + 2]);
    return rgba;
}
#endif

void DrainGlErrors() {
    while (glGetError() != GL_NO_ERROR) {
    }
}

}  // namespace

// ---- GlTexture ----

GlTexture::~GlTexture() {
    if (device_->alive()) glDeleteTextures(1, &name_);
}

// ---- VertexStreams ----

VertexStreams::VertexStreams(std::shared_ptr<Device> device, int32_t vertexCount)
    : device_(std::move(device)), vertexCount_(vertexCount < 0 ? 0 : vertexCount) {
    if (!device_->alive()) return;
    glGenVertexArrays(1, &vertexArray_);
    glBindVertexArray(vertexArray_);
    glGenBuffers(kVertexStreamCount, buffers_);
    // Every stream starts zeroed, so a shape without normals draws with zero normals.
    const std::vector<uint8_t> zeros(static_cast<size_t>(vertexCount_) * kStreamStride[StreamPositions], 0);
    for (int s = 0; s < kVertexStreamCount; ++s) {
        glBindBuffer(GL_ARRAY_BUFFER, buffers_[s]);
        glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(static_cast<size_t>(vertexCount_) * kStreamStride[s]),
                     zeros.data(), GL_DYNAMIC_DRAW);
    }
    // The vertex declaration: x, y, z of positions and normals, u, v, and D3DCOLOR colours whose
    // bytes B, G, R, A reach the program as r, g, b, a.
    glBindBuffer(GL_ARRAY_BUFFER, buffers_[StreamPositions]);
    glVertexAttribPointer(StreamPositions, 3, GL_FLOAT, GL_FALSE, 16, nullptr);
    glBindBuffer(GL_ARRAY_BUFFER, buffers_[StreamUvs]);
    glVertexAttribPointer(StreamUvs, 2, GL_FLOAT, GL_FALSE, 8, nullptr);
    glBindBuffer(GL_ARRAY_BUFFER, buffers_[StreamNormals]);
    glVertexAttribPointer(StreamNormals, 3, GL_FLOAT, GL_FALSE, 16, nullptr);
    glBindBuffer(GL_ARRAY_BUFFER, buffers_[StreamColours]);
#if defined(VERTIGON_GL_ES)
    // ES has no BGRA attributes: Write swaps the colours' bytes to R, G, B, A.
    glVertexAttribPointer(StreamColours, 4, GL_UNSIGNED_BYTE, GL_TRUE, 4, nullptr);
#else
    glVertexAttribPointer(StreamColours, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, 4, nullptr);
#endif
    for (int s = 0; s < kVertexStreamCount; ++s) glEnableVertexAttribArray(static_cast<GLuint>(s));
    glBindVertexArray(0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
}

VertexStreams::~VertexStreams() {
    if (!device_->alive() || vertexArray_ == 0) return;
    glDeleteBuffers(kVertexStreamCount, buffers_);
    glDeleteVertexArrays(1, &vertexArray_);
}

void VertexStreams::Write(VertexStream stream, const void* data) {
    if (!device_->alive() || vertexArray_ == 0) return;
#if defined(VERTIGON_GL_ES)
    std::vector<uint8_t> swapped;
    if (stream == StreamColours && data) {
        swapped = SwapRedBlue(static_cast<const uint8_t*>(data), static_cast<size_t>(vertexCount_) * 4);
        data = swapped.data();
    }
#endif
    glBindBuffer(GL_ARRAY_BUFFER, buffers_[stream]);
    // Respecifying the whole store lets the driver hand out fresh memory instead of waiting for
    // draws still reading the old contents.
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(static_cast<size_t>(vertexCount_) * kStreamStride[stream]),
                 data, GL_DYNAMIC_DRAW);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
}

// ---- Device ----

struct Device::LinkedProgram {
    GLuint program = 0;
    GLint modelViewProj = -1;
    GLint globalAmbient = -1, lightPosition = -1, eyePosition = -1;
    GLint Ke = -1, Ka = -1, Kd = -1, Ks = -1, lightColor = -1, shininess = -1;
    GLint depthBias = -1;  // ES: the constant depth bias, applied by the vertex program
};

Device::Device(GlContext& context, int width, int height) : context_(context), width_(width), height_(height) {
    KeepFreedHeapForReuse();
    context_.MakeCurrent();
#if !defined(VERTIGON_GL_ES)
    const int version = epoxy_gl_version();
    if (version < 33) {
        throw RenderError("the OpenGL context offers version " + std::to_string(version / 10) + "." +
                          std::to_string(version % 10) + "; 3.3 core is required");
    }
#endif
    BindTarget();
    GLint depthBits = 0;
    const GLenum depthAttachment = context_.Framebuffer() != 0 ? GL_DEPTH_ATTACHMENT : GL_DEPTH;
    glGetFramebufferAttachmentParameteriv(GL_FRAMEBUFFER, depthAttachment, GL_FRAMEBUFFER_ATTACHMENT_DEPTH_SIZE,
                                          &depthBits);
    DrainGlErrors();
    // A depth bias is a fraction of the 0..1 depth range; OpenGL counts in steps of the buffer.
    if (depthBits <= 0 || depthBits > 24) depthBits = 24;
    depthUnitsPerBias_ = static_cast<float>((1u << depthBits) - 1u);

    // Direct3D's defaults: depth test less-or-equal with writes, counter-clockwise faces culled,
    // solid fill, no blending.
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glDepthMask(GL_TRUE);
    glFrontFace(GL_CCW);
    SetCullMode(CullMode::CounterClockwise);
    SetFillMode(FillMode::Solid);
    glDisable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ZERO);
    ApplyDepthBias();
}

Device::~Device() {
    if (alive_) Shutdown();
}

void Device::Shutdown() {
    if (!alive_) return;
    MakeCurrent();
    if (wireIndexBuffer_ != 0) {
        glDeleteBuffers(1, &wireIndexBuffer_);
        wireIndexBuffer_ = 0;
        wireIndexCount_ = 0;
    }
    if (lineArray_ != 0) {
        glDeleteBuffers(1, &lineBuffer_);
        glDeleteVertexArrays(1, &lineArray_);
        lineArray_ = lineBuffer_ = 0;
    }
    for (auto& [key, linked] : linked_) glDeleteProgram(linked.program);
    linked_.clear();
    glUseProgram(0);
    activeProgram_ = 0;
    alive_ = false;
}

void Device::MakeCurrent() {
    if (alive_) context_.MakeCurrent();
}

void Device::BindTarget() {
    glBindFramebuffer(GL_FRAMEBUFFER, context_.Framebuffer());
    glViewport(0, 0, width_, height_);
}

void Device::Resize(int width, int height) {
    if (!alive_ || width <= 0 || height <= 0) return;
    width_ = width;
    height_ = height;
    MakeCurrent();
    context_.Resize(width, height);
    BindTarget();
}

void Device::Clear(uint32_t argb, float depth, uint32_t stencil) {
    if (!alive_) return;
    MakeCurrent();
    BindTarget();
    const auto channel = [argb](int shift) { return static_cast<float>((argb >> shift) & 0xFF) / 255.0f; };
    glClearColor(channel(16), channel(8), channel(0), channel(24));
#if defined(VERTIGON_GL_ES)
    glClearDepthf(depth);
#else
    glClearDepth(depth);
#endif
    glClearStencil(static_cast<GLint>(stencil));
    glDepthMask(GL_TRUE);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
}

void Device::BeginScene() {}

void Device::EndScene() {}

void Device::Present() {
    if (alive_) context_.Present();
}

void Device::SetCullMode(CullMode mode) {
    if (!alive_) return;
    // Direct3D names the winding a face shows on screen, as OpenGL's front-face rule does with
    // counter-clockwise front faces.
    switch (mode) {
        case CullMode::None:
            glDisable(GL_CULL_FACE);
            break;
        case CullMode::Clockwise:
            glEnable(GL_CULL_FACE);
            glCullFace(GL_BACK);
            break;
        case CullMode::CounterClockwise:
            glEnable(GL_CULL_FACE);
            glCullFace(GL_FRONT);
            break;
    }
}

void Device::SetFillMode(FillMode mode) {
    if (!alive_) return;
    fillMode_ = mode;
#if !defined(VERTIGON_GL_ES)
    glPolygonMode(GL_FRONT_AND_BACK, mode == FillMode::Wireframe ? GL_LINE : GL_FILL);
#endif
}

void Device::SetDepthBias(float bias) {
    depthBias_ = bias;
    ApplyDepthBias();
}

void Device::SetSlopeScaleDepthBias(float bias) {
    slopeScaleDepthBias_ = bias;
    ApplyDepthBias();
}

void Device::ApplyDepthBias() {
    if (!alive_) return;
#if !defined(VERTIGON_GL_ES)
    if (depthBias_ == 0.0f && slopeScaleDepthBias_ == 0.0f) {
        glDisable(GL_POLYGON_OFFSET_FILL);
        glDisable(GL_POLYGON_OFFSET_LINE);
        return;
    }
    glEnable(GL_POLYGON_OFFSET_FILL);
    glEnable(GL_POLYGON_OFFSET_LINE);
    glPolygonOffset(slopeScaleDepthBias_, depthBias_ * depthUnitsPerBias_);
#endif
    // ES offsets no lines: there the vertex programs add the constant bias (UseBoundPrograms).
}

void Device::SetBlendFactors(BlendFactor source, BlendFactor destination) {
    if (alive_) glBlendFunc(BlendFactorToGl(source), BlendFactorToGl(destination));
}

void Device::SetAlphaBlendEnable(bool enable) {
    if (!alive_) return;
    if (enable) {
        glEnable(GL_BLEND);
    } else {
        glDisable(GL_BLEND);
    }
}

void Device::SetDepthEnable(bool enable) {
    if (!alive_) return;
    if (enable) {
        glEnable(GL_DEPTH_TEST);
    } else {
        glDisable(GL_DEPTH_TEST);
    }
}

std::unique_ptr<DeviceTexture> Device::CreateTexture(const Texture& texture) {
    if (!alive_ || texture.width <= 0 || texture.height <= 0) return nullptr;
    const uint64_t bytes = static_cast<uint64_t>(texture.width) * static_cast<uint64_t>(texture.height) * 4u;
    if (bytes != texture.pixels.size()) return nullptr;
    MakeCurrent();
    GLint maxSize = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
    if (texture.width > maxSize || texture.height > maxSize) return nullptr;

    DrainGlErrors();
    GLint previous = 0;
    glActiveTexture(GL_TEXTURE0);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &previous);
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_BASE_LEVEL, 0);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    // Memory order B, G, R, A: the layout of an A8R8G8B8 surface. Rows go top to bottom, and
    // texture coordinate v = 0 names the first row, as in Direct3D.
#if defined(VERTIGON_GL_ES)
    const std::vector<uint8_t> rgba = SwapRedBlue(texture.pixels.data(), texture.pixels.size());
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, texture.width, texture.height, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                 rgba.data());
#else
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, texture.width, texture.height, 0, GL_BGRA, GL_UNSIGNED_BYTE,
                 texture.pixels.data());
#endif
    const bool failed = glGetError() != GL_NO_ERROR;
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(previous));
    if (failed) {
        glDeleteTextures(1, &name);
        DrainGlErrors();
        return nullptr;
    }
    return std::make_unique<GlTexture>(shared_from_this(), name);
}

void Device::SetTexture(const DeviceTexture* texture) {
    if (!alive_) return;
    // Every device texture of this program comes from CreateTexture above.
    const GLuint name = texture ? static_cast<const GlTexture*>(texture)->name() : 0;
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, name);
}

void Device::DeleteShader(uint32_t shader) {
    // A linked program holds its shaders alive: it goes with them.
    std::erase_if(linked_, [this, shader](const auto& entry) {
        const auto& [key, linked] = entry;
        if (key.first != shader && key.second != shader) return false;
        if (alive_) glDeleteProgram(linked.program);
        if (activeProgram_ == linked.program) activeProgram_ = 0;
        return true;
    });
    if (vertexProgram_ && vertexProgram_->shader() == shader) vertexProgram_ = nullptr;
    if (fragmentProgram_ && fragmentProgram_->shader() == shader) fragmentProgram_ = nullptr;
    if (alive_) glDeleteShader(shader);
}

const Device::LinkedProgram* Device::Link(const VertexProgram& vertex, const FragmentProgram& fragment) {
    const std::pair<uint32_t, uint32_t> key{vertex.shader(), fragment.shader()};
    if (auto it = linked_.find(key); it != linked_.end()) return &it->second;

    LinkedProgram linked;
    const GLuint program = glCreateProgram();
    glAttachShader(program, vertex.shader());
    glAttachShader(program, fragment.shader());
    glLinkProgram(program);
    GLint ok = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &ok);
    if (ok != GL_TRUE) {
        GLint length = 0;
        glGetProgramiv(program, GL_INFO_LOG_LENGTH, &length);
        std::string log(static_cast<size_t>(length > 0 ? length : 0), '\0');
        if (length > 0) glGetProgramInfoLog(program, length, nullptr, log.data());
        while (!log.empty() && log.back() == '\0') log.pop_back();
        glDeleteProgram(program);
        FailShaderStep("Loading program", vertex.name() + " with " + fragment.name() + " did not link", log);
    }
    linked.program = program;
    linked.modelViewProj = glGetUniformLocation(program, "ModelViewProj");
    linked.globalAmbient = glGetUniformLocation(program, "globalAmbient");
    linked.lightPosition = glGetUniformLocation(program, "lightPosition");
    linked.eyePosition = glGetUniformLocation(program, "eyePosition");
    linked.Ke = glGetUniformLocation(program, "Ke");
    linked.Ka = glGetUniformLocation(program, "Ka");
    linked.Kd = glGetUniformLocation(program, "Kd");
    linked.Ks = glGetUniformLocation(program, "Ks");
    linked.lightColor = glGetUniformLocation(program, "lightColor");
    linked.shininess = glGetUniformLocation(program, "shininess");
    linked.depthBias = glGetUniformLocation(program, "DepthBias");
    const GLint sampler = glGetUniformLocation(program, "texture");
    glUseProgram(program);
    activeProgram_ = program;
    if (sampler >= 0) glUniform1i(sampler, 0);
    return &(linked_[key] = linked);
}

bool Device::UseBoundPrograms() {
    if (!vertexProgram_ || !fragmentProgram_) return false;
    const LinkedProgram* linked = Link(*vertexProgram_, *fragmentProgram_);
    if (activeProgram_ != linked->program) {
        glUseProgram(linked->program);
        activeProgram_ = linked->program;
    }
    if (linked->modelViewProj >= 0) {
        // modelViewProj holds the transpose of M; read row by row it is M's transpose, which
        // applied to a column vector equals the row vector times M.
        glUniformMatrix4fv(linked->modelViewProj, 1, GL_TRUE, &vertexProgram_->modelViewProj.m[0][0]);
    }
    const FragmentUniforms& v = fragmentProgram_->values;
    const auto put = [](GLint location, const Vec3& value) {
        if (location >= 0) glUniform3f(location, value.x, value.y, value.z);
    };
    put(linked->globalAmbient, v.globalAmbient);
    put(linked->lightPosition, v.lightPosition);
    put(linked->eyePosition, v.eyePosition);
    put(linked->Ke, v.Ke);
    put(linked->Ka, v.Ka);
    put(linked->Kd, v.Kd);
    put(linked->lightColor, v.lightColor);
    put(linked->Ks, v.Ks);
    if (linked->shininess >= 0) glUniform1f(linked->shininess, v.shininess);
    if (linked->depthBias >= 0) glUniform1f(linked->depthBias, depthBias_);
    CheckShaderError("bind program");
    return true;
}

void Device::DrawTriangleList(const VertexStreams& streams, int32_t primitiveCount) {
    if (!alive_ || primitiveCount <= 0) return;
    if (static_cast<int64_t>(primitiveCount) * 3 > streams.vertexCount()) return;
    if (!UseBoundPrograms()) return;
    glBindVertexArray(streams.vertexArray());
#if defined(VERTIGON_GL_ES)
    if (fillMode_ == FillMode::Wireframe) {
        DrawTriangleEdges(primitiveCount);
        glBindVertexArray(0);
        return;
    }
#endif
    glDrawArrays(GL_TRIANGLES, 0, primitiveCount * 3);
    glBindVertexArray(0);
}

void Device::DrawLineList(const Vec4* points, int32_t lineCount) {
    if (!alive_ || !points || lineCount <= 0 || lineCount > std::numeric_limits<int32_t>::max() / 2) return;
    if (!UseBoundPrograms()) return;
    if (lineArray_ == 0) {
        glGenVertexArrays(1, &lineArray_);
        glGenBuffers(1, &lineBuffer_);
        glBindVertexArray(lineArray_);
        glBindBuffer(GL_ARRAY_BUFFER, lineBuffer_);
        glVertexAttribPointer(StreamPositions, 3, GL_FLOAT, GL_FALSE, 16, nullptr);
        glEnableVertexAttribArray(StreamPositions);
    }
    const int32_t vertexCount = lineCount * 2;
    glBindVertexArray(lineArray_);
    glBindBuffer(GL_ARRAY_BUFFER, lineBuffer_);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(static_cast<size_t>(vertexCount) * sizeof(Vec4)), points,
                 GL_STREAM_DRAW);
    glDrawArrays(GL_LINES, 0, vertexCount);
    glBindVertexArray(0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
}

#if defined(VERTIGON_GL_ES)
void Device::DrawTriangleEdges(int32_t primitiveCount) {
    // Each triangle's three edges as lines, indexing the bound vertex array: ES has no line
    // polygon mode. The index list grows to the largest batch drawn and serves every batch.
    const size_t needed = static_cast<size_t>(primitiveCount) * 6;
    if (wireIndexBuffer_ == 0) glGenBuffers(1, &wireIndexBuffer_);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, wireIndexBuffer_);
    if (needed > wireIndexCount_) {
        std::vector<uint32_t> indices(needed);
        for (size_t t = 0; t < static_cast<size_t>(primitiveCount); ++t) {
            const auto first = static_cast<uint32_t>(t * 3);
            const uint32_t edges[6] = {first, first + 1, first + 1, first + 2, first + 2, first};
            std::memcpy(&indices[t * 6], edges, sizeof edges);
        }
        glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(needed * sizeof(uint32_t)), indices.data(),
                     GL_STATIC_DRAW);
        wireIndexCount_ = needed;
    }
    glDrawElements(GL_LINES, static_cast<GLsizei>(needed), GL_UNSIGNED_INT, nullptr);
}
#endif

RgbImage Device::ReadPixels() {
    if (!alive_) return {};
    MakeCurrent();
    return ReadFramebufferPixels(context_.Framebuffer(), width_, height_);
}

RgbImage ReadFramebufferPixels(uint32_t framebuffer, int width, int height) {
    RgbImage image;
    if (width <= 0 || height <= 0) return image;
    image.width = width;
    image.height = height;
    const size_t row = static_cast<size_t>(width) * 4;
    std::vector<uint8_t> rgba(row * static_cast<size_t>(height));
    glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer);
    if (framebuffer == 0) glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    // OpenGL's first row is the bottom one.
    image.pixels.resize(static_cast<size_t>(width) * static_cast<size_t>(height) * 3);
    for (int y = 0; y < height; ++y) {
        const uint8_t* source = rgba.data() + row * static_cast<size_t>(height - 1 - y);
        uint8_t* target = image.pixels.data() + static_cast<size_t>(y) * static_cast<size_t>(width) * 3;
        for (int x = 0; x < width; ++x) {
            target[x * 3 + 0] = source[x * 4 + 0];
            target[x * 3 + 1] = source[x * 4 + 1];
            target[x * 3 + 2] = source[x * 4 + 2];
        }
    }
    return image;
}

}  // namespace vertigon
