// Camera: the one camera of the program, reached through `mainCamera`. Holds the perspective
// parameters, a world position and Euler angles in degrees (x = pitch, y = yaw, z = roll), and
// derives the view matrix and the forward/right directions from them.
#pragma once

#include <glm/glm.hpp>

class Camera {
public:
    // projection parameters; meaningful only after setPerspective
    float nearPlane = 0.01f;
    float farPlane = 50.0f;
    float fieldOfView = 70.0f;
    float aspectRatio = 1.0f;
    glm::mat4 projectionMatrix = glm::mat4(1.0f);
    glm::vec3 position = glm::vec3(0.0f);
    // degrees; pitch kept in [-85, 85], yaw corrected at most once towards [0, 360]
    glm::vec3 rotation = glm::vec3(0.0f);

    // Stores the parameters and rebuilds the right-handed OpenGL perspective (depth -1..1).
    void setPerspective(float fovDegrees, float aspect, float near, float far);
    glm::mat4 getProjectionMatrix() const;
    // getRotationMatrix() * translate(-position)
    glm::mat4 getViewMatrix() const;
    // Rx(pitch) * Ry(yaw) * Rz(roll)
    glm::mat4 getRotationMatrix() const;
    glm::vec3 getPosition() const;
    glm::vec3 getRotation() const;
    void setPosition(glm::vec3 newPosition);
    // Replaces the angles, then normalises them.
    void setRotation(glm::vec3 newRotation);
    void translate(glm::vec3 delta);
    // rotation += axis * degrees, then normalises; axis is a unit basis vector.
    void rotate(glm::vec3 axis, float degrees);
    // World direction of the view (-Z of the camera) and of the camera's +X.
    glm::vec3 getForward() const;
    glm::vec3 getRight() const;

private:
    void normalizeAngles();
};

// Created before main and never deleted; every user shares this object.
extern Camera* mainCamera;
