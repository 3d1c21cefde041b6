// Writes the browser edition's test files into FOLDER: an MDLS model with its .mset, whose
// animations the test program image plays (the image itself as test-image.elf), beside the
// bundled samples the tests also open, and the models of the page's benchmarks (20,000 triangles;
// 100 emulated bones).
//   make_web_fixtures FOLDER
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench/bench_models.h"
#include "tests/fixtures/ee_test_image.h"
#include "tests/fixtures/mdls_writer.h"
#include "tests/fixtures/mdlx_writer.h"

using namespace vertigon;
using namespace vertigon::testing;
using Bytes = std::vector<uint8_t>;

namespace {

void Write(const std::filesystem::path& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path.string());
    std::printf("%s (%zu bytes)\n", path.string().c_str(), bytes.size());
}

// A textured ribbon on bone 1, which the animation moves: a zigzag strip of 12 vertices.
MdlsDescription Ribbon() {
    MdlsDescription d;
    d.bones.resize(2);
    d.bones[1].parentField = 0;
    d.bones[1].translation = {0, 1, 0};
    std::vector<MdlsUnweightedVertex> strip;
    for (int i = 0; i < 12; ++i) {
        strip.push_back({0, {float(i / 2), float(i % 2) * 2.0f, float(i % 3) * 0.3f}, float(i / 2) / 6.0f, float(i % 2)});
    }
    MdlsMesh mesh;
    mesh.stream = MdlsStream().Slot(0, 1).Vertices(1, strip).End().bytes;
    d.meshes.push_back(mesh);
    MdlsTexture texture{8, 4, {}, {}};
    for (int i = 0; i < 32; ++i) texture.indices.push_back(uint8_t(((i % 8) / 2 + i / 8) % 2 ? 0x30 : 0xC0));
    for (size_t i = 0; i < 256; ++i) texture.palette[i] = {uint8_t(i), 0x60, uint8_t(255 - i), 0x80};
    d.textures.push_back(texture);
    return d;
}

// Two clips the test program image plays: bone 1 walking along x, then faster.
MsetDescription Walks() {
    // The image's root matrix turns the pose half a turn about x; rest matrices turned the same
    // way keep the ribbon facing the camera.
    TestAnimation walk;
    walk.bones.resize(2);
    for (TestImageBone& bone : walk.bones) bone.rest = Mat4::Scale({1, -1, -1, 1});
    walk.bones[1].velocity = {0.25f, 0, 0, 0};
    TestAnimation fast = walk;
    fast.bones[1].velocity = {0.5f, 0.25f, 0, 0};
    // The list of offsets is written at the start: the blocks lie past it.
    MsetDescription m;
    const Bytes second = WriteTestAnimationBlock(fast);
    m.offsets = {0x20, 0x200};
    m.blocks = {{0x20, WriteTestAnimationBlock(walk)}, {0x200, second}};
    m.bytesAfterList = 0x200 + second.size();
    return m;
}

// The emulator benchmark's model in a file: 100 moving bones (the ribbon hangs on bone 1), one
// clip with the benchmark's time scale, rest heights and velocities.
MdlsDescription HundredBones() {
    MdlsDescription d = Ribbon();
    d.bones.resize(100);
    for (size_t b = 2; b < d.bones.size(); ++b) d.bones[b].parentField = 0;
    return d;
}

MsetDescription HundredBoneClip() {
    TestAnimation animation;
    animation.timeScale = 2.0f;
    animation.bones.resize(100);
    for (size_t b = 0; b < animation.bones.size(); ++b) {
        animation.bones[b].rest.m[3][1] = float(b);
        animation.bones[b].velocity = {float(b % 7) - 3.0f, 1.0f, float(b % 3), 0.0f};
    }
    MsetDescription m;
    const Bytes block = WriteTestAnimationBlock(animation);
    m.offsets = {0x20};
    m.blocks = {{0x20, block}};
    m.bytesAfterList = 0x20 + block.size();
    return m;
}

// The page's frame-time benchmark: 84 strips of 238 triangles (19,992), one 256 x 256 texture,
// 16 bones, built from the load benchmark's packets.
Bytes Sheets20k() {
    MdlxDescription d;
    for (uint32_t b = 0; b < bench::kMdlxBones; ++b) {
        d.bones.push_back({static_cast<int32_t>(b) - 1, {1, 1, 1}, {0.1f, 0, 0}, {0, 1, 0}});
    }
    float z = 0;
    MdlxSubpart subpart{0x14u, 0, {}};
    for (int p = 0; p < 84; ++p) subpart.packets.push_back(bench::PlainPacket(static_cast<uint32_t>(p) % bench::kMdlxBones, z));
    d.subparts.push_back(std::move(subpart));
    std::vector<uint8_t> indices(256 * 256);
    for (size_t i = 0; i < indices.size(); ++i) indices[i] = static_cast<uint8_t>(i * 31);
    d.textures.push_back(SwizzledTexture(256, 256, indices));
    MdlxPalette palette{};
    for (size_t i = 0; i < 256; ++i) palette[i] = {uint8_t(i), 0x40, uint8_t(255 - i), 0x80};
    d.palettes.push_back(palette);
    return WriteMdlx(d);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_web_fixtures FOLDER\n");
        return 64;
    }
    try {
        const std::filesystem::path folder(argv[1]);
        std::filesystem::create_directories(folder);
        Write(folder / "ribbon.mdls", WriteMdls(Ribbon()));
        Write(folder / "ribbon.mset", WriteMset(Walks()));
        Write(folder / "test-image.elf", TestProgramImage());
        Write(folder / "sheets20k.mdlx", Sheets20k());
        Write(folder / "bones100.mdls", WriteMdls(HundredBones()));
        Write(folder / "bones100.mset", WriteMset(HundredBoneClip()));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "make_web_fixtures: %s\n", e.what());
        return 1;
    }
    return 0;
}
