// CameraPathAnimation: the scripted tour. Two splines (position and Euler rotation) keyed at the
// same times drive the camera every frame on a clock that runs at twice real time; once the clock
// passes the last key the animation stops for good and prints "Animation stopped".
#pragma once

class Camera;
class LinearSpline;

class CameraPathAnimation {
public:
    bool running = true;
    double endTime = 0.0;                   // time of the last key
    double time = 0.0;                      // animation clock
    Camera* camera = nullptr;               // not owned
    LinearSpline* positionSpline = nullptr; // owned
    LinearSpline* rotationSpline = nullptr; // owned

    CameraPathAnimation();
    ~CameraPathAnimation();
    CameraPathAnimation(const CameraPathAnimation&) = delete;
    CameraPathAnimation& operator=(const CameraPathAnimation&) = delete;

    void setCamera(Camera* camera);
    // dt: the frame time in seconds as measured by the main loop.
    void update(double dt);

private:
    void addTourKeys();
};
