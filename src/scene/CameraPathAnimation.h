// CameraPathAnimation: the scripted tour. Two splines (position and Euler rotation) keyed at the
// same times drive the camera every frame on a clock that runs at twice real time; once the clock
// passes the last key the animation stops for good and prints "Animation stopped".
#pragma once

class Camera;
class LinearSpline;

class CameraPathAnimation {
public:
    // Clock seconds per second of the tour: the clock runs at twice real time.
    static constexpr double clockRate = 2.0;

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

    // The clock as seconds of the tour, as a person watching it counts them: the tour times of
    // the benchmark, its captures and the overlay.
    double tourSeconds() const { return time / clockRate; }
    // The length of the tour in those seconds (about 111).
    double tourLength() const { return endTime / clockRate; }

private:
    void addTourKeys();
};
