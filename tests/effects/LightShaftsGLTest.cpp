// LightShaftsTechnique against a real context: a bright spot is smeared away from the light
// (which is given in pixels from the TOP), the same inputs give the same image.
#include "EffectsTestSupport.h"
#include "GLTestContext.h"
#include "render/LightShaftsTechnique.h"

namespace {

constexpr int size = 64;

class LightShaftsGLTest : public GLTest {
protected:
    void SetUp() override {
        GLTest::SetUp();
        loadShadersOnce();
        useStandingBlendState();
    }
};

// Black with alpha 0 and a white 4 x 4 spot in the middle.
GLuint spotImage() {
    std::vector<glm::vec4> texels(size * size, glm::vec4(0.0f));
    for (int y = 30; y < 34; ++y) {
        for (int x = 30; x < 34; ++x) {
            texels[y * size + x] = glm::vec4(1.0f, 1.0f, 1.0f, 0.0f);
        }
    }
    return makeRgbaTexture(size, size, texels);
}

float columnMean(const std::vector<glm::vec4>& image, int x, int fromRow, int toRow) {
    float sum = 0.0f;
    for (int y = fromRow; y < toRow; ++y) {
        sum += image[y * size + x].r;
    }
    return sum / static_cast<float>(toRow - fromRow);
}

} // namespace

TEST_F(LightShaftsGLTest, ShaftsStreamFromTheSpotAwayFromALightAtTheTop) {
    LightShaftsTechnique shafts(size, size);
    EXPECT_FLOAT_EQ(shafts.exposure, 1.0333f);
    EXPECT_FLOAT_EQ(shafts.decay, 0.99f);
    EXPECT_FLOAT_EQ(shafts.density, 0.64f);
    EXPECT_FLOAT_EQ(shafts.weight, 0.0166667f);
    GLuint image = spotImage();
    // Clip (0, 1) is the middle of the top edge.
    shafts.render(glm::vec3(0.0f, 1.0f, 0.0f), image, glm::mat4(1.0f));
    GLint framebuffer = -1;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &framebuffer);
    EXPECT_EQ(framebuffer, 0);

    GLuint result = shafts.framebuffer.getTexture(GL_COLOR_ATTACHMENT0);
    std::vector<glm::vec4> first = readRgba(result, size, size);
    // Rows are stored bottom first: below the spot is rows < 30, above it rows > 33.
    float below = columnMean(first, 31, 10, 26);
    float above = columnMean(first, 31, 40, 60);
    EXPECT_GT(below, 0.05f);
    EXPECT_LT(above, 0.2f * below);
    EXPECT_LT(columnMean(first, 5, 0, size), 0.01f) << "columns beside the shaft stay dark";
    for (const glm::vec4& texel : first) {
        ASSERT_EQ(texel.a, 1.0f);
    }

    shafts.framebuffer.bind();
    saveFramebufferPng("light_shafts.png", size, size);
    shafts.framebuffer.unbind();
    shafts.render(glm::vec3(0.0f, 1.0f, 0.0f), image, glm::mat4(1.0f));
    EXPECT_EQ(readRgba(result, size, size), first) << "the target is cleared before each render";
    glDeleteTextures(1, &image);
}
