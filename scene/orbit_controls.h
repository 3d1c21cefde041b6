// The orbit camera the view drives with the mouse: yaw and pitch about the target, a distance
// from it, and a pan of the target. Pure arithmetic, shared by the viewer and the command-line
// tool; the caller repaints when an operation reports that the camera changed.
#pragma once

#include "scene/math.h"

namespace vertigon {

class Camera;

// One mouse-motion event: position in client pixels, client size, the keys and buttons held.
struct OrbitMotion {
    int x = 0, y = 0;
    int width = 0, height = 0;
    bool alt = false;  // not needed: Alt + drag works as the plain drag
    bool shift = false;
    bool left = false;
    bool middle = false;
};

struct Framing;

struct OrbitControls {
    static constexpr float kStartDistance = 400.0f;
    // The zoom stops this share of the framed distance short of the target: at 0 it could
    // never move the eye away again.
    static constexpr float kNearestShare = 0.01f;
    static constexpr int kWheelNotch = 120;

    float yaw = 0.0f;    // about y, radians
    float pitch = 0.0f;  // about x, radians
    float distance = kStartDistance;  // never below MinimumDistance()
    float framedDistance = kStartDistance;  // the start-up camera counts as framed at 400
    // Once a model was framed the clip planes keep the start-up camera's proportions to the
    // distance (near 1/40, far 25 times), so small and large models draw alike.
    bool clipFollowsDistance = false;
    float panX = 0.0f, panY = 0.0f, panZ = 0.0f;  // the camera target
    bool rotating = false;
    bool panning = false;
    float rotateAnchorX = 0.0f, rotateAnchorY = 0.0f;
    float panAnchorX = 0.0f, panAnchorY = 0.0f;
    Mat4 orbitMatrix = Mat4::Identity();  // EulerRotation((pitch, yaw, 0))
    Mat4 panMatrix = Mat4::Identity();    // EulerRotation((-pitch, -yaw, 0))

    float MinimumDistance() const { return framedDistance * kNearestShare; }

    // Wheel rotation r (120 per notch on common mice): the distance shrinks by the fraction
    // r / 4000 (3 % per notch), never below MinimumDistance(). Updates the camera.
    void Zoom(int rotation, Camera& camera);
    // Looks at the framing's target from its distance, keeping yaw and pitch; the zoom limit
    // and the clip planes follow the new distance.
    void Frame(const Framing& framing, Camera& camera);
    // Back to the start-up camera (the zoom limit and clip planes stay with the last framing).
    void Reset(Camera& camera);
    // A left drag turns (a full view width is one turn against the pointer), a middle or a
    // Shift + left drag pans; the first event of a drag only records the anchor, and switching
    // between turning and panning starts a new drag. Returns whether the camera was updated.
    bool Motion(const OrbitMotion& motion, Camera& camera);
    // Turns by the given angles (radians), as a drag would.
    void Turn(float yawStep, float pitchStep, Camera& camera);
    // Recomputes both matrices and places the camera: target = pan, up turned with the orbit,
    // eye offset (0, 0, distance) turned with the orbit.
    void UpdateCamera(Camera& camera);
};

}  // namespace vertigon
