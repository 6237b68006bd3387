// CameraPathAnimation: the fixed camera tour through the cathedral, keyed in position and Euler
// rotation, played at twice real time until the clock passes the last key.
#include "scene/CameraPathAnimation.h"

#include "app/Console.h"
#include "scene/Camera.h"
#include "scene/LinearSpline.h"

#include <glm/glm.hpp>

namespace {

// One tour key: the time since the previous key, the camera position and its rotation
// (pitch, yaw, roll in degrees). The first and last keys repeat their neighbours 0.01 apart so
// the curve starts and ends with the tangent of its first and last segment.
struct TourKey {
    double increment;
    glm::vec3 position;
    glm::vec3 rotation;
};

const TourKey tourKeys[] = {
    {0.0, {0.0f, -13.0f, 17.0f}, {0.0f, 0.0f, 0.0f}},
    {0.01, {0.0f, -13.0f, 17.0f}, {0.0f, 0.0f, 0.0f}},
    {16.0, {0.0f, -13.0f, 1.0f}, {0.0f, 90.0f, 0.0f}},
    {9.4245, {3.0f, -13.0f, -2.0f}, {0.0f, 180.0f, 0.0f}},
    {9.4245, {6.0f, -13.0f, 1.0f}, {0.0f, 270.0f, 0.0f}},
    {15.0, {6.0f, -13.0f, 15.0f}, {0.0f, 180.0f, 0.0f}},
    {6.283, {4.0f, -13.0f, 17.0f}, {0.0f, 270.0f, 0.0f}},
    {8.0, {-4.0f, -13.0f, 17.0f}, {0.0f, 270.0f, 0.0f}},
    {6.283, {-6.0f, -13.0f, 15.0f}, {0.0f, 360.0f, 0.0f}},
    {14.0, {-6.0f, -13.0f, 1.0f}, {0.0f, 90.0f, 0.0f}},
    {9.4245, {-3.0f, -13.0f, -2.0f}, {0.0f, 90.0f, 0.0f}},
    {9.4245, {0.0f, -12.0f, -5.0f}, {0.0f, 0.0f, 0.0f}},
    {12.5, {-3.0f, -5.5f, -15.0f}, {45.0f, 90.0f, 0.0f}},
    {9.4245, {0.0f, -5.5f, -18.0f}, {45.0f, 180.0f, 0.0f}},
    {9.4245, {3.0f, -5.5f, -15.0f}, {45.0f, 270.0f, 0.0f}},
    {10.0, {3.0f, -5.5f, -8.0f}, {22.5f, 270.0f, 0.0f}},
    {10.99525, {0.0f, -4.0f, -5.0f}, {0.0f, 360.0f, 0.0f}},
    {10.99525, {-3.0f, -2.5f, -8.0f}, {-30.0f, 450.0f, 0.0f}},
    {10.99525, {0.0f, -1.0f, -11.0f}, {-60.0f, 540.0f, 0.0f}},
    {10.99525, {3.0f, 0.5f, -8.0f}, {-60.0f, 630.0f, 0.0f}},
    {10.99525, {0.0f, 2.0f, -5.0f}, {-30.0f, 720.0f, 0.0f}},
    {10.99525, {-3.0f, 3.5f, -8.0f}, {0.0f, 810.0f, 0.0f}},
    {10.99525, {0.0f, 4.5f, -11.0f}, {45.0f, 900.0f, 0.0f}},
    {0.01, {0.0f, 4.5f, -11.0f}, {45.0f, 900.0f, 0.0f}},
};

} // namespace

CameraPathAnimation::CameraPathAnimation()
    : running(true), time(0.0), positionSpline(new LinearSpline()),
      rotationSpline(new LinearSpline()) {
    addTourKeys();
    positionSpline->reset();
    rotationSpline->reset();
}

CameraPathAnimation::~CameraPathAnimation() {
    delete positionSpline;
    delete rotationSpline;
}

// Key times are running sums of the increments in double; the last sum is the end of the tour.
void CameraPathAnimation::addTourKeys() {
    double keyTime = 0.0;
    for (const TourKey& key : tourKeys) {
        keyTime += key.increment;
        positionSpline->addKey(keyTime, key.position);
        rotationSpline->addKey(keyTime, key.rotation);
    }
    endTime = keyTime;
}

void CameraPathAnimation::setCamera(Camera* newCamera) {
    camera = newCamera;
}

void CameraPathAnimation::update(double dt) {
    if (!running) {
        return;
    }
    time += dt * 2.0;
    camera->setPosition(positionSpline->interpolate(time));
    camera->setRotation(rotationSpline->interpolate(time));
    if (time > endTime) {
        running = false;
        printLine("Animation stopped");
    }
}
