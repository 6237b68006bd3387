// LightShaftsTechnique: volumetric light shafts as a full-screen radial blur ("lightShaft") of an
// input image towards a light's position on the screen, into a full-resolution RGBA16F target.
// The renderer builds it with the other effects; where its result goes is the caller's choice.
#pragma once

#include "gpu/Framebuffer.h"
#include "gpu/GL.h"

#include <glm/glm.hpp>

class ScreenQuad;
class Shader;

class LightShaftsTechnique {
public:
    // scattering parameters, fixed at construction
    float exposure;
    float decay;
    float density;
    float weight;
    Shader* shader;
    ScreenQuad* screenQuad; // shared, not owned
    int width;
    int height;
    Framebuffer framebuffer;

    // Needs the GL context current and the shader registry loaded.
    LightShaftsTechnique(int width, int height);
    // Releases the target.
    ~LightShaftsTechnique();
    LightShaftsTechnique(const LightShaftsTechnique&) = delete;
    LightShaftsTechnique& operator=(const LightShaftsTechnique&) = delete;

    // The light's position in whole pixels (x from the left, y from the top) on a target of
    // width x height: lightMatrix maps lightPosition to clip space, whose x and y are used
    // without division by w; halves round away from zero.
    static glm::vec2 computeScreenPosition(glm::vec3 lightPosition, const glm::mat4& lightMatrix,
                                           int width, int height);

    // Smears sourceTexture towards the light into the target. Leaves framebuffer 0 bound, the
    // viewport at the technique's size and sourceTexture on unit 0, the active unit.
    void render(glm::vec3 lightPosition, GLuint sourceTexture, glm::mat4 lightMatrix);
    // Binds the result on GL_TEXTURE0 + unit and leaves that unit active.
    void bindResult(int unit);
};
