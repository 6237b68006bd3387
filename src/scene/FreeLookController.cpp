// FreeLookController: polls keys, the right mouse button and the cursor once per update and moves
// the bound camera. It never moves, hides or captures the cursor.
#include "scene/FreeLookController.h"

#include "scene/Camera.h"

FreeLookController::FreeLookController(GLFWwindow* window)
    : window(window), moveSpeed(3.0f), rotationSpeed(60.0f) {}

void FreeLookController::setCamera(Camera* newCamera) {
    camera = newCamera;
}

// Without a window (a headless benchmark) there is no input: the camera stays where it is.
void FreeLookController::update(float dt) {
    if (window == nullptr) {
        return;
    }
    double x = 0.0;
    double y = 0.0;
    glfwGetCursorPos(window, &x, &y);
    if (enabled && camera != nullptr) {
        applyKeyboard(dt);
        applyMouse(x, y);
    }
    // Recorded even while disabled, so the first enabled frame sees no stale delta.
    lastCursorX = x;
    lastCursorY = y;
}

bool FreeLookController::keyHeld(int key) const {
    return glfwGetKey(window, key) != 0;
}

// Every key acts independently; movement follows the full view direction (flying).
void FreeLookController::applyKeyboard(float dt) {
    if (keyHeld(GLFW_KEY_W)) {
        camera->translate(camera->getForward() * moveSpeed * dt);
    }
    if (keyHeld(GLFW_KEY_A)) {
        camera->translate(-camera->getRight() * moveSpeed * dt);
    }
    if (keyHeld(GLFW_KEY_S)) {
        camera->translate(-camera->getForward() * moveSpeed * dt);
    }
    if (keyHeld(GLFW_KEY_D)) {
        camera->translate(camera->getRight() * moveSpeed * dt);
    }
    const glm::vec3 pitchAxis(1.0f, 0.0f, 0.0f);
    const glm::vec3 yawAxis(0.0f, 1.0f, 0.0f);
    if (keyHeld(GLFW_KEY_UP)) {
        camera->rotate(pitchAxis, rotationSpeed * dt);
    }
    if (keyHeld(GLFW_KEY_DOWN)) {
        camera->rotate(pitchAxis, -rotationSpeed * dt);
    }
    if (keyHeld(GLFW_KEY_LEFT)) {
        camera->rotate(yawAxis, -rotationSpeed * dt);
    }
    if (keyHeld(GLFW_KEY_RIGHT)) {
        camera->rotate(yawAxis, rotationSpeed * dt);
    }
}

// 0.2 degree per pixel while the right button is held: moving right turns right, moving down
// looks down. Each delta goes through float before the scaling, as the angles are floats.
void FreeLookController::applyMouse(double cursorX, double cursorY) {
    if (glfwGetMouseButton(window, GLFW_MOUSE_BUTTON_RIGHT) != GLFW_PRESS) {
        return;
    }
    const float dx = static_cast<float>(cursorX - lastCursorX);
    const float dy = static_cast<float>(cursorY - lastCursorY);
    camera->rotate(glm::vec3(0.0f, 1.0f, 0.0f), static_cast<float>(dx * 0.2));
    camera->rotate(glm::vec3(1.0f, 0.0f, 0.0f), static_cast<float>(dy * 0.2));
}
