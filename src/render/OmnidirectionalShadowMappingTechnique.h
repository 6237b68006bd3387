// OmnidirectionalShadowMappingTechnique: one point light's depth cube map. The six face
// matrices are fixed when the light is set; render() draws the opaque objects into all six faces
// in one pass (a geometry stage replicates each triangle per face), and the lighting pass binds
// the cube map and compares against it with the near/far pair.
#pragma once

#include "gpu/GL.h"

#include <glm/glm.hpp>

#include <array>

class Light;
class Scene;

class OmnidirectionalShadowMappingTechnique {
public:
    // projection x view of each face, in the order +X, -X, +Y, -Y, +Z, -Z
    std::array<glm::mat4, 6> viewProjectionMatrices;
    float nearPlane = 0.001f;
    float farPlane = 30.0f;
    float fieldOfView = 90.0f; // degrees
    int width = 0;             // face size in texels
    int height = 0;
    GLuint framebuffer = 0; // the whole cube map as layered depth attachment
    GLuint cubeMap = 0;     // GL_DEPTH_COMPONENT16 cube texture
    Light* light = nullptr; // not owned

    // Creates the cube map and its framebuffer; prints "Framebuffer not complete!" when the
    // driver rejects them (rendering carries on regardless).
    OmnidirectionalShadowMappingTechnique(int width, int height);
    // Deletes the cube map and the framebuffer object.
    ~OmnidirectionalShadowMappingTechnique();
    OmnidirectionalShadowMappingTechnique(const OmnidirectionalShadowMappingTechnique&) = delete;
    OmnidirectionalShadowMappingTechnique&
    operator=(const OmnidirectionalShadowMappingTechnique&) = delete;

    // Stores the light and computes the six face matrices from its current position.
    void setLight(Light* light);
    // Renders the scene's opaque objects into the cube map. Leaves framebuffer 0 bound, the
    // viewport at the face size and "omnidirectional_shadowMap" in use.
    void render(Scene* scene);
    // Activates GL_TEXTURE0 + unit and binds the cube map to GL_TEXTURE_CUBE_MAP.
    void bindTexture(int unit);
    // (near, far) of the faces: the distance stored in the cube map is divided by far.
    glm::vec2 getNearFar();

    // The rotation of face i (0..5, +X .. -Z) of a look-at from the origin: rows right, true up,
    // back for the face direction and its up vector.
    static glm::mat4 faceRotation(int face);

private:
    void createFramebuffer();
};
