// glTF export read back: every format's sample exported, loaded with tinygltf, skinned on the host
// from the file alone and compared with the viewer's own posed triangles; every file checked by the
// Khronos validator.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "export/gltf_export.h"
#include "formats/ffb/ffb_loader.h"
#include "formats/loader_options.h"
#include "formats/mdls/mdls_emulator.h"
#include "formats/mdls/mdls_loader.h"
#include "formats/mdlx/mdlx_loader.h"
#include "formats/raw/raw_loader.h"
#include "formats/workspace.h"
#include "scene/framing.h"
#include "tests/ee/ee_machine.h"
#include "tests/export/gltf_readback.h"
#include "tests/fixtures/ee_test_image.h"
#include "tests/fixtures/ffb_demo_sample.h"
#include "tests/fixtures/mdls_writer.h"
#include "tests/fixtures/mdlx_sample.h"
#include "tests/fixtures/model_builder.h"
#include "tests/fixtures/raw_sample.h"
#include "tests/fixtures/temp_dir.h"

namespace vertigon {
namespace {

using namespace testing;
namespace fs = std::filesystem;

class GltfExport : public ::testing::Test {
protected:
    GltfExportOptions Options() {
        GltfExportOptions options;
        options.warn = [this](std::string_view line) { warnings.emplace_back(line); };
        return options;
    }

    fs::path Export(Model& model, const std::string& name, GltfExportOptions options) {
        const fs::path out = dir.path() / name;
        ExportGltf(model, out, options);
        return out;
    }

    // The file triangles against the viewer's, within 1e-4 of the model's size.
    static void ExpectSamePose(const std::vector<Corners3>& viewer, const std::vector<Corners3>& file,
                               const std::string& what) {
        ASSERT_FALSE(viewer.empty()) << what;
        EXPECT_LE(LargestMismatch(viewer, file), 1e-4 * Diagonal(viewer)) << what;
    }

    static void ExpectValid(const std::vector<fs::path>& files, const std::vector<std::string>& allowed = {}) {
        std::string report;
        EXPECT_EQ(Validate(files, allowed, report), 0) << report;
    }

    static int AnimationNamed(const tinygltf::Model& gltf, const std::string& name) {
        for (size_t i = 0; i < gltf.animations.size(); ++i) {
            if (gltf.animations[i].name == name) return static_cast<int>(i);
        }
        return -1;
    }

    TempDir dir;
    std::vector<std::string> warnings;
};

std::unique_ptr<Model> LoadBytes(ModelLoader& loader, const TempDir& dir, const std::string& name,
                                 const std::vector<uint8_t>& bytes) {
    Workspace workspace(LoaderOptions{.eeImagePath = {}, .searchDefaultEeImagePlaces = false});
    return loader.Load(dir.Write(name, bytes), workspace.context());
}

TEST_F(GltfExport, MdlxSampleKeepsItsSkinMaterialsAndTexturesOnce) {
    MdlxLoader loader;
    auto model = LoadBytes(loader, dir, kMdlxSampleFileName, MdlxSampleFile());
    GltfExportOptions options = Options();
    options.sourceName = kMdlxSampleFileName;
    options.formatName = "MDLX";
    const fs::path file = Export(*model, "sample.GLB", options);
    const tinygltf::Model gltf = ReadGltf(file);

    EXPECT_EQ(gltf.asset.generator.rfind("Vertigon ", 0), 0u);
    EXPECT_EQ(gltf.asset.extras.Get("source").Get<std::string>(), kMdlxSampleFileName);
    EXPECT_EQ(gltf.asset.extras.Get("format").Get<std::string>(), "MDLX");
    ASSERT_EQ(gltf.skins.size(), 1u);
    EXPECT_EQ(gltf.skins[0].joints.size(), model->bones.size());
    EXPECT_EQ(gltf.nodes.at(1).name, "bone_000");
    ExpectSamePose(ViewerTriangles(*model, 0), GltfTriangles(gltf), "bind pose");
    // Every bone turned by hand, in the viewer and in the file's nodes (whose rotation is the
    // conjugate of the viewer's quaternion: the viewer's matrices act on row vectors).
    tinygltf::Model turned = gltf;
    const auto turn = [](size_t k) { return QuatFromEuler(0.3f, 0.2f * static_cast<float>(k), -0.1f); };
    for (size_t k = 0; k < model->bones.size(); ++k) {
        ASSERT_EQ(model->bones[k].scale, (Vec4{1, 1, 1, model->bones[k].scale.w}));
        const Quat q = turn(k);
        turned.nodes[k + 1].rotation = {-q.x, -q.y, -q.z, q.w};
    }
    const auto pose = [&turn](std::vector<Bone>& bones) {
        for (size_t k = 0; k < bones.size(); ++k) bones[k].rotation = turn(k);
    };
    ExpectSamePose(ViewerTriangles(*model, 0, -1, 0, 0, 0, pose), GltfTriangles(turned), "turned by hand");

    // The halo is translucent; each texture the materials use is stored once, as PNG.
    bool blended = false;
    for (const tinygltf::Material& m : gltf.materials) blended |= m.alphaMode == "BLEND";
    EXPECT_TRUE(blended);
    EXPECT_LE(gltf.images.size(), model->textures.size());
    EXPECT_LT(gltf.images.size(), gltf.materials.size() + 1);
    for (const tinygltf::Image& image : gltf.images) {
        EXPECT_EQ(image.mimeType, "image/png");
        ASSERT_GE(image.image.size(), 8u);
        EXPECT_EQ(std::string(image.image.begin() + 1, image.image.begin() + 4), "PNG");
    }
    ExpectValid({file});
}

TEST_F(GltfExport, RawSampleAsTextGltfHoldsEveryLodWithFilesBesideIt) {
    RawLoader loader;
    auto model = LoadBytes(loader, dir, kRawSampleName, BuildRawSample());
    ASSERT_GE(model->lodCount(), 2);
    GltfExportOptions options = Options();
    options.allLods = true;
    const fs::path file = Export(*model, "totem.gltf", options);
    EXPECT_TRUE(fs::exists(dir.path() / "totem.bin"));
    EXPECT_TRUE(fs::exists(dir.path() / "totem_000.png"));
    const tinygltf::Model gltf = ReadGltf(file);
    ASSERT_EQ(gltf.meshes.size(), static_cast<size_t>(model->lodCount()));
    for (int lod = 0; lod < model->lodCount(); ++lod) {
        EXPECT_EQ(gltf.meshes[static_cast<size_t>(lod)].name, model->lods[static_cast<size_t>(lod)].name);
        ExpectSamePose(ViewerTriangles(*model, lod), GltfTriangles(gltf, -1, 0, lod), "Lod " + std::to_string(lod));
    }
    for (const tinygltf::Image& image : gltf.images) EXPECT_EQ(image.uri.find('/'), std::string::npos) << image.uri;
    ExpectValid({file});
}

TEST_F(GltfExport, FfbAnimationsPlayInTheFileAsInTheViewer) {
    FfbLoader loader;
    auto model = LoadBytes(loader, dir, kDemoSampleName, BuildDemoSample());
    ASSERT_GT(model->animationGroupCount(), 0);
    // The demo's weights are stored in 255ths, so a shared vertex's weights sum to 256/255: its
    // influences put it in slightly different places, which the export reports.
    Export(*model, "as_stored.glb", Options());
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_EQ(warnings[0].rfind("the bone influences of 16 vertices disagree on where the vertex is, by up to", 0), 0u);
    // Scaled to sum to 1 they agree, and the file plays exactly as the viewer.
    for (Lod& lod : model->lods) {
        for (Shape& shape : lod.shapes) {
            for (const SkinGroup& g : shape.positionGroups) {
                float total = 0;
                for (int32_t i = 0; i < g.influenceCount; ++i) total += shape.positionInfluences[static_cast<size_t>(g.firstInfluence + i)].value.w;
                for (int32_t i = 0; i < g.influenceCount; ++i) {
                    Vec4& v = shape.positionInfluences[static_cast<size_t>(g.firstInfluence + i)].value;
                    v = v * (1.0f / total);
                }
            }
        }
    }
    warnings.clear();
    const fs::path file = Export(*model, "demo.glb", Options());
    EXPECT_TRUE(warnings.empty()) << warnings[0];
    const tinygltf::Model gltf = ReadGltf(file);
    ExpectSamePose(ViewerTriangles(*model, 0), GltfTriangles(gltf), "bind pose");
    size_t clips = 0;
    for (int g = 0; g < model->animationGroupCount(); ++g) {
        const AnimationGroup& group = model->animationGroups[static_cast<size_t>(g)];
        clips += group.animations.size();
        for (int a = 0; a < std::min(group.animationCount(), 2); ++a) {
            const Animation& clip = *group.animations[static_cast<size_t>(a)];
            const int index = AnimationNamed(gltf, group.name + "/" + std::string(clip.GetName()));
            ASSERT_GE(index, 0) << clip.GetName();
            // Between keys, on a key, and in the closing span back to the first key.
            for (float frame : {0.0f, 1.5f, 3.0f, clip.length - 0.25f}) {
                const float step = frame / clip.speed;
                ExpectSamePose(ViewerTriangles(*model, 0, g, a, 1, step),
                               GltfTriangles(gltf, index, frame / (40.0 * clip.speed)),
                               std::string(clip.GetName()) + " at frame " + std::to_string(frame));
            }
        }
    }
    EXPECT_EQ(gltf.animations.size(), clips);
    ExpectValid({file});
}

// Twelve bones in a chain, each moved from its parent; a strip bound to single bones and a strip
// of vertices with 2, 6, 8 (or, crowded, 10) and 1 influences that all agree on where the vertex is.
MdlsDescription InfluenceLadder(bool crowded) {
    MdlsDescription d;
    d.bones.resize(12);
    for (uint32_t k = 1; k < 12; ++k) {
        d.bones[k].parentField = k - 1;
        d.bones[k].translation = {0.5f * k, 0.25f * k, 0};
    }
    const auto bindOrigin = [](uint32_t k) { return Vec3{0.25f * k * (k + 1), 0.125f * k * (k + 1), 0}; };
    MdlsStream stream;
    for (uint32_t k = 0; k < 12; ++k) stream.Slot(k, k);
    stream.Vertices(1, {{0, {0, 0, 1}, 0, 0}, {1, {1, 0, 0}, 1, 0}, {2, {0, 1, 0}, 0, 1}, {3, {1, 1, 0}, 1, 1}});
    const Vec3 at[4] = {{2, 1, 0}, {3, 1, 1}, {2, 3, 0}, {4, 2, 1}};
    const std::vector<std::vector<std::pair<uint32_t, float>>> weights = {
        {{1, 0.5f}, {2, 0.5f}},
        {{3, 1 / 6.0f}, {4, 1 / 6.0f}, {5, 1 / 6.0f}, {6, 1 / 6.0f}, {7, 1 / 6.0f}, {8, 1 / 6.0f}},
        {{0, 0.2f}, {1, 0.15f}, {2, 0.12f}, {3, 0.1f}, {4, 0.1f}, {5, 0.09f}, {6, 0.08f}, {7, 0.16f}},
        {{11, 1.0f}}};
    std::vector<uint32_t> slots;
    std::vector<MdlsWeightedVertex> vertices;
    for (size_t v = 0; v < 4; ++v) {
        MdlsWeightedVertex vertex;
        vertex.u = 0.25f * v;
        std::vector<std::pair<uint32_t, float>> list = weights[v];
        if (crowded && v == 2) list = {{0, 0.2f}, {1, 0.15f}, {2, 0.12f}, {3, 0.1f}, {4, 0.1f},
                                       {5, 0.09f}, {6, 0.08f}, {7, 0.07f}, {8, 0.05f}, {9, 0.04f}};
        for (const auto& [bone, w] : list) {
            slots.push_back(bone);
            const Vec3 origin = bindOrigin(bone);
            vertex.influences.push_back({w * (at[v].x - origin.x), w * (at[v].y - origin.y), w * (at[v].z - origin.z), w});
        }
        vertices.push_back(vertex);
    }
    stream.Weighted(slots).WeightedVertices(1, vertices).End();
    MdlsMesh mesh;
    mesh.stream = stream.bytes;
    d.meshes.push_back(mesh);
    return d;
}

TestAnimation Sway(float timeScale) {
    TestAnimation a;
    a.timeScale = timeScale;
    a.bones.resize(12);
    for (size_t k = 0; k < 12; ++k) {
        a.bones[k].rest = EulerRotation({0.1f * k, 0.05f * k, 0.2f, 0});
        a.bones[k].rest.m[3][0] = 0.3f * k;
        a.bones[k].rest.m[3][1] = 0.1f * k;
        a.bones[k].velocity = {k % 3 == 0 ? 1.0f : 0.0f, k % 2 == 0 ? 0.5f : 0.0f, 0, 0};
    }
    for (float& x : a.bones[11].rest.m[0]) x *= 2.0f;  // a bone stretched along its x, with no children
    return a;
}

std::unique_ptr<Model> LoadMdlsWithSways(MdlsLoader& loader, const LoadContext& context, const TempDir& dir,
                                         bool crowded = false) {
    dir.Write("ladder.mset", WriteTestAnimationMset({Sway(1.0f), Sway(4.0f)}));
    return loader.Load(dir.Write("ladder.mdls", WriteMdls(InfluenceLadder(crowded))), context);
}

TEST_F(GltfExport, MdlsEmulatedAnimationsAreBakedFrameByFrameAsTheViewerPlaysThem) {
    SKIP_WITHOUT_MIPS_TOOLS();
    Workspace workspace(TestProgramImage());
    MdlsLoader loader;
    auto model = LoadMdlsWithSways(loader, workspace.context(), dir);
    GltfExportOptions options = Options();
    options.bakeFrames = 12;
    const fs::path file = Export(*model, "ladder.glb", options);
    const tinygltf::Model gltf = ReadGltf(file);

    EXPECT_TRUE(warnings.empty()) << warnings[0];
    bool eightInfluences = false;
    for (const tinygltf::Primitive& p : gltf.meshes.at(0).primitives) eightInfluences |= p.attributes.count("WEIGHTS_1") > 0;
    EXPECT_TRUE(eightInfluences);
    ASSERT_EQ(gltf.animations.size(), 2u);
    ExpectSamePose(ViewerTriangles(*model, 0), GltfTriangles(gltf), "bind pose");
    const AnimationGroup& group = model->animationGroups.at(0);
    for (int a = 0; a < 2; ++a) {
        const Animation& clip = *group.animations[static_cast<size_t>(a)];
        const int index = AnimationNamed(gltf, group.name + "/" + std::string(clip.GetName()));
        ASSERT_GE(index, 0);
        EXPECT_EQ(ReadAccessor(gltf, gltf.animations[static_cast<size_t>(index)].samplers[0].input).size(), 12u);
        for (int frame : {0, 1, 5, 11}) {
            ExpectSamePose(ViewerTriangles(*model, 0, 0, a, frame, 1.0f / clip.speed),
                           GltfTriangles(gltf, index, frame / (40.0 * clip.speed)),
                           std::string(clip.GetName()) + " frame " + std::to_string(frame));
        }
    }
    ExpectValid({file});
}

TEST_F(GltfExport, WithoutAProgramImageAnMdlsModelKeepsItsMeshAndSkinAndSaysTheAnimationsWereLeftOut) {
    LoaderOptions none;
    none.searchDefaultEeImagePlaces = false;
    Workspace workspace(none);
    MdlsLoader loader;
    auto model = LoadMdlsWithSways(loader, workspace.context(), dir, true);
    const fs::path file = Export(*model, "still.glb", Options());
    const tinygltf::Model gltf = ReadGltf(file);
    EXPECT_TRUE(gltf.animations.empty());
    EXPECT_EQ(gltf.skins.size(), 1u);
    EXPECT_EQ(warnings, (std::vector<std::string>{"2 animations were left out: no EE program image to run them",
                                                   "1 vertices have more than 8 bone influences; the 8 largest were kept"}));
    ExpectSamePose(ViewerTriangles(*model, 0), GltfTriangles(gltf), "rest pose");
    ExpectValid({file});
}

// Tools that frame or cull by a skinned mesh's own bounds (before skinning) must see the model
// as the viewer frames it: placed in the scene, at its bind pose.
TEST_F(GltfExport, MeshBoundsBeforeSkinningAreTheBoxTheViewerFrames) {
    LoaderOptions none;
    none.searchDefaultEeImagePlaces = false;
    Workspace workspace(none);
    FfbLoader ffb;
    MdlxLoader mdlx;
    RawLoader raw;
    MdlsLoader mdls;
    std::vector<std::pair<std::string, std::unique_ptr<Model>>> models;
    models.emplace_back("demo", LoadBytes(ffb, dir, kDemoSampleName, BuildDemoSample()));
    models.emplace_back("mdlx", LoadBytes(mdlx, dir, kMdlxSampleFileName, MdlxSampleFile()));
    models.emplace_back("raw", LoadBytes(raw, dir, kRawSampleName, BuildRawSample()));
    models.emplace_back("mdls", LoadMdlsWithSways(mdls, workspace.context(), dir));
    for (auto& [name, model] : models) {
        GltfExportOptions options = Options();
        options.allLods = true;
        const tinygltf::Model gltf = ReadGltf(Export(*model, name + ".glb", options));
        ASSERT_EQ(gltf.meshes.size(), static_cast<size_t>(model->lodCount())) << name;
        for (int lod = 0; lod < model->lodCount(); ++lod) {
            const Box box = BindPoseBox(*model, lod);
            std::array<double, 3> lo{INFINITY, INFINITY, INFINITY}, hi{-INFINITY, -INFINITY, -INFINITY};
            for (const tinygltf::Primitive& p : gltf.meshes[static_cast<size_t>(lod)].primitives) {
                const tinygltf::Accessor& positions = gltf.accessors.at(static_cast<size_t>(p.attributes.at("POSITION")));
                for (size_t j = 0; j < 3; ++j) {
                    lo[j] = std::min(lo[j], positions.minValues.at(j));
                    hi[j] = std::max(hi[j], positions.maxValues.at(j));
                }
            }
            const double tolerance = 1e-5 * box.Radius();
            const std::string what = name + " Lod " + std::to_string(lod);
            EXPECT_NEAR(lo[0], box.min.x, tolerance) << what;
            EXPECT_NEAR(lo[1], box.min.y, tolerance) << what;
            EXPECT_NEAR(lo[2], box.min.z, tolerance) << what;
            EXPECT_NEAR(hi[0], box.max.x, tolerance) << what;
            EXPECT_NEAR(hi[1], box.max.y, tolerance) << what;
            EXPECT_NEAR(hi[2], box.max.z, tolerance) << what;
        }
    }
}

TEST_F(GltfExport, ModelsWithoutBonesOrLodsExportWhatTheyHave) {
    ShapeBuilder shape;
    const int32_t batch = shape.AddBatch(MakeMaterial(true, 5));
    AddSquare(shape, batch, 1, 2, 3, 4);
    auto boneless = MakeModel(shape.Take(), 0);
    boneless->placement.scale = {2, 2, 2, 0};
    const fs::path unskinned = Export(*boneless, "square.glb", Options());
    const tinygltf::Model gltf = ReadGltf(unskinned);
    EXPECT_TRUE(gltf.skins.empty());
    EXPECT_TRUE(gltf.materials.at(0).pbrMetallicRoughness.baseColorTexture.index < 0);  // no texture 5
    EXPECT_EQ(gltf.materials.at(0).extensions.count("KHR_materials_unlit"), 0u);
    // Without bones the viewer draws nothing; the file holds the points as the shape stores them,
    // placed once: in the mesh itself, not again by a parent.
    const std::vector<Corners3> triangles = GltfTriangles(gltf);
    ASSERT_EQ(triangles.size(), 2u);
    EXPECT_EQ(triangles[0][0][2], 6.0);
    EXPECT_EQ(gltf.accessors.at(static_cast<size_t>(gltf.meshes.at(0).primitives.at(0).attributes.at("POSITION"))).maxValues.at(2), 6.0);

    Model empty;
    const fs::path nothing = Export(empty, "empty.gltf", Options());
    EXPECT_TRUE(ReadGltf(nothing).meshes.empty());
    EXPECT_FALSE(fs::exists(dir.path() / "empty.bin"));
    ExpectValid({unskinned, nothing});
}

// A damaged file's NaN or infinity must not make an invalid file: glTF holds finite numbers only.
TEST_F(GltfExport, NumbersThatAreNotFiniteNeverReachTheFile) {
    ShapeBuilder shape;
    const int32_t batch = shape.AddBatch(MakeMaterial(true, 0));
    AddSquare(shape, batch, 0, 0, 0, 4);
    const int32_t far = shape.AddPosition(NAN, 1, 1e30f);
    shape.AddTriangle(batch, {far, 0, 1}, {0, 0, 0}, {{{0, 0}, {1, 0}, {0, 1}}});
    auto model = MakeModel(shape.Take());
    model->placement.position = {INFINITY, 0, 0, 1};
    auto clip = std::make_unique<KeyframeAnimation>();
    clip->length = 2;
    clip->AllocateTracks(1);
    clip->tracks[0].translation.keys = {{{0, 0, 0, 0}, {}}, {{NAN, 0, 0, 0}, {}}};
    AnimationGroup group;
    group.name = "group";
    group.animations.push_back(std::move(clip));
    model->animationGroups.push_back(std::move(group));

    const fs::path out = Export(*model, "damaged.glb", Options());
    ExpectValid({out});
    EXPECT_TRUE(ReadGltf(out).animations.empty());
    std::string said;
    for (const std::string& line : warnings) said += line + "\n";
    EXPECT_NE(said.find("1 vertices hold numbers that are not finite"), std::string::npos) << said;
    EXPECT_NE(said.find("placement is not finite numbers"), std::string::npos) << said;
    EXPECT_NE(said.find("group/ was left out: its pose at key"), std::string::npos) << said;
}

// A damaged group naming influences past the list's end adds nothing, also where the export
// measures how far a vertex's influences disagree (its output written by a sound group).
TEST_F(GltfExport, AGroupReachingPastTheInfluencesIsSkipped) {
    ShapeBuilder builder;
    const int32_t batch = builder.AddBatch(MakeMaterial(true, 0));
    AddSquare(builder, batch, 0, 0, 0, 4);
    const int32_t shared = builder.AddBlendedPosition(1, 1, 0, {{0, 0.5f}, {1, 0.5f}});
    builder.AddTriangle(batch, {shared, 0, 1}, {0, 0, 0}, {{{0, 0}, {1, 0}, {0, 1}}});
    Shape shape = builder.Take();
    shape.positionGroups.push_back({shared, 2, static_cast<int32_t>(shape.positionInfluences.size())});
    auto model = MakeModel(std::move(shape), 2);
    ExpectValid({Export(*model, "reaching.glb", Options())});
}

TEST_F(GltfExport, FrontFacesTurnCounterClockwiseAndDoubleSidedOnesFaceTheirNormals) {
    // Each quad is clockwise on screen seen from +z, where the viewer shows it front-on.
    ShapeBuilder shape;
    Material doubleSided = MakeMaterial(true);
    doubleSided.doubleSided = true;
    const int32_t single = shape.AddBatch(MakeMaterial(true));
    const int32_t both = shape.AddBatch(std::move(doubleSided));
    const Corner tl{0, 1, 0}, tr{1, 1, 0}, bl{0, 0, 0}, br{1, 0, 0};
    shape.AddQuad(single, tl, tr, bl, br, 0, {0, 0, 1});
    shape.AddQuad(both, tl, tr, bl, br, 0, {0, 0, -1});
    auto model = MakeModel(shape.Take());
    const tinygltf::Model gltf = ReadGltf(Export(*model, "faces.glb", Options()));
    const std::vector<Corners3> triangles = GltfTriangles(gltf);
    ASSERT_EQ(triangles.size(), 4u);
    const auto turn = [](const Corners3& c) {
        return (c[1][0] - c[0][0]) * (c[2][1] - c[0][1]) - (c[1][1] - c[0][1]) * (c[2][0] - c[0][0]);
    };
    EXPECT_GT(turn(triangles[0]), 0);  // front toward +z, as the viewer shows it
    EXPECT_GT(turn(triangles[1]), 0);
    EXPECT_LT(turn(triangles[2]), 0);  // toward its normals, -z
    EXPECT_LT(turn(triangles[3]), 0);
}

TEST_F(GltfExport, FailuresLeaveNothingHalfWritten) {
    ShapeBuilder shape;
    AddSquare(shape, shape.AddBatch(MakeMaterial(false)), 0, 0, 0, 1);
    auto model = MakeModel(shape.Take());
    EXPECT_THROW(Export(*model, "missing/out.glb", Options()), ExportError);
    EXPECT_THROW(Export(*model, "out.obj", Options()), ExportError);
    GltfExportOptions lod = Options();
    lod.lod = 3;
    EXPECT_THROW(Export(*model, "out.glb", lod), ExportError);
    GltfExportOptions cancel = Options();
    cancel.progress = [](int32_t, int32_t) { return false; };
    EXPECT_THROW(Export(*model, "out.glb", cancel), ExportCancelled);
    EXPECT_TRUE(fs::is_empty(dir.path()));

    // An existing file is replaced whole, and no temporary stays behind.
    dir.Write("out.gltf", std::string("old"));
    Export(*model, "out.gltf", Options());
    EXPECT_NE(ReadGltf(dir.path() / "out.gltf").meshes.size(), 0u);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 2);  // .gltf, .bin
}

}  // namespace
}  // namespace vertigon
