// OmnidirectionalShadowMappingTechnique: one point light's depth cube map. The six face
// matrices are fixed when the light is set; render() draws the opaque objects within the light's
// reach into all six faces in one pass (a geometry stage replicates each triangle per face), and
// the lighting pass binds the cube map with a comparison sampler and compares the window depth
// of each face's projection, rebuilt from the near/far pair.
#pragma once

#include "gpu/GL.h"

#include <glm/glm.hpp>

#include <array>
#include <string>

class Frustum;
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
    // GL_DEPTH_COMPONENT24 cube texture holding each face's window depth: the faces' near plane
    // of 0.001 leaves 16 bits only a step of about 1.5 units at 10 units from the light
    GLuint cubeMap = 0;
    // depth comparison (LEQUAL) with linear filtering, bound over the texture's own parameters
    // while the lighting pass reads the map, so each lookup compares four texels, then filters
    GLuint comparisonSampler = 0;
    Light* light = nullptr;   // not owned
    bool hasContents = false; // whether render() has filled the cube map at least once
    int facesHeld = 0;        // the faces the last render() drew (allFaces without a light)

    // Creates the cube map and its framebuffer; prints "Framebuffer not complete!" when the
    // driver rejects them (rendering carries on regardless). The framebuffer is labelled `label`,
    // the cube map "<label> depth" and the sampler "<label> comparison".
    OmnidirectionalShadowMappingTechnique(int width, int height,
                                          const std::string& label = "cube shadow map");
    // Deletes the cube map and the framebuffer object.
    ~OmnidirectionalShadowMappingTechnique();
    OmnidirectionalShadowMappingTechnique(const OmnidirectionalShadowMappingTechnique&) = delete;
    OmnidirectionalShadowMappingTechnique&
    operator=(const OmnidirectionalShadowMappingTechnique&) = delete;

    // Face sets as bit masks: bit i is face i (+X, -X, +Y, -Y, +Z, -Z).
    static constexpr int allFaces = 0x3f;

    // Stores the light and computes the six face matrices from its current position.
    void setLight(Light* light);
    // The faces whose share of the light's reach (the pyramid from the light through the face,
    // out to its radius) comes within `margin` world units of the frustum: a pixel in view
    // reads no other face, its shadow taps included when margin covers their spread. 0 without
    // a light.
    int facesTouching(const Frustum& frustum, float margin) const;
    // Clears all six faces, then renders the scene's opaque objects into the faces of the set,
    // skipping every mesh that lies wholly beyond the light's reach (casterReach); faces out of
    // the set are left cleared (nothing in the way). Leaves framebuffer 0 bound, the viewport at
    // the face size and "omnidirectional_shadowMap" in use.
    void render(Scene* scene, int faces = allFaces);
    // Activates GL_TEXTURE0 + unit and binds the cube map to GL_TEXTURE_CUBE_MAP with no sampler
    // object, so reads return the stored depths (debug views).
    void bindTexture(int unit);
    // As bindTexture, with comparisonSampler on the unit (samplerCubeShadow lookups).
    void bindComparisonTexture(int unit);
    // Takes the comparison sampler off the unit again.
    static void unbindComparisonSampler(int unit);
    // (near, far) of the faces' projection: the stored window depth is that projection's.
    glm::vec2 getNearFar();
    // Distance from the light beyond which a caster cannot matter: the light's radius (nothing
    // farther is lit, and a caster outside that ball cannot cut a ray inside it), and never
    // more than far * sqrt(3), beyond which no face stores anything.
    float casterReach() const;

    // The rotation of face i (0..5, +X .. -Z) of a look-at from the origin: rows right, true up,
    // back for the face direction and its up vector.
    static glm::mat4 faceRotation(int face);

private:
    void createFramebuffer(const std::string& label);
};
