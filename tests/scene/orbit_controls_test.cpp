#include "scene/orbit_controls.h"

#include <cmath>

#include <gtest/gtest.h>

#include "scene/scene_graph.h"

namespace vertigon {
namespace {

OrbitMotion Drag(int x, int y, bool left, bool middle, bool alt = true) {
    OrbitMotion m;
    m.x = x;
    m.y = y;
    m.width = 1000;
    m.height = 500;
    m.alt = alt;
    m.left = left;
    m.middle = middle;
    return m;
}

TEST(OrbitControls, StartValuesGiveTheStartUpCamera) {
    OrbitControls controls;
    Camera startUp;
    startUp.position = {0, 0, 400, 1};
    Camera camera;
    controls.UpdateCamera(camera);
    EXPECT_EQ(camera.position, startUp.position);
    EXPECT_EQ(camera.up, startUp.up);
    EXPECT_EQ(camera.ViewMatrix(), startUp.ViewMatrix());
}

TEST(OrbitControls, WheelZoomIsProportionalToTheDistanceAndStopsShortOfTheTarget) {
    OrbitControls controls;
    Camera camera;
    controls.Zoom(120, camera);
    EXPECT_FLOAT_EQ(controls.distance, 388.0f);
    EXPECT_FLOAT_EQ(camera.position.z, 388.0f);
    controls.Zoom(-40000, camera);
    EXPECT_GT(controls.distance, 3000.0f) << "backward grows without limit";
    controls.Zoom(1000000, camera);
    EXPECT_EQ(controls.distance, 4.0f) << "1 % of the start-up distance";
    controls.Zoom(-1200, camera);
    EXPECT_GT(controls.distance, 4.0f) << "the wheel still moves the eye away";
}

TEST(OrbitControls, LeftDragAcrossTheWidthTurnsOneFullTurnAgainstThePointer) {
    OrbitControls controls;
    Camera camera;
    EXPECT_FALSE(controls.Motion(Drag(0, 250, false, false, true), camera)) << "Alt alone: nothing";
    EXPECT_TRUE(controls.Motion(Drag(0, 250, true, false, false), camera)) << "no Alt needed";
    EXPECT_TRUE(controls.Motion(Drag(0, 250, true, false), camera));
    EXPECT_EQ(controls.yaw, 0.0f) << "the first event only anchors";
    controls.Motion(Drag(1000, 250, true, false), camera);
    EXPECT_NEAR(controls.yaw, -2 * kPi, 1e-5f);
    EXPECT_EQ(controls.pitch, 0.0f);

    controls.Motion(Drag(500, 250, true, false), camera);
    EXPECT_NEAR(controls.yaw, -kPi, 1e-5f);
    // Turned half round, the eye sits behind the target.
    EXPECT_NEAR(camera.position.z, -400.0f, 1e-3f);
    controls.Motion(Drag(500, 250, false, false), camera);
    EXPECT_FALSE(controls.rotating) << "no button ends the drag";

    // Shift + left pans; the turn's anchor does not carry into the pan.
    OrbitMotion shifted = Drag(0, 0, true, false, false);
    shifted.shift = true;
    controls.Motion(shifted, camera);
    EXPECT_TRUE(controls.panning);
    EXPECT_FALSE(controls.rotating);
    EXPECT_NEAR(controls.yaw, -kPi, 1e-5f);
}

TEST(OrbitControls, AltMiddleDragPansSixHundredUnitsPerWidthAtDistanceFourHundred) {
    OrbitControls controls;
    Camera camera;
    controls.Motion(Drag(0, 0, false, true), camera);
    controls.Motion(Drag(1000, 0, false, true), camera);
    EXPECT_FLOAT_EQ(controls.panX, -600.0f);
    EXPECT_EQ(camera.target.x, -600.0f);

    OrbitControls closer;
    closer.distance = 200;
    closer.Motion(Drag(0, 0, false, true), camera);
    closer.Motion(Drag(500, 500, false, true), camera);
    EXPECT_FLOAT_EQ(closer.panX, -150.0f);
    EXPECT_FLOAT_EQ(closer.panY, 200.0f) << "the full height counts 400 units per 400 of distance";
}

TEST(OrbitControls, PanFollowsTheViewAxesOnceTurned) {
    OrbitControls controls;
    Camera camera;
    controls.yaw = kPi / 2;
    controls.UpdateCamera(camera);
    controls.Motion(Drag(0, 0, false, true), camera);
    controls.Motion(Drag(1000, 0, false, true), camera);
    // Looking along x, the view's horizontal axis is z.
    EXPECT_NEAR(controls.panX, 0.0f, 1e-3f);
    EXPECT_NEAR(std::fabs(controls.panZ), 600.0f, 1e-3f);
}

}  // namespace
}  // namespace vertigon
