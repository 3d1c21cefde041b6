#include "scene/framing.h"

#include <cmath>

#include <gtest/gtest.h>

#include "scene/orbit_controls.h"
#include "scene/scene_graph.h"
#include "tests/fixtures/model_builder.h"

namespace vertigon {
namespace {

using testing::AddSquare;
using testing::MakeModel;
using testing::ShapeBuilder;

// The share of the half view the sphere's silhouette spans, through the camera's projection.
float SphereShare(float radius, float distance, float scale) {
    return radius / std::sqrt(distance * distance - radius * radius) * scale;
}

TEST(Framing, TheBoundingSphereFillsEightyPercentOfTheNarrowerSide) {
    Box box;
    box.Add({1, 2, 3, 1});
    box.Add({3, 6, 7, 1});
    EXPECT_FLOAT_EQ(box.Radius(), 3.0f);
    Camera camera;
    camera.aspect = 1392.0f / 893.0f;
    const auto wide = FrameBox(box, camera);
    ASSERT_TRUE(wide);
    EXPECT_EQ(wide->target.y, 4.0f);
    // The field of view parameter 45 is taken in radians: the vertical scale is about 1.7926.
    EXPECT_NEAR(SphereShare(3.0f, wide->distance, 1.7926f), 0.8f, 1e-4f);

    camera.aspect = 0.5f;  // taller than wide: the width decides
    const auto tall = FrameBox(box, camera);
    EXPECT_NEAR(SphereShare(3.0f, tall->distance, 1.7926f / 0.5f), 0.8f, 1e-4f);
    EXPECT_FALSE(FrameBox(Box{}, camera)) << "nothing to frame";
}

TEST(Framing, TheBoxFollowsThePoseAndTheBindPoseComposesThePlacement) {
    ShapeBuilder shape;
    AddSquare(shape, shape.AddBatch({}), 0, 0, 0, 10, 1);
    shape.AddPosition(1000, 0, 0, 7);  // a bone outside the list is skipped
    auto model = MakeModel(shape.Take(), 2);
    model->bones[1].parent = 0;
    model->bones[1].translation = {100, 0, 0, 0};
    model->placement.position = {0, 50, 0, 0};
    const Box bind = BindPoseBox(*model, 0);
    EXPECT_FLOAT_EQ(bind.min.x, 95.0f);
    EXPECT_FLOAT_EQ(bind.max.x, 105.0f);
    EXPECT_FLOAT_EQ(bind.min.y, 45.0f) << "placed 50 up";
    EXPECT_TRUE(BindPoseBox(*model, 1).empty) << "no such Lod";

    ModelEntry entry(*model);
    entry.bones[1].translation = {-100, 0, 0, 0};
    EXPECT_FLOAT_EQ(CurrentBox(entry).max.x, -95.0f) << "a pose waiting to be composed is composed";
    entry.poseDirty = false;
    entry.bones[1].world = Mat4::Translation({0, 0, 30, 1});
    EXPECT_FLOAT_EQ(CurrentBox(entry).min.z, 30.0f) << "a composed pose is taken as it stands";
}

TEST(Framing, FramingKeepsTheAnglesAndTheZoomStopsShortOfTheTarget) {
    OrbitControls controls;
    Camera camera;
    controls.yaw = 1.0f;
    controls.Frame(Framing{{5, 6, 7}, 20.0f}, camera);
    EXPECT_EQ(controls.yaw, 1.0f);
    EXPECT_EQ(camera.target, (Vec4{5, 6, 7, 1}));
    EXPECT_FLOAT_EQ(camera.nearPlane, 0.5f) << "the start-up proportions: near at 1/40 of the distance";
    controls.Zoom(1000000, camera);
    EXPECT_FLOAT_EQ(controls.distance, 0.2f) << "1 % of the framed distance";
    controls.Zoom(-1200, camera);
    EXPECT_GT(controls.distance, 0.2f) << "and the wheel moves the eye away again";
    EXPECT_GE(camera.farPlane, 20.0f * 25.0f);

    controls.Reset(camera);
    OrbitControls startUp;
    Camera start;
    startUp.UpdateCamera(start);
    EXPECT_EQ(camera.position, start.position);
    EXPECT_EQ(camera.target, start.target);
    EXPECT_FLOAT_EQ(camera.nearPlane, 10.0f);
}

}  // namespace
}  // namespace vertigon
