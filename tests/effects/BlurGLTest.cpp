// The Gaussian blur and the bloom composite against a real context: where a single bright
// texel's energy goes, and how the composite adds the glow to the lit image.
#include "EffectsTestSupport.h"
#include "GLTestContext.h"
#include "gpu/Framebuffer.h"
#include "gpu/ScreenQuad.h"
#include "gpu/Shader.h"
#include "render/GaussBlurTechnique.h"

#include <cmath>

namespace {

class BlurGLTest : public GLTest {
protected:
    void SetUp() override {
        GLTest::SetUp();
        loadShadersOnce();
        useStandingBlendState();
    }
};

// A w x h source, black with alpha 0 (so a blur that passed alpha through would vanish under
// the source-alpha blending), with one texel of the given brightness.
GLuint singleTexelSource(int w, int h, int x, int y, float brightness) {
    std::vector<glm::vec4> texels(w * h, glm::vec4(0.0f));
    texels[y * w + x] = glm::vec4(brightness, brightness, brightness, 0.0f);
    return makeRgbaTexture(w, h, texels);
}

} // namespace

TEST_F(BlurGLTest, SingleBrightTexelSpreadsSymmetricallyIntoTheHalfSizeTarget) {
    const int half = 32;
    const float brightness = 64.0f;
    GaussBlurTechnique blur(half, half);
    GLuint source = singleTexelSource(2 * half, 2 * half, 32, 32, brightness);
    blur.blur(source);

    EXPECT_EQ(blur.verticalBuffer.width, half);
    EXPECT_EQ(blur.verticalBuffer.height, half);
    GLint framebuffer = -1, viewport[4] = {};
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &framebuffer);
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(framebuffer, 0);
    EXPECT_EQ(viewport[2], half);
    EXPECT_EQ(viewport[3], half);

    GLint mipWidth = 0;
    glBindTexture(GL_TEXTURE_2D, source);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 1, GL_TEXTURE_WIDTH, &mipWidth);
    EXPECT_EQ(mipWidth, half) << "the source's mipmap chain is regenerated";

    std::vector<glm::vec4> out =
        readRgba(blur.verticalBuffer.getTexture(GL_COLOR_ATTACHMENT0), half, half);
    auto value = [&](int x, int y) { return out[y * half + x].r; };
    // Source texels 32 and 33 fall into target texel 16.
    const int c = 16;
    float sum = 0.0f;
    for (const glm::vec4& texel : out) {
        sum += texel.r;
        EXPECT_EQ(texel.a, 1.0f);
    }
    // Each target texel covers four source texels.
    EXPECT_NEAR(sum * 4.0f, brightness, 0.01f * brightness) << "energy is preserved";
    EXPECT_LT(value(c, c), 0.25f * brightness / 4.0f) << "the texel is spread, not copied";
    for (int a = 0; a <= 5; ++a) {
        for (int b = 0; b <= 5; ++b) {
            float reference = value(c + a, c + b);
            const float tolerance = 2e-3f * value(c, c) + 1e-4f;
            EXPECT_NEAR(value(c - a, c + b), reference, tolerance) << a << "," << b;
            EXPECT_NEAR(value(c + a, c - b), reference, tolerance) << a << "," << b;
            EXPECT_NEAR(value(c + b, c + a), reference, tolerance) << a << "," << b;
            // a Gaussian is the product of its two one-dimensional profiles
            EXPECT_NEAR(reference * value(c, c), value(c + a, c) * value(c, c + b),
                        5e-3f * value(c, c) * value(c, c))
                << a << "," << b;
        }
        if (a > 0) {
            EXPECT_LT(value(c + a, c), value(c + a - 1, c)) << "falls off with distance " << a;
        }
    }
    glDeleteTextures(1, &source);
}

TEST_F(BlurGLTest, BloomAddsTheGlowInRadianceAndWritesDisplayValues) {
    const int size = 4;
    // Linear radiance; green has no glow, red and blue do.
    std::vector<glm::vec4> lit(size * size, glm::vec4(0.5f, 0.2f, 0.9f, 0.0f));
    std::vector<glm::vec4> glow(size * size, glm::vec4(0.25f, 0.0f, 50.0f, 0.0f));
    std::vector<glm::vec4> noGlow(size * size, glm::vec4(0.0f));
    GLuint litTexture = makeRgbaTexture(size, size, lit);
    Framebuffer target(size, size);
    target.addTexture(GL_COLOR_ATTACHMENT0, GL_RGBA16F, GL_RGBA, GL_FLOAT, glm::vec4(0.0f), true);
    auto composite = [&](const std::vector<glm::vec4>& glowTexels) {
        GLuint glowTexture = makeRgbaTexture(size, size, glowTexels);
        target.bind();
        target.clear();
        Shader* bloom = ShaderManager::getShader("bloom");
        bloom->use();
        glUniform1i(glGetUniformLocation(bloom->program, "color_texture"), 0);
        glUniform1i(glGetUniformLocation(bloom->program, "bloom_texture"), 1);
        glActiveTexture(GL_TEXTURE0);
        glBindTexture(GL_TEXTURE_2D, litTexture);
        glActiveTexture(GL_TEXTURE1);
        glBindTexture(GL_TEXTURE_2D, glowTexture);
        ScreenQuad::getInstance()->draw();
        Shader::unuse();
        target.unbind();
        glActiveTexture(GL_TEXTURE0);
        glDeleteTextures(1, &glowTexture);
        return readRgba(target.getTexture(GL_COLOR_ATTACHMENT0), size, size);
    };
    std::vector<glm::vec4> plain = composite(noGlow);
    std::vector<glm::vec4> glowing = composite(glow);
    for (size_t i = 0; i < plain.size(); ++i) {
        EXPECT_GT(glowing[i].r, plain[i].r + 0.01f);
        EXPECT_EQ(glowing[i].g, plain[i].g) << "no glow leaves the lit colour as it is";
        EXPECT_GT(glowing[i].b, plain[i].b);
        EXPECT_LE(glowing[i].b, 1.0f) << "a display value, however strong the glow";
        EXPECT_GT(plain[i].g, 0.2f) << "radiance 0.2 is encoded for display, not copied";
        EXPECT_EQ(glowing[i].a, 1.0f);
    }
    target.release();
    glDeleteTextures(1, &litTexture);
}
