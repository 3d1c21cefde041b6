// A small graphics device over OpenGL 3.3 core that shows what Direct3D 9 would show for the
// same calls: row-vector matrices, depth 0 to 1 with near-plane clipping at 0, the same faces
// culled, depth bias in depth-buffer units, A8R8G8B8 textures, four vertex streams drawn as
// non-indexed triangle lists.
//
// Textures and vertex streams hold the device through a shared pointer. When the renderer shuts
// the device down, the device deletes what it owns and goes dead: objects that outlive it (a
// model's device textures, a scene entry's buffers) then skip their GL calls. Compiled shader
// programs belong to whoever made them (the renderer's shader sets, the guides), which delete
// them before the device goes.
//
// The device knows no materials: which programs draw what is the renderer's choice.
//
// GL headers stay out of this header so that the viewer's canvas headers can be included with it.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <utility>
#include <vector>

#include "render/gl_context.h"
#include "render/rgb_image.h"
#include "scene/math.h"

namespace vertigon {

struct Texture;
class VertexProgram;
class FragmentProgram;

enum class CullMode : int32_t { None = 1, Clockwise = 2, CounterClockwise = 3 };
enum class FillMode : int32_t { Wireframe = 2, Solid = 3 };
enum class BlendFactor : int32_t { SourceAlpha = 5, InverseSourceAlpha = 6 };

// The four vertex streams of one batch: positions (16 bytes per vertex, x, y, z read), texture
// coordinates (8), normals (16, x, y, z read) and colours (4 bytes B, G, R, A).
enum VertexStream : int { StreamPositions = 0, StreamUvs = 1, StreamNormals = 2, StreamColours = 3 };
inline constexpr int kVertexStreamCount = 4;
inline constexpr size_t kStreamStride[kVertexStreamCount] = {16, 8, 16, 4};

class Device;

// A texture living on the graphics device.
class DeviceTexture {
public:
    virtual ~DeviceTexture() = default;
};

// An A8R8G8B8 texture on the device, linear filtering, no mipmaps.
class GlTexture final : public DeviceTexture {
public:
    GlTexture(std::shared_ptr<Device> device, uint32_t name) : device_(std::move(device)), name_(name) {}
    ~GlTexture() override;
    GlTexture(const GlTexture&) = delete;
    GlTexture& operator=(const GlTexture&) = delete;

    uint32_t name() const { return name_; }

private:
    std::shared_ptr<Device> device_;
    uint32_t name_;
};

class VertexStreams {
public:
    // Buffers for `vertexCount` vertices; the normal stream starts zeroed.
    VertexStreams(std::shared_ptr<Device> device, int32_t vertexCount);
    ~VertexStreams();
    VertexStreams(const VertexStreams&) = delete;
    VertexStreams& operator=(const VertexStreams&) = delete;

    // Rewrites one whole stream: vertexCount x its stride bytes.
    void Write(VertexStream stream, const void* data);
    int32_t vertexCount() const { return vertexCount_; }
    uint32_t vertexArray() const { return vertexArray_; }

private:
    std::shared_ptr<Device> device_;
    int32_t vertexCount_;
    uint32_t vertexArray_ = 0;
    uint32_t buffers_[kVertexStreamCount] = {};
};

class Device : public std::enable_shared_from_this<Device> {
public:
    // Makes the context current and checks it offers OpenGL 3.3 (throws RenderError if not).
    Device(GlContext& context, int width, int height);
    ~Device();
    Device(const Device&) = delete;
    Device& operator=(const Device&) = delete;

    bool alive() const { return alive_; }
    // Deletes every GL object the device owns; afterwards all calls do nothing.
    void Shutdown();

    void MakeCurrent();
    void Resize(int width, int height);
    int width() const { return width_; }
    int height() const { return height_; }

    // ---- frame ----
    // Whole target: colour (packed A8R8G8B8), depth and stencil.
    void Clear(uint32_t argb, float depth, uint32_t stencil);
    void BeginScene();
    void EndScene();
    void Present();

    // ---- render states ----
    void SetCullMode(CullMode mode);
    void SetFillMode(FillMode mode);
    // In depth-buffer units of the 0..1 range, negative toward the viewer.
    void SetDepthBias(float bias);
    void SetSlopeScaleDepthBias(float bias);
    void SetBlendFactors(BlendFactor source, BlendFactor destination);
    void SetAlphaBlendEnable(bool enable);
    // Depth test and depth writes together, as Direct3D's z-enable switch.
    void SetDepthEnable(bool enable);

    // ---- textures ----
    // Null when the texture is malformed or the device refuses it.
    std::unique_ptr<DeviceTexture> CreateTexture(const Texture& texture);
    // Stage 0, linear filtering, no mipmaps; null unbinds.
    void SetTexture(const DeviceTexture* texture);

    // ---- programs and drawing ----
    // The programs the next draws link and run, each with the uniform values it holds then.
    void SetVertexProgram(const VertexProgram* program) { vertexProgram_ = program; }
    void SetFragmentProgram(const FragmentProgram* program) { fragmentProgram_ = program; }
    // Deletes a compiled shader with every linked program made from it, and unbinds the program
    // holding it.
    void DeleteShader(uint32_t shader);
    // Draws `primitiveCount` triangles from vertex 0 with the bound programs.
    void DrawTriangleList(const VertexStreams& streams, int32_t primitiveCount);
    // Draws `lineCount` lines, each from two consecutive points (x, y, z read), with the bound
    // programs.
    void DrawLineList(const Vec4* points, int32_t lineCount);

    // ---- transform state, written by the camera every frame ----
    Mat4 world = Mat4::Identity();
    Mat4 view = Mat4::Identity();
    Mat4 projection = Mat4::Identity();
    Vec3 eyePosition;

    // The colour buffer of the target drawn into (a window's back buffer), top row first.
    RgbImage ReadPixels();

    // A reusable staging area for stream writes.
    std::vector<uint8_t>& scratch() { return scratch_; }

private:
    struct LinkedProgram;
    const LinkedProgram* Link(const VertexProgram& vertex, const FragmentProgram& fragment);
    void ApplyDepthBias();
    // Links and activates the bound programs and uploads their uniforms; false when a program
    // is missing.
    bool UseBoundPrograms();
    void BindTarget();
    // Draws the edges of the bound vertex array's first `primitiveCount` triangles as lines.
    void DrawTriangleEdges(int32_t primitiveCount);

    GlContext& context_;
    bool alive_ = true;
    int width_;
    int height_;
    float depthUnitsPerBias_ = 65535.0f;
    float depthBias_ = 0.0f;
    float slopeScaleDepthBias_ = 0.0f;
    FillMode fillMode_ = FillMode::Solid;
    uint32_t wireIndexBuffer_ = 0;  // ES: the line indices of the wireframe overlay
    size_t wireIndexCount_ = 0;
    const VertexProgram* vertexProgram_ = nullptr;
    const FragmentProgram* fragmentProgram_ = nullptr;
    uint32_t activeProgram_ = 0;
    // Linked programs by their vertex and fragment shader names.
    std::map<std::pair<uint32_t, uint32_t>, LinkedProgram> linked_;
    uint32_t lineArray_ = 0;
    uint32_t lineBuffer_ = 0;
    std::vector<uint8_t> scratch_;
};

// Reads a framebuffer of the current context (0: the window's back buffer) as a person sees it.
RgbImage ReadFramebufferPixels(uint32_t framebuffer, int width, int height);

}  // namespace vertigon
