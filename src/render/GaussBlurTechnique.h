// GaussBlurTechnique: a separable Gaussian blur ("gaussBlur") into two targets of the size it is
// built with; the renderer builds it at half the window size and blurs the bright parts of the
// lit image with it for bloom. One horizontal and one vertical pass per call.
#pragma once

#include "gpu/Framebuffer.h"
#include "gpu/GL.h"

class ScreenQuad;
class Shader;

class GaussBlurTechnique {
public:
    ScreenQuad* screenQuad; // shared, not owned
    // GL_RGBA16F target of the horizontal pass
    Framebuffer horizontalBuffer;
    // GL_RGBA16F target of the vertical pass; holds the result
    Framebuffer verticalBuffer;
    Shader* shader;

    // Needs the GL context current and the shader registry loaded.
    GaussBlurTechnique(int width, int height);
    // Releases both targets.
    ~GaussBlurTechnique();
    GaussBlurTechnique(const GaussBlurTechnique&) = delete;
    GaussBlurTechnique& operator=(const GaussBlurTechnique&) = delete;

    // Blurs the 2D texture `source` (any size; its mipmap chain is regenerated) into
    // verticalBuffer. Leaves framebuffer 0 bound, the viewport at the blur size, the
    // horizontal result on unit 0 and unit 0 active.
    void blur(GLuint source);
    // Binds the blurred image on GL_TEXTURE0 + unit and leaves that unit active.
    void bindResult(int unit);

private:
    void bindSource(GLuint source);
    void horizontalPass();
    void verticalPass();
};
