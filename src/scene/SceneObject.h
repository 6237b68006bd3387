// SceneObject: one placed model, a model matrix and the meshes of its file (owned by the mesh
// registry). Translations are applied in the object's own frame. Billboard derives from it.
#pragma once

#include <glm/glm.hpp>

#include <vector>

class Mesh;

class SceneObject {
public:
    glm::mat4 modelMatrix = glm::mat4(1.0f);
    std::vector<Mesh*> meshes; // not owned

    // modelMatrix = modelMatrix * translate(v)
    void translate(glm::vec3 v);
    // Placed objects do not move over time.
    void update(float dt);
};
