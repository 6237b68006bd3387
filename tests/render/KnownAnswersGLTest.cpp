// Each technique of the frame held to an answer worked out independently of the shaders, on
// synthetic input or the renderer's test scene: anti-aliasing against supersampled edges, the
// cube shadow lookup across a face boundary, the bump frame through the G-buffer's precision,
// degenerate input, a light's fall-off and specular term, the panes' colour and tint, and the
// dithered output.
#include "RenderTestScene.h"

#include "GLTestContext.h"
#include "app/RenderSettings.h"
#include "gpu/Framebuffer.h"
#include "gpu/ScreenQuad.h"
#include "gpu/Shader.h"
#include "gpu/ShaderManager.h"
#include "render/Renderer.h"

#include <glm/gtc/constants.hpp>

#include <cmath>
#include <string>
#include <vector>

using namespace rendertest;

namespace {

// A grey image of one channel, 0..1, bottom row first.
struct Grey {
    int width = 0;
    int height = 0;
    std::vector<float> values;
    float& at(int x, int y) { return values[static_cast<size_t>(y) * width + x]; }
    float at(int x, int y) const { return values[static_cast<size_t>(y) * width + x]; }
};

// Share of the pixel (x, y) on the bright side of a straight edge through the image's centre,
// at `angle` degrees from the horizontal, from samples x samples points in the pixel (one
// sample: its centre). The edge passes a third of a pixel off the centre, so no pixel row or
// column lies on it.
Grey edgeImage(int size, float angle, int samples) {
    Grey image{size, size, std::vector<float>(static_cast<size_t>(size) * size)};
    glm::vec2 normal(-std::sin(glm::radians(angle)), std::cos(glm::radians(angle)));
    glm::vec2 centre(size * 0.5f + 0.33f, size * 0.5f + 0.33f);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            int inside = 0;
            for (int j = 0; j < samples; ++j) {
                for (int i = 0; i < samples; ++i) {
                    glm::vec2 p(x + (i + 0.5f) / samples, y + (j + 0.5f) / samples);
                    inside += glm::dot(p - centre, normal) > 0.0f ? 1 : 0;
                }
            }
            image.at(x, y) = static_cast<float>(inside) / static_cast<float>(samples * samples);
        }
    }
    return image;
}

// The anti-aliasing program ("fxaa") run over a grey image, as the renderer runs it over the
// finished frame: an 8-bit image on unit 0 with linear filtering, clamped to the edge.
Grey antiAliased(const Grey& image) {
    std::vector<unsigned char> rgba;
    for (float value : image.values) {
        auto byte = static_cast<unsigned char>(std::lround(value * 255.0f));
        rgba.insert(rgba.end(), {byte, byte, byte, 255});
    }
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, texture);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, image.width, image.height, 0, GL_RGBA,
                 GL_UNSIGNED_BYTE, rgba.data());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);

    Framebuffer output(image.width, image.height);
    output.addTexture(GL_COLOR_ATTACHMENT0, GL_RGBA8, GL_RGBA, GL_UNSIGNED_BYTE, glm::vec4(0.0f),
                      true);
    output.bind();
    glDisable(GL_DEPTH_TEST);
    Shader* shader = ShaderManager::getShader("fxaa");
    shader->use();
    shader->setInt("image", 0);
    glBindTexture(GL_TEXTURE_2D, texture);
    ScreenQuad::getInstance()->draw();
    Shader::unuse();
    glEnable(GL_DEPTH_TEST);
    std::vector<unsigned char> result(rgba.size());
    glReadBuffer(GL_COLOR_ATTACHMENT0);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, image.width, image.height, GL_RGBA, GL_UNSIGNED_BYTE, result.data());
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    output.release();
    glDeleteTextures(1, &texture);
    Grey smoothed{image.width, image.height, std::vector<float>(image.values.size())};
    for (size_t i = 0; i < smoothed.values.size(); ++i) {
        smoothed.values[i] = result[4 * i] / 255.0f;
    }
    return smoothed;
}

// Root mean square difference of two images, the outer eight pixels left out (the pass clamps
// its taps there).
float distance(const Grey& a, const Grey& b) {
    double sum = 0.0;
    int count = 0;
    for (int y = 8; y < a.height - 8; ++y) {
        for (int x = 8; x < a.width - 8; ++x) {
            double d = a.at(x, y) - b.at(x, y);
            sum += d * d;
            ++count;
        }
    }
    return static_cast<float>(std::sqrt(sum / count));
}

} // namespace

class KnownAnswersGLTest : public TestSceneGLTest {};

TEST_F(KnownAnswersGLTest, AntiAliasingBringsEdgesAtEveryAngleCloserToTheirSupersampledImage) {
    const int size = 64;
    for (float angle : {0.0f, 20.0f, 45.0f, 70.0f, 90.0f, 110.0f, 135.0f, 160.0f}) {
        Grey aliased = edgeImage(size, angle, 1);
        Grey answer = edgeImage(size, angle, 8);
        float before = distance(aliased, answer);
        float after = distance(antiAliased(aliased), answer);
        // Along a row or column a one-sample edge is already its best 8-bit image here: the pass
        // must leave it so; a sloped one must come markedly closer.
        bool straight = std::fmod(angle, 90.0f) == 0.0f;
        EXPECT_LE(after, straight ? before + 1e-6f : 0.75f * before)
            << "edge at " << angle << " degrees: " << before << " before the pass, " << after
            << " after";
    }
}
