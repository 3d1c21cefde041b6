// The viewer's path beyond loading, without a device: a loaded model made into a ModelEntry,
// whose records are skinned and whose vertex-stream bytes are gathered by the renderer's own
// steps on every update, with each animation group's first animation advanced and applied (MDLS
// animations run in the emulator over the test program image). Input: the format (one byte:
// 0 FFB, 1 MDLX, 2 RAW, 3 MDLS), then what that loader's target takes.
#include <cstdint>
#include <optional>
#include <memory>
#include <span>
#include <vector>

#include "formats/ffb/ffb_loader.h"
#include "formats/mdls/mdls_loader.h"
#include "formats/mdlx/mdlx_loader.h"
#include "formats/raw/raw_loader.h"
#include "formats/workspace.h"
#include "fuzz/loader_fuzz.h"
#include "render/skinning.h"
#include "scene/scene_graph.h"
#include "tests/fixtures/ee_test_image.h"

using namespace vertigon;

namespace {

// What the renderer keeps per Lod, minus the device: skinned arrays, bounds, and the bytes the
// position and normal streams would receive.
struct SkinnedShape {
    const Shape* shape = nullptr;
    std::vector<Vec4> skinnedPositions;
    std::vector<Vec4> skinnedNormals;
    Bounds bounds;
};

class StreamRecord final : public LodRenderRecord {
public:
    StreamRecord(ModelEntry& entry, const Lod& lod) : entry_(entry) {
        shapes_.resize(lod.shapes.size());
        for (size_t i = 0; i < lod.shapes.size(); ++i) {
            const Shape& shape = lod.shapes[i];
            shapes_[i].shape = &shape;
            shapes_[i].skinnedPositions.resize(static_cast<size_t>(shape.positionCount()));
            shapes_[i].skinnedNormals.resize(static_cast<size_t>(shape.normalCount()));
        }
    }

    void Skin() override {
        Bounds bounds;
        for (SkinnedShape& shape : shapes_) {
            SkinPositions(*shape.shape, entry_.bones, shape.skinnedPositions);
            if (!shape.skinnedNormals.empty()) SkinNormals(*shape.shape, entry_.bones, shape.skinnedNormals);
            shape.bounds = BoundsOf(shape.skinnedPositions);
            bounds = Enclose(bounds, shape.bounds);
            for (const Batch& batch : shape.shape->batches) {
                // The bytes the position and normal streams of the batch would receive.
                scratch_.resize(batch.triangles.size() * 48);
                GatherCorners(batch.triangles, shape.skinnedPositions, CornerIndex::Position, scratch_.data());
                if ((entry_.flags & FlagFlat) == 0 && !shape.skinnedNormals.empty()) {
                    GatherCorners(batch.triangles, shape.skinnedNormals, CornerIndex::Normal, scratch_.data());
                }
            }
        }
        bounds_ = bounds;
    }
    void Draw() override {}
    Bounds GetBounds() const override { return bounds_; }

private:
    ModelEntry& entry_;
    std::vector<SkinnedShape> shapes_;
    Bounds bounds_;
    std::vector<uint8_t> scratch_;
};

class StreamRenderer final : public SceneRenderer {
public:
    std::unique_ptr<LodRenderRecord> CreateLodRecord(ModelEntry& entry, int32_t lodIndex) override {
        return std::make_unique<StreamRecord>(entry, entry.model().lods.at(static_cast<size_t>(lodIndex)));
    }
    void Clear(uint32_t, float, uint32_t) override {}
    void SetFrameStates() override {}
    void SetTransforms(const Mat4&, const Mat4&, const Mat4&, const Vec3&) override {}
    void BeginScene() override {}
    void EndScene() override {}
    void Present() override {}
};

// One workspace for the process, its emulator over the test program image with a short step
// bound: a damaged animation may spin, and each spin costs the whole bound.
Workspace& EmulatingWorkspace() {
    static const std::unique_ptr<Workspace> workspace = [] {
        auto w = std::make_unique<Workspace>(testing::TestProgramImage(), fuzzing::QuietStatus());
        if (mdls::AnimationRoutines* routines = w->emulator().routines()) routines->harness().stepBound = 20'000;
        return w;
    }();
    return *workspace;
}

std::unique_ptr<Model> Load(uint8_t format, std::span<const uint8_t> file) {
    std::optional<ModelBytes> bytes = ModelBytes{.file = file};
    std::unique_ptr<ModelLoader> loader;
    switch (format) {
        case 0: loader = std::make_unique<FfbLoader>(); break;
        case 1: loader = std::make_unique<MdlxLoader>(); break;
        case 2: loader = std::make_unique<RawLoader>(); break;
        default:
            loader = std::make_unique<MdlsLoader>();
            bytes = fuzzing::MdlsInput(file);
            if (!bytes) return nullptr;
    }
    return fuzzing::LoadOrRefuse(*loader, *bytes, EmulatingWorkspace());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1 || data[0] > 3) return -1;
    const std::unique_ptr<Model> model = Load(data[0], {data + 1, size - 1});
    if (!model) return 0;
    StreamRenderer renderer;
    ModelEntry entry(*model, &renderer);
    for (int32_t group = 0; group < model->animationGroupCount() && group < 4; ++group) {
        entry.SelectAnimation(group, 0);
        for (float step : {0.0f, 1.0f, 2.5f, 40.0f}) entry.Update(step);
        entry.flags ^= FlagFlat;
        entry.lod = (entry.lod + 1) % (entry.lodRecordCount() + 1);  // one past the last too
        entry.Update(1.0f);
    }
    entry.Update(1.0f);
    return 0;
}
