// ShadowLight: view and projection of the light from which the colored shadows are cast.
#include "scene/ShadowLight.h"

#include <glm/gtc/matrix_transform.hpp>

ShadowLight::ShadowLight(glm::vec3 position, glm::vec3 target)
    : position(position), target(target) {
    setPerspective(lightViewFieldOfView, 1.3333334f, 0.01f, 100.0f);
}

void ShadowLight::setPerspective(float fovDegrees, float aspect, float near, float far) {
    fieldOfView = fovDegrees;
    aspectRatio = aspect;
    nearPlane = near;
    farPlane = far;
    projectionMatrix = glm::perspective(glm::radians(fovDegrees), aspect, near, far);
}

glm::mat4 ShadowLight::getViewMatrix() const {
    return glm::lookAt(position, target, glm::vec3(0.0f, 1.0f, 0.0f));
}

glm::mat4 ShadowLight::getProjectionMatrix() const {
    return projectionMatrix;
}
