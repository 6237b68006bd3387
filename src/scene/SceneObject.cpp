// SceneObject: placement of a model; translations compose in the object's own frame.
#include "scene/SceneObject.h"

#include <glm/gtc/matrix_transform.hpp>

void SceneObject::translate(glm::vec3 v) {
    modelMatrix = modelMatrix * glm::translate(glm::mat4(1.0f), v);
}

void SceneObject::update(float /*dt*/) {}
