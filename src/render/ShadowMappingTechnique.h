// ShadowMappingTechnique: the view of the scene's one shadow light. Every frame it renders the
// opaque objects' depth, copies that depth into the colored shadow map and lays the windows'
// tint over it; the lighting pass samples the colored map through the bias-mapped matrix. The
// texel convention is written down in Shader/drawShadowMap.frag.
#pragma once

#include "gpu/GL.h"

#include <glm/glm.hpp>

class Scene;
class ScreenQuad;
class Shader;

class ShadowMappingTechnique {
public:
    glm::mat4 lightViewProjection = glm::mat4(1.0f); // projection x view of the shadow light
    int width = 0;                                   // map size in texels
    int height = 0;
    Shader* shadowMapShader = nullptr;        // "shadowMap": depth of the opaque objects
    Shader* coloredShadowMapShader = nullptr; // "coloredShadowMap": windows into the colour map
    Shader* drawShadowMapShader = nullptr;    // "drawShadowMap": depth map into the colour map
    GLuint depthFramebuffer = 0;              // depthTexture as depth, no colour
    GLuint colorFramebuffer = 0;              // colorTexture as colour 0, no depth
    GLuint colorTexture = 0;                  // the colored shadow map, RGBA16F
    GLuint depthTexture = 0;                  // the depth map, 16 bit
    ScreenQuad* screenQuad = nullptr;         // shared, not owned
    // Far plane of the light view: the depth map holds linear depth / farPlane and the colour
    // map's alpha linear depth in world units. Taken from the light by every render.
    float farPlane = 100.0f;

    ShadowMappingTechnique(int width, int height);
    // Deletes both textures and both framebuffer objects.
    ~ShadowMappingTechnique();
    ShadowMappingTechnique(const ShadowMappingTechnique&) = delete;
    ShadowMappingTechnique& operator=(const ShadowMappingTechnique&) = delete;

    // True when both framebuffers are complete; stops at the first that is not.
    bool createFramebuffers(int width, int height);
    // Renders both maps from the first shadow light of the scene. Leaves framebuffer 0 bound,
    // back faces culled, blending on and the viewport at shadowMapSize x shadowMapSize.
    void render(Scene* scene);
    GLuint getColorTexture();
    glm::mat4 getLightViewProjection();

private:
    void renderDepth(Scene* scene);
    void copyDepthIntoColorMap();
    void renderWindows(Scene* scene);
};
