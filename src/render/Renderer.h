// Renderer: turns the scene into one frame per call. It owns every render target and effect
// object of the pipeline and fixes the order of the passes: shadow maps, geometry pass into the
// G-buffer, ambient occlusion, deferred lighting over all point lights, forward pass for the
// windows and flames, bloom composite, anti-aliasing. The F-key switches of RenderSettings select
// the passes.
#pragma once

#include "base/DebugView.h"
#include "gpu/Framebuffer.h"
#include "render/FramePass.h"

#include <glm/glm.hpp>

#include <vector>

class Frustum;
class GaussBlurTechnique;
class IndirectLightProbes;
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
    IndirectLightProbes* indirectLight = nullptr;    // the baked probes of the ambient term
    // entry i belongs to light i of the scene; its cube map is bound on unit 4 + i
    std::vector<OmnidirectionalShadowMappingTechnique*> omnidirectionalShadowMaps;
    Framebuffer gBuffer;   // world position, world normal, diffuse colour, depth
    Framebuffer hdrBuffer; // lit colour and bright parts while bloom is on, depth
    // The finished frame in display colour (RGBA8) while anti-aliasing is on, which the
    // anti-aliasing pass reads; depth-stencil like the window's for the forward pass's blit.
    Framebuffer aaBuffer;
    ScreenQuad* screenQuad = nullptr; // shared, not owned
    // Where the finished frame goes: 0, the window's back buffer, unless a tool renders
    // off-screen (a framebuffer of the screen size with colour and a 24/8 depth-stencil buffer).
    GLuint outputFramebuffer = 0;
    // Told where each pass begins and ends; null while nothing measures the frame.
    const PassHooks* passHooks = nullptr;
    // Whether each pass runs inside a debug group named by its label (kFramePassNames), for frame
    // debuggers; independent of the hooks, so a timer can be attached or detached meanwhile.
    bool debugGroups = false;

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
    // Draws one frame into the output (the window's back buffer by default), then, unless
    // RenderSettings::debugView is the final image, that view over the whole output. Leaves the
    // output bound, depth test and back-face culling on, blending (SRC_ALPHA, ONE_MINUS_SRC_ALPHA),
    // the viewport at the screen size and the clear colour (0, 0, 0, 0).
    void render(Scene* scene);
    // Follows a new framebuffer size: rebuilds every screen-sized target and effect (G-buffer,
    // HDR buffer, anti-aliasing target, blur, ambient occlusion, light shafts) at width x height,
    // sets the camera's aspect and RenderSettings::screenWidth/Height. Nothing happens for the
    // current size or for a side below 1 (a minimised window: nothing is drawn, the targets
    // stay). A side beyond the driver's largest render target is clamped to it. Leaves
    // framebuffer 0 bound and the viewport at the new size.
    void resize(int width, int height);
    int width() const { return screenWidth; }
    int height() const { return screenHeight; }
    // Attaches the hooks called around every pass (null detaches them).
    void attachPassHooks(const PassHooks* hooks);
    // Wraps every pass that runs in a debug group (glPushDebugGroup), outside the hooks, where
    // the context offers groups (ObjectLabel.h). Off by default: the driver echoes each push and
    // pop as a debug message, which the debug callback prints.
    void setDebugGroups(bool on);
    // Sends the finished frame to `framebuffer` instead of the window (0 restores the window).
    // While anti-aliasing is on, the frame is finished in aaBuffer and anti-aliased into it.
    void setOutputFramebuffer(GLuint framebuffer);

    // Whether `view` shows a rendered buffer; a view whose pass never ran (at the current size)
    // shows a "no data" pattern instead.
    bool viewHasData(DebugView view) const;
    // Whether the last frame wrote the buffer `view` shows; a view whose pass is switched off
    // shows what it last rendered.
    bool viewIsCurrent(DebugView view) const;

private:
    // The screen-sized targets and effects, built by the constructor and by resize().
    void buildScreenTargets(int width, int height);
    void releaseScreenTargets();

    int screenWidth = 0;
    int screenHeight = 0;
    int largestTargetSize = 0; // the driver's limit on a render target's side

    // The faces of a cube map to draw this frame (a face mask; 0: leave the map as it is).
    int cubeMapFacesToDraw(const OmnidirectionalShadowMappingTechnique& cubeMap,
                           const Frustum& frustum) const;
    // Runs one pass between the attached hooks, inside its debug group while groups are on.
    template <typename Pass> void runPass(FramePass pass, Pass&& body);
    // Binds the output with the screen-sized viewport.
    void bindOutput();
    // Binds the target of the frame's finished image with the screen-sized viewport: the output,
    // or aaBuffer while anti-aliasing is on, cleared first as the window is before each frame.
    void bindFinishTarget();

    // Each pass states what it reads and where it draws; `litTarget` is the framebuffer the lit
    // image goes to this frame (the HDR buffer while bloom is on, else the finish target, null
    // for the output). `finishTarget` is chosen once per frame by render().
    void renderShadowMaps(Scene* scene);
    void geometryPass(Scene* scene);
    void ssaoPass();
    void lightingPass(Scene* scene, Framebuffer* litTarget);
    void forwardPass(Scene* scene, Framebuffer* litTarget);
    void bloomPass();
    void antiAliasingPass();
    // Draws RenderSettings::debugView over the output; the cube map is the one of the light
    // nearest the camera. Leaves the output bound and the standing state.
    void debugViewPass();
    // Binds the buffer a view shows: 2D on unit 0, the cube map on unit 1, the G-buffer normals
    // on unit 2 for the indirect light (whose probes debugViewPass binds on units 3 and 4).
    void bindViewBuffer(ViewBuffer buffer);
    // Records that this frame's pass wrote `buffer`.
    void written(ViewBuffer buffer);
    OmnidirectionalShadowMappingTechnique* nearestCubeMap() const;

    Framebuffer* finishTarget = nullptr; // aaBuffer while anti-aliasing is on, else null
    int frameNumber = 0;                 // frames rendered so far, the current one included
    // Per buffer a view can show: the frame that last wrote it, 0 for none at the current size.
    int bufferFrame[kViewBufferCount] = {};
};
