// FreeLookController: flies a camera from the keyboard (W A S D move, arrows turn) and, while the
// right mouse button is held, from cursor motion. Polls the window once per update; acts only
// while `enabled`, but records the cursor on every update so enabling it never causes a jump.
#pragma once

#include "gpu/GL.h"

class Camera;

class FreeLookController {
public:
    bool enabled = false;
    GLFWwindow* window;
    // cursor position seen by the previous update (window coordinates, y down)
    double lastCursorX = 0.0;
    double lastCursorY = 0.0;
    float moveSpeed = 3.0f;      // world units per second
    float rotationSpeed = 60.0f; // degrees per second (arrow keys)
    Camera* camera = nullptr;    // not owned

    // A null window (a headless benchmark) gives a controller without input.
    explicit FreeLookController(GLFWwindow* window);
    void setCamera(Camera* camera);
    // dt in seconds; called once per frame.
    void update(float dt);

private:
    void applyKeyboard(float dt);
    void applyMouse(double cursorX, double cursorY);
    bool keyHeld(int key) const;
};
