// Writes an MDLS model, its companion MSET and a program image to run its animations, for the
// checks that drive programs outside the test suites (scripts/blender_check.sh): a chain of three
// bones carrying a strip of two squares, and two animations that move the chain at two speeds.
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "tests/fixtures/ee_test_image.h"
#include "tests/fixtures/mdls_writer.h"

namespace {

using namespace vertigon;
using namespace vertigon::testing;

bool Write(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out.flush());
}

MdlsDescription Chain() {
    MdlsDescription d;
    d.bones.resize(3);
    for (uint32_t k = 1; k < 3; ++k) {
        d.bones[k].parentField = k - 1;
        d.bones[k].translation = {0, 40, 0};
    }
    MdlsStream stream;
    for (uint32_t k = 0; k < 3; ++k) stream.Slot(k, k);
    stream.Vertices(0, {{0, {-20, 0, 0}, 0, 0}, {0, {20, 0, 0}, 1, 0}, {1, {-20, 0, 0}, 0, 0.5f}, {1, {20, 0, 0}, 1, 0.5f}})
        .Vertices(0, {{1, {-20, 0, 0}, 0, 0.5f}, {1, {20, 0, 0}, 1, 0.5f}, {2, {-15, 30, 5}, 0, 1}, {2, {15, 30, 5}, 1, 1}})
        .End();
    MdlsMesh mesh;
    mesh.stream = stream.bytes;
    d.meshes.push_back(mesh);
    return d;
}

TestAnimation Bend(float timeScale) {
    TestAnimation a;
    a.timeScale = timeScale;
    a.bones.resize(3);
    for (size_t k = 0; k < 3; ++k) {
        a.bones[k].rest = EulerRotation({0, 0, 0.15f * static_cast<float>(k), 0});
        a.bones[k].rest.m[3][1] = k == 0 ? 0.0f : 40.0f;
        a.bones[k].velocity = {k == 0 ? 2.0f : 0.0f, k == 2 ? 1.0f : 0.0f, 0, 0};
    }
    return a;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: write_mdls_fixture DIR (writes chain.mdls, chain.mset, chain-image.bin)\n");
        return 64;
    }
    const std::filesystem::path dir = argv[1];
    const bool written = Write(dir / "chain.mdls", WriteMdls(Chain())) &&
                         Write(dir / "chain.mset", WriteTestAnimationMset({Bend(1.0f), Bend(2.0f)})) &&
                         Write(dir / "chain-image.bin", CompressedTestProgramImage());
    if (!written) {
        std::fprintf(stderr, "write_mdls_fixture: cannot write into %s\n", dir.c_str());
        return 1;
    }
    return 0;
}
