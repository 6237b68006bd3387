// Camera: matrices and direction vectors from the stored perspective, position and Euler angles.
// The global camera is created during static initialisation so every user finds it in place.
#include "scene/Camera.h"

#include <glm/gtc/matrix_transform.hpp>

#include <cmath>

Camera* mainCamera = new Camera();

void Camera::setPerspective(float fovDegrees, float aspect, float near, float far) {
    fieldOfView = fovDegrees;
    aspectRatio = aspect;
    nearPlane = near;
    farPlane = far;
    projectionMatrix = glm::perspective(glm::radians(fovDegrees), aspect, near, far);
}

glm::mat4 Camera::getProjectionMatrix() const {
    return projectionMatrix;
}

glm::mat4 Camera::getViewMatrix() const {
    return getRotationMatrix() * glm::translate(glm::mat4(1.0f), -position);
}

// Pitch first, then yaw, then roll, each multiplied on the right.
glm::mat4 Camera::getRotationMatrix() const {
    glm::mat4 r(1.0f);
    r = glm::rotate(r, glm::radians(rotation.x), glm::vec3(1.0f, 0.0f, 0.0f));
    r = glm::rotate(r, glm::radians(rotation.y), glm::vec3(0.0f, 1.0f, 0.0f));
    r = glm::rotate(r, glm::radians(rotation.z), glm::vec3(0.0f, 0.0f, 1.0f));
    return r;
}

glm::vec3 Camera::getPosition() const {
    return position;
}

glm::vec3 Camera::getRotation() const {
    return rotation;
}

void Camera::setPosition(glm::vec3 newPosition) {
    position = newPosition;
}

void Camera::setRotation(glm::vec3 newRotation) {
    rotation = newRotation;
    normalizeAngles();
}

void Camera::translate(glm::vec3 delta) {
    position += delta;
}

void Camera::rotate(glm::vec3 axis, float degrees) {
    rotation += axis * degrees;
    normalizeAngles();
}

glm::vec3 Camera::getForward() const {
    return glm::normalize(
        glm::vec3(glm::inverse(getRotationMatrix()) * glm::vec4(0.0f, 0.0f, -1.0f, 1.0f)));
}

glm::vec3 Camera::getRight() const {
    return glm::normalize(
        glm::vec3(glm::inverse(getRotationMatrix()) * glm::vec4(1.0f, 0.0f, 0.0f, 1.0f)));
}

// Pitch is wrapped into one turn and then clamped so the view never flips over the vertical;
// yaw gets one correction each way only (a long spin stays long); roll is left alone.
void Camera::normalizeAngles() {
    rotation.x = std::fmod(rotation.x, 360.0f);
    if (rotation.y < 0.0f) {
        rotation.y += 360.0f;
    }
    if (rotation.y > 360.0f) {
        rotation.y -= 360.0f;
    }
    if (rotation.x > 85.0f) {
        rotation.x = 85.0f;
    } else if (rotation.x < -85.0f) {
        rotation.x = -85.0f;
    }
}
