// CameraPathAnimation: the fixed camera tour through the cathedral, keyed in position and Euler
// rotation, played at twice real time until the clock passes the last key.
#include "scene/CameraPathAnimation.h"

#include "base/Console.h"
#include "scene/Camera.h"
#include "scene/CameraTour.h"
#include "scene/LinearSpline.h"

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
    time += dt * clockRate;
    camera->setPosition(positionSpline->interpolate(time));
    camera->setRotation(rotationSpline->interpolate(time));
    if (time > endTime) {
        running = false;
        printLine("Animation stopped");
    }
}
