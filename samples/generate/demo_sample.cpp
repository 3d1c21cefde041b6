// make_demo_sample: writes demo.ffb, the bundled demo model: a little textured robot with a
// 17-bone skeleton, weighted joints, and animations that start as soon as it opens ("2.ffa",
// the second group: a walk, a wave and a jump; "1.ffa": an idle loop). The output is the same
// bytes on every run (fixed tar fields, fixed gzip settings), so the committed file can be
// checked against it.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "samples/generate/demo_animations.h"
#include "samples/generate/demo_figure.h"
#include "samples/generate/demo_texture.h"
#include "tests/fixtures/ffb_writer.h"

namespace demo {
namespace {

using vertigon::testing::FfmDesc;

// One arm or leg: its x and its three bones, top to bottom.
struct Limb {
    float x;
    int upper, lower, end;
};

// Torso, head and antenna. Compact weight lists; the head and neck are left to the default
// bone (the head), so their raw positions are what places them.
ObjectBuilder Body() {
    ObjectBuilder b(kHead, false);
    using Ring = ObjectBuilder::Ring;
    b.Tube(0, 0,
           {Ring{-8.2f, 4.2f, 2.4f, {{kChest, 1}}}, Ring{-3.0f, 3.6f, 2.2f, {{kSpine, 0.5f}, {kChest, 0.5f}}},
            Ring{0.5f, 2.6f, 1.8f, {{kPelvis, 0.5f}, {kSpine, 0.5f}}}, Ring{3.4f, 3.0f, 2.0f, {{kPelvis, 1}}}},
           {kChestTile, kJointTile, kBeltTile}, {kMetalTile, kJointTile, kBeltTile}, {kChest, kSpine, kPelvis}, true,
           true, kCapTile);
    b.Box({-1.0f, -9.0f, -1.0f}, {1.0f, -8.0f, 1.0f}, -1, kJointTile, kJointTile, kJointTile, kJointTile);
    b.Box({-3.3f, -14.6f, -2.9f}, {3.3f, -8.8f, 2.9f}, -1, kFaceTile, kHeadSideTile, kMetalTile, kHeadSideTile);
    for (float side : {1.0f, -1.0f}) {
        const float inner = 3.3f * side, outer = 3.9f * side;
        b.Box({std::min(inner, outer), -12.6f, -0.8f}, {std::max(inner, outer), -10.6f, 0.8f}, kHead, kBallTile,
              kBallTile, kBallTile, kBallTile);
    }
    b.Box({-0.2f, -16.2f, -0.2f}, {0.2f, -14.6f, 0.2f}, kAntenna, kJointTile, kJointTile, kJointTile, kJointTile);
    b.Box({-0.65f, -17.3f, -0.65f}, {0.65f, -16.0f, 0.65f}, kAntenna, kBallTile, kBallTile, kBallTile, kBallTile);
    return b;
}

// Both arms with shoulder pads and hands. Wide weight lists; the elbows are shared half and
// half between upper arm and forearm.
ObjectBuilder Arms() {
    ObjectBuilder b(kChest, true);
    using Ring = ObjectBuilder::Ring;
    for (const auto& [x, u, f, h] : {Limb{5.2f, kUpperArmL, kForearmL, kHandL}, Limb{-5.2f, kUpperArmR, kForearmR, kHandR}}) {
        b.Tube(x, 0,
               {Ring{-8.0f, 0.9f, 0.9f, {{u, 1}}}, Ring{-2.5f, 0.8f, 0.8f, {{u, 0.5f}, {f, 0.5f}}},
                Ring{1.7f, 0.75f, 0.75f, {{f, 1}}}},
               {kMetalTile, kJointTile}, {kMetalTile, kJointTile}, {u, f}, false, false, kCapTile);
        b.Box({x - 1.5f, -8.9f, -1.5f}, {x + 1.5f, -6.5f, 1.5f}, u, kMetalTile, kMetalTile, kCapTile, kMetalTile);
        b.Box({x - 1.0f, 1.5f, -1.0f}, {x + 1.0f, 3.7f, 1.0f}, h, kHandTile, kHandTile, kHandTile, kHandTile);
    }
    return b;
}

// Both legs with boots. Compact weight lists; the knees are shared.
ObjectBuilder Legs() {
    ObjectBuilder b(kPelvis, false);
    using Ring = ObjectBuilder::Ring;
    for (const auto& [x, t, s, f] : {Limb{2.0f, kThighL, kShinL, kFootL}, Limb{-2.0f, kThighR, kShinR, kFootR}}) {
        b.Tube(x, 0,
               {Ring{2.2f, 1.3f, 1.3f, {{t, 1}}}, Ring{8.5f, 1.15f, 1.15f, {{t, 0.5f}, {s, 0.5f}}},
                Ring{14.0f, 1.0f, 1.0f, {{s, 1}}}},
               {kMetalTile, kJointTile}, {kMetalTile, kJointTile}, {t, s}, false, false, kCapTile);
        b.Box({x - 1.5f, 13.6f, -3.2f}, {x + 1.5f, 15.5f, 1.3f}, f, kBootTile, kBootTile, kBootTile, kBootTile);
    }
    return b;
}

FfmDesc RobotModel() {
    FfmDesc d;
    const Canvas canvas = PaintTexture();
    d.palettes.push_back(canvas.FilePalette());
    d.images.push_back({Canvas::kSize, Canvas::kSize, canvas.pixels()});
    d.textures.push_back({0, 0, Canvas::kSize, Canvas::kSize});
    for (int b = 0; b < kBoneCount; ++b) {
        vertigon::testing::FfmBoneDesc bone;
        bone.parent = kBones[b].parent < 0 ? 0xFFFF : static_cast<uint16_t>(kBones[b].parent);
        const V3 offset = BoneOffset(b);
        bone.translation = {static_cast<int16_t>(std::lround(offset.x)), static_cast<int16_t>(std::lround(offset.y)),
                            static_cast<int16_t>(std::lround(offset.z))};
        d.bones.push_back(bone);
    }
    const ObjectBuilder objects[3] = {Body(), Arms(), Legs()};
    for (uint16_t k = 0; k < 3; ++k) d.objects.push_back(objects[k].Object(d.positionLists, d.normalLists, k));
    return d;
}

}  // namespace
}  // namespace demo

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_demo_sample OUTPUT_FOLDER\n");
        return 64;
    }
    using namespace vertigon::testing;
    const std::vector<uint8_t> tar = PackTar({{"model.ffm", WriteFfm(demo::RobotModel())},
                                              {"1.ffa", WriteFfa({demo::Idle()})},
                                              {"2.ffa", WriteFfa({demo::Walk(), demo::Wave(), demo::Jump()})}});
    const std::vector<uint8_t> gz = Gzip(tar);
    const std::filesystem::path path = std::filesystem::path(argv[1]) / "demo.ffb";
    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(gz.data()), static_cast<std::streamsize>(gz.size()));
    out.close();
    if (!out) {
        std::fprintf(stderr, "make_demo_sample: cannot write %s\n", path.string().c_str());
        return 1;
    }
    std::printf("%s: %zu bytes (%zu uncompressed)\n", path.string().c_str(), gz.size(), tar.size());
    return 0;
}
