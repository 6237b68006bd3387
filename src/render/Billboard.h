// Billboard: a unit quad in the model's x-y plane that turns about the world y axis to face the
// camera and shows the current page of an animated texture with the "billBoardShader" program.
// Blending, depth and culling state are the forward pass's business, not the billboard's.
#pragma once

#include "gpu/GL.h"
#include "scene/SceneObject.h"

#include <glm/glm.hpp>

#include <string>

class AnimatedTextureTechnique;
class Shader;

class Billboard : public SceneObject {
public:
    GLuint vao = 0;
    GLuint vbo = 0;
    Shader* shader = nullptr;
    AnimatedTextureTechnique* animatedTexture = nullptr; // shared through the cache

    // Builds the quad; leaves its vertex array bound. Needs the current OpenGL context.
    Billboard();
    ~Billboard();
    Billboard(const Billboard&) = delete;
    Billboard& operator=(const Billboard&) = delete;

    void setAnimatedTexture(std::string path);
    // Keeps the translation and replaces the rest with a rotation by -yaw about y.
    void orient(glm::vec3 rotation);
    // Draws the quad with viewProjection * modelMatrix; dt is not used.
    void render(const glm::mat4& viewProjection, float dt);

private:
    void createQuad();
};
