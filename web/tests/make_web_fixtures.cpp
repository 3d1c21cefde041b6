// Writes the browser edition's test files into FOLDER: an MDLS model with its .mset, whose
// animations the test program image plays (the image itself as test-image.elf), beside the
// bundled samples the tests also open.
//   make_web_fixtures FOLDER
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/fixtures/ee_test_image.h"
#include "tests/fixtures/mdls_writer.h"

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
    } catch (const std::exception& e) {
        std::fprintf(stderr, "make_web_fixtures: %s\n", e.what());
        return 1;
    }
    return 0;
}
