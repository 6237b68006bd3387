// Renderer: turns the scene into one frame per call. It owns every render target and effect
// object of the pipeline and fixes the order of the passes: shadow maps, geometry pass into the
// G-buffer, ambient occlusion, deferred lighting over all point lights, forward pass for the
// windows and flames, bloom composite. The F-key switches of RenderSettings select the passes.
#pragma once

#include "gpu/Framebuffer.h"

#include <glm/glm.hpp>

#include <vector>

class GaussBlurTechnique;
class Light;
class LightShaftsTechnique;
class OmnidirectionalShadowMappingTechnique;
class SSAOTechnique;
class Scene;
class ScreenQuad;
class ShadowMappingTechnique;

class Renderer {
public:
    float deltaTime = 0.0f;                          // handed to the billboards
    GaussBlurTechnique* gaussBlur = nullptr;         // half the window size
    SSAOTechnique* ssao = nullptr;                   // window size
    LightShaftsTechnique* lightShafts = nullptr;     // window size; not run by the frame
    ShadowMappingTechnique* shadowMapping = nullptr; // light view, 512 x 512
    // entry i belongs to light i of the scene; its cube map is bound on unit 4 + i
    std::vector<OmnidirectionalShadowMappingTechnique*> omnidirectionalShadowMaps;
    Framebuffer gBuffer;              // world position, world normal, diffuse colour, depth
    Framebuffer hdrBuffer;            // lit colour and bright parts while bloom is on, depth
    ScreenQuad* screenQuad = nullptr; // shared, not owned
    // Whether the cube maps hold a rendered frame; without "updateShadowMaps" they are
    // rendered only until they do.
    bool cubeMapsRendered = false;

    // Sets the pipeline's standing GL state and the camera projection, builds the render targets
    // and the effect objects. Needs the shader programs.
    Renderer(int width, int height);
    // Releases both framebuffers, the effect objects and the cube-map techniques.
    ~Renderer();
    Renderer(const Renderer&) = delete;
    Renderer& operator=(const Renderer&) = delete;

    // One cube shadow map per light, its face matrices fixed at the lights' current positions.
    void init(const std::vector<Light*>& lights);
    void setDeltaTime(float dt);
    // Draws one frame into the window's back buffer. Leaves framebuffer 0 bound, depth test and
    // back-face culling on, blending (SRC_ALPHA, ONE_MINUS_SRC_ALPHA), the viewport at the
    // window size and the clear colour (0, 0, 0, 0).
    void render(Scene* scene);

    // Distance at which the light's brightest channel, attenuated by
    // 1 / (1 + linear d + quadratic d^2), falls to 5/256; nothing is lit beyond it. 0 for a
    // light too dim to reach that level; the largest float for one that never falls to it.
    static float lightRadius(const Light& light);

private:
    void renderShadowMaps(Scene* scene);
    void geometryPass(Scene* scene);
    void ssaoPass();
    void lightingPass(Scene* scene);
    void forwardPass(Scene* scene);
    void bloomPass(Scene* scene);
};
