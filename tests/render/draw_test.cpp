// Real pixels through Mesa: hand-built models drawn offscreen and read back.
#include <gtest/gtest.h>

#include <cmath>
#include <utility>

#include "render/render_records.h"
#include "tests/fixtures/model_builder.h"
#include "tests/render/offscreen_rig.h"

namespace vertigon {
namespace {

using testing::AddSquare;
using testing::MakeMaterial;
using testing::MakeModel;
using testing::Near;
using testing::OffscreenRig;
using testing::ShapeBuilder;

// Palette entries 0 to 3 as the file stores them (R, G, B, A): red, green, blue, yellow.
std::unique_ptr<Model> PaletteQuadModel(bool lit) {
    ShapeBuilder shape;
    const int32_t batch = shape.AddBatch(MakeMaterial(lit, 0));
    AddSquare(shape, batch, 0, 0, 0, 300);
    auto model = MakeModel(shape.Take());
    model->AllocatePalettes(1);
    auto slot = model->PaletteSlot(0);
    const uint8_t colours[4][4] = {{255, 0, 0, 0x80}, {0, 255, 0, 0x80}, {0, 0, 255, 0x80}, {255, 255, 0, 0x80}};
    std::array<uint8_t, kPaletteBytes> source{};
    for (int i = 0; i < 4; ++i) {
        for (int k = 0; k < 4; ++k) {
            const uint8_t c = colours[i][k];
            source[static_cast<size_t>(i * 4 + k)] = k == 3 ? ExpandConsoleAlpha(c) : c;
        }
    }
    std::copy(source.begin(), source.end(), slot.begin());
    ConvertPalette(std::span<const uint8_t, kPaletteBytes>(slot.data(), kPaletteBytes),
                   std::span<uint8_t, kPaletteBytes>(slot.data() + kPaletteBytes, kPaletteBytes));
    // 4 x 4 indices, one colour per 2 x 2 quadrant, so linear filtering at a quadrant's middle
    // sees only that colour.
    const std::vector<uint8_t> indices = {0, 0, 1, 1, 0, 0, 1, 1, 2, 2, 3, 3, 2, 2, 3, 3};
    model->textures.push_back(testing::DecodeIndexedTexture(*model, 0, 4, 4, indices));
    return model;
}

TEST(Draw, PaletteTextureShowsItsColoursWhereExpected) {
    OffscreenRig rig;
    rig.Show(PaletteQuadModel(false));
    const RgbImage image = rig.Frame();
    OffscreenRig::Save(image, "palette_quad");
    // The square spans pixels 21 to 107; quadrant middles sit near 43 and 85.
    EXPECT_TRUE(Near(image.At(43, 43), 255, 0, 0)) << "top left";
    EXPECT_TRUE(Near(image.At(85, 43), 0, 255, 0)) << "top right";
    EXPECT_TRUE(Near(image.At(43, 85), 0, 0, 255)) << "bottom left";
    EXPECT_TRUE(Near(image.At(85, 85), 255, 255, 0)) << "bottom right";
    EXPECT_TRUE(Near(image.At(5, 5), 127, 127, 127, 0)) << "the packed clear colour";
}


// Screen pixel of a point on the z = 0 plane seen by the start-up camera in a 128 x 128 view.
int PixelX(float x) { return static_cast<int>(64.0f + x * 1.7926f / 400.0f * 64.0f); }
int PixelY(float y) { return static_cast<int>(64.0f - y * 1.7926f / 400.0f * 64.0f); }

bool IsBackground(const std::array<uint8_t, 3>& pixel) { return Near(pixel, 127, 127, 127, 0); }

TEST(Draw, LitTexturedQuadAddsTheAmbientTermToTheTexture) {
    OffscreenRig rig;
    rig.Show(PaletteQuadModel(true));
    const RgbImage image = rig.Frame();
    OffscreenRig::Save(image, "palette_quad_lit");
    // Ambient 0.1 everywhere; the quadrant middles face the light at the eye almost head-on.
    EXPECT_TRUE(Near(image.At(43, 43), 255, 26, 26, 3));
    EXPECT_TRUE(Near(image.At(85, 85), 255, 255, 26, 3));
}

TEST(Draw, NoTextureWhenTheTextureFlagIsClear) {
    OffscreenRig rig;
    ModelEntry& entry = rig.Show(PaletteQuadModel(false));
    entry.flags &= ~FlagTexture;
    const RgbImage image = rig.Frame();
    OffscreenRig::Save(image, "texture_flag_clear");
    EXPECT_TRUE(Near(image.At(43, 43), 255, 255, 255, 0));
    EXPECT_TRUE(Near(image.At(85, 85), 255, 255, 255, 0));
}

// A clockwise triangle on the left and a counter-clockwise one on the right.
std::unique_ptr<Model> WindingModel(bool doubleSided) {
    ShapeBuilder shape;
    Material material = MakeMaterial(false);
    material.doubleSided = doubleSided;
    const int32_t batch = shape.AddBatch(std::move(material));
    const int32_t n = shape.AddNormal(0, 0, 1);
    const int32_t a = shape.AddPosition(-100, 50, 0), b = shape.AddPosition(-20, 50, 0), c = shape.AddPosition(-100, -50, 0);
    shape.AddTriangle(batch, {a, b, c}, {n, n, n}, {});
    const int32_t d = shape.AddPosition(20, 50, 0), e = shape.AddPosition(20, -50, 0), f = shape.AddPosition(100, 50, 0);
    shape.AddTriangle(batch, {d, e, f}, {n, n, n}, {});
    return MakeModel(shape.Take());
}

TEST(Draw, CounterClockwiseFacesVanishUnlessTheMaterialIsDoubleSided) {
    OffscreenRig rig;
    ModelEntry& entry = rig.Show(WindingModel(false));
    RgbImage image = rig.Frame();
    OffscreenRig::Save(image, "winding_single_sided");
    const int y = PixelY(17);
    EXPECT_TRUE(Near(image.At(PixelX(-73), y), 255, 255, 255, 0)) << "clockwise on screen: front face";
    EXPECT_TRUE(IsBackground(image.At(PixelX(47), y))) << "counter-clockwise on screen: culled";

    entry.Detach();
    rig.Show(WindingModel(true));
    image = rig.Frame();
    OffscreenRig::Save(image, "winding_double_sided");
    EXPECT_TRUE(Near(image.At(PixelX(-73), y), 255, 255, 255, 0));
    EXPECT_TRUE(Near(image.At(PixelX(47), y), 255, 255, 255, 0));
}

std::unique_ptr<Model> WhiteSquareModel(float size = 300) {
    ShapeBuilder shape;
    AddSquare(shape, shape.AddBatch(MakeMaterial(false)), 0, 0, 0, size);
    return MakeModel(shape.Take());
}

int CountRed(const RgbImage& image) {
    int red = 0;
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) red += Near(image.At(x, y), 255, 0, 0, 0) ? 1 : 0;
    }
    return red;
}

TEST(Draw, WireframeOverlayIsRedAndStaysInFrontOfTheSolidPass) {
    OffscreenRig rig;
    ModelEntry& entry = rig.Show(WhiteSquareModel());
    EXPECT_EQ(CountRed(rig.Frame()), 0);

    entry.flags |= FlagWireframe;
    const RgbImage image = rig.Frame();
    OffscreenRig::Save(image, "wireframe");
    // The square's outline and its diagonal, drawn before the solid pass at the same depth,
    // survive it only because the depth bias pulls the lines toward the viewer.
    EXPECT_GT(CountRed(image), 4 * 80);
    int diagonal = 0;
    for (int x = 30; x < 98; ++x) {
        for (int dy = -1; dy <= 1; ++dy) diagonal += Near(image.At(x, 128 - x + dy), 255, 0, 0, 0) ? 1 : 0;
    }
    EXPECT_GT(diagonal, 60);
    EXPECT_TRUE(Near(image.At(43, 43), 255, 255, 255, 0)) << "the fill stays white away from the edges";
}

TEST(Draw, TranslucentBatchesAreDrawnAfterOpaqueOnes) {
    OffscreenRig rig;
    ShapeBuilder shape;
    // Listed first and nearer the viewer, but translucent: it must blend over the opaque square.
    Material glass = MakeMaterial(false, 0);
    glass.translucent = true;
    AddSquare(shape, shape.AddBatch(std::move(glass)), 0, 0, 50, 200);
    AddSquare(shape, shape.AddBatch(MakeMaterial(false, 1)), 0, 0, 0, 200);
    auto model = MakeModel(shape.Take());
    model->textures.push_back(testing::SolidTexture(2, 2, {255, 0, 0, 128}));
    model->textures.push_back(testing::SolidTexture(2, 2, {0, 0, 255, 255}));
    rig.Show(std::move(model));
    const RgbImage image = rig.Frame();
    OffscreenRig::Save(image, "translucent_order");
    // Half red over blue; drawn first it would have blended with the grey clear colour (191, 63, 63).
    EXPECT_TRUE(Near(image.At(64, 64), 128, 0, 127, 1));
}

TEST(Draw, HiddenBatchesAreNotDrawn) {
    OffscreenRig rig;
    ShapeBuilder shape;
    Material hidden = MakeMaterial(false);
    hidden.hidden = true;
    AddSquare(shape, shape.AddBatch(std::move(hidden)), -70, 0, 0, 100);
    Material hiddenGlass = MakeMaterial(false);
    hiddenGlass.hidden = true;
    hiddenGlass.translucent = true;
    AddSquare(shape, shape.AddBatch(std::move(hiddenGlass)), 70, 0, 0, 100);
    rig.Show(MakeModel(shape.Take()));
    const RgbImage image = rig.Frame();
    EXPECT_TRUE(IsBackground(image.At(PixelX(-70), 64)));
    EXPECT_TRUE(IsBackground(image.At(PixelX(70), 64)));
}

// A lit, untextured square bound to bone 0.
std::unique_ptr<Model> LitSquareModel() {
    ShapeBuilder shape;
    AddSquare(shape, shape.AddBatch(MakeMaterial(true)), 0, 0, 0, 200);
    return MakeModel(shape.Take());
}

// A turn of `angle` about y.
Quat TurnAboutY(float angle) { return {0, std::sin(angle / 2), 0, std::cos(angle / 2)}; }

TEST(Draw, FlatShadingFreezesTheNormalsOfTheLastPoseDrawnWithoutIt) {
    OffscreenRig rig;
    ModelEntry& fresh = rig.Show(LitSquareModel());
    rig.Frame();
    fresh.Detach();

    // Facing the light at the eye the square is white (0.1 ambient + 1 diffuse, clamped); turned
    // by 60 degrees its normals take half the light: 0.1 + 0.5 = 0.6.
    ModelEntry& turned = rig.Show(LitSquareModel());
    rig.Frame();
    turned.bones[0].rotation = TurnAboutY(kPi / 3);
    turned.poseDirty = true;
    RgbImage image = rig.Frame();
    OffscreenRig::Save(image, "lit_turned");
    EXPECT_TRUE(Near(image.At(64, 64), 153, 153, 153, 2));
    turned.Detach();

    ModelEntry& flat = rig.Show(LitSquareModel());
    EXPECT_TRUE(Near(rig.Frame().At(64, 64), 255, 255, 255, 0));
    flat.flags |= FlagFlat;
    flat.bones[0].rotation = TurnAboutY(kPi / 3);
    flat.poseDirty = true;
    image = rig.Frame();
    OffscreenRig::Save(image, "lit_turned_flat");
    EXPECT_TRUE(Near(image.At(64, 64), 255, 255, 255, 0)) << "normals still face the light";
    EXPECT_LT(image.At(PixelX(90), 64)[0], 255) << "the positions did turn: the square is narrower";
    EXPECT_TRUE(IsBackground(image.At(PixelX(90), 64)));
}

// Bone 1, a child of bone 0, carries a small square; the clip slides bone 1 from x = -100 at
// frame 0 to x = +100 at frame 1.
std::unique_ptr<Model> SlidingSquareModel() {
    ShapeBuilder shape;
    AddSquare(shape, shape.AddBatch(MakeMaterial(false)), 0, 0, 0, 60, 1);
    auto model = MakeModel(shape.Take(), 2);
    auto clip = std::make_unique<KeyframeAnimation>();
    clip->length = 2;
    clip->AllocateTracks(2);
    clip->tracks[1].translation.keys.push_back({{-100, 0, 0, 0}, {}});
    clip->tracks[1].translation.keys.push_back({{100, 0, 0, 0}, {}});
    AnimationGroup group;
    group.animations.push_back(std::move(clip));
    model->animationGroups.push_back(std::move(group));
    return model;
}

TEST(Draw, TwoBoneModelMovesOnScreenUnderAKeyframeAnimation) {
    OffscreenRig rig;
    ModelEntry& entry = rig.Show(SlidingSquareModel());
    const auto white = [](const std::array<uint8_t, 3>& p) { return Near(p, 255, 255, 255, 0); };
    const int left = PixelX(-100), right = PixelX(100);

    entry.SelectAnimation(0, 0);  // frame 0's pose is written at once
    RgbImage image = rig.Frame();
    OffscreenRig::Save(image, "animation_frame0");
    EXPECT_TRUE(white(image.At(left, 64)));
    EXPECT_TRUE(IsBackground(image.At(right, 64)));

    // The redraw that advances the clip shows the pose it advanced to.
    image = rig.Frame(1.0f);
    OffscreenRig::Save(image, "animation_frame1");
    EXPECT_TRUE(IsBackground(image.At(left, 64)));
    EXPECT_TRUE(white(image.At(right, 64)));
    EXPECT_TRUE(white(rig.Frame(0.0f).At(right, 64))) << "a zero step keeps the pose";
}

// Two entries side by side: lit with a green texture on the left, lit without textures on the right.
void ShowLitPair(OffscreenRig& rig) {
    for (float x : {-80.0f, 80.0f}) {
        ShapeBuilder shape;
        AddSquare(shape, shape.AddBatch(MakeMaterial(true)), x, 0, 0, 100);
        auto model = MakeModel(shape.Take());
        model->textures.push_back(testing::SolidTexture(2, 2, {0, 255, 0, 255}));
        ModelEntry& entry = rig.Show(std::move(model));
        if (x > 0) entry.flags &= ~FlagTexture;
    }
}

TEST(Draw, FullProfileLightsTexturedAndUntexturedBatches) {
    OffscreenRig rig;
    ShowLitPair(rig);
    const RgbImage image = rig.Frame();
    OffscreenRig::Save(image, "profile_full");
    EXPECT_TRUE(Near(image.At(PixelX(-80), 64), 26, 255, 26, 3));
    EXPECT_TRUE(Near(image.At(PixelX(80), 64), 255, 255, 255, 0));
}

TEST(Draw, LowPixelProfileShowsBareTexturesAndRedLitBatches) {
    RendererOptions options;
    options.lowPixelProfile = true;
    OffscreenRig rig(128, 128, options);
    ShowLitPair(rig);
    const RgbImage image = rig.Frame();
    OffscreenRig::Save(image, "profile_low");
    EXPECT_TRUE(Near(image.At(PixelX(-80), 64), 0, 255, 0, 0));
    EXPECT_TRUE(Near(image.At(PixelX(80), 64), 255, 0, 0, 0));
}

TEST(Draw, AFailedUploadLeavesItsSlotEmptyAndThatBatchDrawsUntextured) {
    OffscreenRig rig;
    ShapeBuilder shape;
    AddSquare(shape, shape.AddBatch(MakeMaterial(false, 0)), -80, 0, 0, 100);
    AddSquare(shape, shape.AddBatch(MakeMaterial(false, 1)), 80, 0, 0, 100);
    auto model = MakeModel(shape.Take());
    Texture broken = testing::SolidTexture(4, 4, {255, 0, 0, 255});
    broken.pixels.resize(10);  // fewer bytes than 4 x 4 pixels
    model->textures.push_back(std::move(broken));
    model->textures.push_back(testing::SolidTexture(2, 2, {0, 255, 0, 255}));
    ModelEntry& entry = rig.Show(std::move(model));
    const RgbImage image = rig.Frame();
    const ModelTextures& textures = static_cast<RenderLod*>(entry.lodRecord(0))->textures();
    ASSERT_EQ(textures.slots.size(), 2u);
    EXPECT_EQ(textures.slots[0], nullptr);
    EXPECT_NE(textures.slots[1], nullptr);
    EXPECT_TRUE(Near(image.At(PixelX(-80), 64), 255, 255, 255, 0)) << "untextured";
    EXPECT_TRUE(Near(image.At(PixelX(80), 64), 0, 255, 0, 0)) << "the next slot keeps its texture";
}

TEST(Draw, ABatchWhoseMaterialIsNotDrawableIsSkipped) {
    OffscreenRig rig;
    ShapeBuilder shape;
    Material bare = MakeMaterial(false);
    bare.drawable = false;
    AddSquare(shape, shape.AddBatch(std::move(bare)), -80, 0, 0, 100);
    AddSquare(shape, shape.AddBatch(MakeMaterial(false)), 80, 0, 0, 100);
    rig.Show(MakeModel(shape.Take()));
    const RgbImage image = rig.Frame();
    EXPECT_TRUE(IsBackground(image.At(PixelX(-80), 64)));
    EXPECT_TRUE(Near(image.At(PixelX(80), 64), 255, 255, 255, 0));
}

TEST(Draw, TheNearPlaneClipsAtDepthZeroAsInDirect3D) {
    // The eye is at z = 400 and the near plane 10 in front of it. A square 9 units away lies
    // before the plane: its depth is below 0 and it is clipped, though OpenGL's own -1..1 range
    // would keep it.
    for (const auto& [z, visible] : {std::pair{389.0f, true}, std::pair{391.0f, false}}) {
        OffscreenRig rig;
        ShapeBuilder shape;
        AddSquare(shape, shape.AddBatch(MakeMaterial(false)), 0, 0, z, 4);
        rig.Show(MakeModel(shape.Take()));
        const RgbImage image = rig.Frame();
        EXPECT_EQ(Near(image.At(64, 64), 255, 255, 255, 0), visible) << "square at z = " << z;
    }
}

TEST(Draw, AViewportResizeKeepsTheSquareSquare) {
    OffscreenRig rig(128, 128);
    rig.Show(WhiteSquareModel(200));
    rig.renderer.Resize(256, 128);
    rig.scene.SetViewportSize(256, 128);
    const RgbImage image = rig.Frame();
    OffscreenRig::Save(image, "wide_view");
    ASSERT_EQ(image.width, 256);
    int across = 0, down = 0;
    for (int x = 0; x < 256; ++x) across += Near(image.At(x, 64), 255, 255, 255, 0) ? 1 : 0;
    for (int y = 0; y < 128; ++y) down += Near(image.At(128, y), 255, 255, 255, 0) ? 1 : 0;
    EXPECT_NEAR(across, down, 2);
    EXPECT_NEAR(down, 57, 2);  // 200 units at distance 400: 200 x 1.7926 / 800 x 128
}

TEST(Draw, ModelsAndEntriesThatOutliveTheRendererStopDrawingSafely) {
    // The viewer may tear its window down before the scene and the loaded models go.
    auto context = std::make_unique<EglOffscreenContext>(32, 32);
    auto renderer = std::make_unique<Renderer>(*context, 32, 32);
    auto model = PaletteQuadModel(true);
    Scene scene(renderer.get());
    scene.CreateRootAndCamera();
    ModelEntry& entry = *scene.AddEntry(*model);
    scene.UpdateTree(0.0f);
    scene.Render();
    ASSERT_NE(static_cast<RenderLod*>(entry.lodRecord(0))->textures().slots[0], nullptr);

    renderer.reset();
    context.reset();
    scene.SetRenderer(nullptr);
    scene.UpdateTree(0.0f);
    scene.Render();  // nothing to draw with: nothing happens
    EXPECT_EQ(entry.lodRecordCount(), 0);
    scene.root.reset();
    model.reset();
}

TEST(Draw, AModelLoadedWithoutARendererIsDrawnByTwoRenderersInTurn) {
    auto model = WhiteSquareModel(200);
    Scene scene;
    scene.CreateRootAndCamera();
    scene.SetViewportSize(64, 64);
    scene.AddEntry(*model);
    scene.UpdateTree(0.0f);
    for (int pass = 0; pass < 2; ++pass) {
        EglOffscreenContext context(64, 64);
        Renderer renderer(context, 64, 64);
        scene.SetRenderer(&renderer);
        scene.UpdateTree(0.0f);
        scene.Render();
        EXPECT_TRUE(Near(context.ReadPixels().At(32, 32), 255, 255, 255, 0)) << "pass " << pass;
        scene.SetRenderer(nullptr);
        scene.UpdateTree(0.0f);  // the records go before their renderer
    }
}

}  // namespace
}  // namespace vertigon
