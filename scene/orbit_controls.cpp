#include "scene/orbit_controls.h"

#include <algorithm>
#include <numbers>

#include "scene/framing.h"
#include "scene/scene_graph.h"

namespace vertigon {

void OrbitControls::Zoom(int rotation, Camera& camera) {
    const double d = distance;
    distance = static_cast<float>(d - (d / 400.0) * (rotation / 10.0));
    if (!(distance >= MinimumDistance())) distance = MinimumDistance();
    UpdateCamera(camera);
}

void OrbitControls::Frame(const Framing& framing, Camera& camera) {
    panX = framing.target.x;
    panY = framing.target.y;
    panZ = framing.target.z;
    distance = framing.distance;
    framedDistance = framing.distance;
    clipFollowsDistance = true;
    rotating = false;
    panning = false;
    UpdateCamera(camera);
}

void OrbitControls::Reset(Camera& camera) {
    yaw = 0.0f;
    pitch = 0.0f;
    distance = kStartDistance;
    panX = panY = panZ = 0.0f;
    rotating = false;
    panning = false;
    UpdateCamera(camera);
}

bool OrbitControls::Motion(const OrbitMotion& motion, Camera& camera) {
    // A window with no area has no meaningful pointer fraction.
    const bool pan = motion.middle || (motion.left && motion.shift);
    const bool turn = motion.left && !pan;
    if ((!turn && !pan) || motion.width <= 0 || motion.height <= 0) {
        rotating = false;
        panning = false;
        return false;
    }
    const double fx = static_cast<double>(motion.x) / motion.width;
    const double fy = static_cast<double>(motion.y) / motion.height;
    if (turn) {
        const float ax = static_cast<float>(fx * std::numbers::pi * 2.0);
        const float ay = static_cast<float>(fy * std::numbers::pi * 2.0);
        if (rotating) {
            yaw = yaw + (rotateAnchorX - ax);
            pitch = pitch + (rotateAnchorY - ay);
        }
        rotateAnchorX = ax;
        rotateAnchorY = ay;
        rotating = true;
        panning = false;
    } else {
        const double s = distance / 400.0;
        const float px = static_cast<float>(fx * 600.0 * s);
        const float py = static_cast<float>(fy * -400.0 * s);
        if (panning) {
            const Vec4 d = panMatrix.Transform({panAnchorX - px, panAnchorY - py, 0.0f, 1.0f});
            panX = panX + d.x;
            panY = panY + d.y;
            panZ = panZ - d.z;
        }
        panAnchorX = px;
        panAnchorY = py;
        panning = true;
        rotating = false;
    }
    UpdateCamera(camera);
    return true;
}

void OrbitControls::Turn(float yawStep, float pitchStep, Camera& camera) {
    yaw += yawStep;
    pitch += pitchStep;
    UpdateCamera(camera);
}

void OrbitControls::UpdateCamera(Camera& camera) {
    orbitMatrix = EulerRotation({pitch, yaw, 0.0f, 0.0f});
    panMatrix = EulerRotation({-pitch, -yaw, 0.0f, 0.0f});
    const Vec4 offset = orbitMatrix.Transform({0.0f, 0.0f, distance, 1.0f});
    const Vec4 up = orbitMatrix.Transform({0.0f, 0.1f, 0.0f, 0.0f});
    camera.SetTarget({panX, panY, panZ, 1.0f});
    camera.SetUp(up);
    camera.position = {offset.x, offset.y, offset.z, 1.0f};
    if (clipFollowsDistance) {
        camera.nearPlane = distance * (Camera::kNearPlane / kStartDistance);
        // Zoomed in close, the far side of the framed model stays in.
        camera.farPlane = std::max(distance, framedDistance) * (Camera::kFarPlane / kStartDistance);
    }
}

}  // namespace vertigon
