// ShadowLight: the light view from which the depth map and the colored shadow map are rendered:
// a look-at view and a fixed 4:3 perspective that does not follow the window size.
#pragma once

#include "gpu/ShaderConstants.h"

#include <glm/glm.hpp>

class ShadowLight {
public:
    glm::vec3 up = glm::vec3(0.0f, 1.0f, 0.0f);
    glm::vec3 position;
    glm::vec3 target;
    float fieldOfView = lightViewFieldOfView;
    float aspectRatio = 1.3333334f;
    float nearPlane = 0.01f;
    float farPlane = 100.0f;
    glm::mat4 projectionMatrix = glm::mat4(1.0f);

    // Looks from position at target with perspective(lightViewFieldOfView, 4:3, 0.01, 100).
    ShadowLight(glm::vec3 position, glm::vec3 target);
    void setPerspective(float fovDegrees, float aspect, float near, float far);
    // lookAt(position, target, (0, 1, 0))
    glm::mat4 getViewMatrix() const;
    glm::mat4 getProjectionMatrix() const;
};
