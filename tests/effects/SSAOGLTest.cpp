// SSAOTechnique against a real context: the fixed kernel and noise, the uniforms and GL state a
// render leaves, and the occlusion it computes for small G-buffers ray-cast on the CPU (an open
// floor, a floor-wall corner, a near object in front of a far wall).
#include "EffectsTestSupport.h"
#include "GLTestContext.h"
#include "render/SSAOTechnique.h"
#include "scene/Camera.h"

#include <glm/gtc/type_ptr.hpp>

#include <algorithm>
#include <cmath>
#include <random>

namespace {

constexpr int gSize = 64;

// A rectangle of an axis-aligned plane, facing along `normal`, inside [low, high].
struct Surface {
    glm::vec3 point;
    glm::vec3 normal;
    glm::vec3 low;
    glm::vec3 high;
};

struct GBuffer {
    GLuint position = 0;
    GLuint normal = 0;
};

bool inside(glm::vec3 p, const Surface& s) {
    const float slack = 1e-4f;
    return glm::all(glm::greaterThanEqual(p, s.low - slack)) &&
           glm::all(glm::lessThanEqual(p, s.high + slack));
}

// World position and normal of the nearest front-facing surface seen through each pixel of the
// main camera; (0, 0, 0, 0) where the ray hits nothing, as the geometry pass clears.
GBuffer rayCast(const std::vector<Surface>& surfaces) {
    glm::mat4 inverseViewProjection =
        glm::inverse(mainCamera->getProjectionMatrix() * mainCamera->getViewMatrix());
    std::vector<glm::vec4> positions(gSize * gSize, glm::vec4(0.0f));
    std::vector<glm::vec4> normals(gSize * gSize, glm::vec4(0.0f));
    for (int y = 0; y < gSize; ++y) {
        for (int x = 0; x < gSize; ++x) {
            glm::vec2 ndc((x + 0.5f) / gSize * 2.0f - 1.0f, (y + 0.5f) / gSize * 2.0f - 1.0f);
            glm::vec4 nearPoint = inverseViewProjection * glm::vec4(ndc, -1.0f, 1.0f);
            glm::vec4 farPoint = inverseViewProjection * glm::vec4(ndc, 1.0f, 1.0f);
            glm::vec3 origin = glm::vec3(nearPoint) / nearPoint.w;
            glm::vec3 direction = glm::normalize(glm::vec3(farPoint) / farPoint.w - origin);
            float nearest = INFINITY;
            for (const Surface& s : surfaces) {
                float facing = glm::dot(direction, s.normal);
                if (facing >= 0.0f) {
                    continue;
                }
                float t = glm::dot(s.point - origin, s.normal) / facing;
                glm::vec3 hit = origin + t * direction;
                if (t > 0.0f && t < nearest && inside(hit, s)) {
                    nearest = t;
                    positions[y * gSize + x] = glm::vec4(hit, 1.0f);
                    normals[y * gSize + x] = glm::vec4(s.normal, 1.0f);
                }
            }
        }
    }
    return {makeRgbaTexture(gSize, gSize, positions), makeRgbaTexture(gSize, gSize, normals)};
}

const Surface floorPlane{{0, -0.7f, 0}, {0, 1, 0}, {-10, -0.7f, -10}, {10, -0.7f, 10}};
const Surface backWall{{0, 0, -2}, {0, 0, 1}, {-10, -0.7f, -2}, {10, 10, -2}};

class SSAOGLTest : public GLTest {
protected:
    void SetUp() override {
        GLTest::SetUp();
        loadShadersOnce();
        useStandingBlendState();
        mainCamera->setPerspective(70.0f, 1.0f, 0.01f, 50.0f);
        mainCamera->setPosition(glm::vec3(0.0f));
        mainCamera->setRotation(glm::vec3(0.0f)); // looking along -z
    }

    // Occlusion result (red of attachment 1) and raw factor (attachment 0) of one render.
    void occlusionOf(const std::vector<Surface>& surfaces) {
        SSAOTechnique ssao(gSize, gSize);
        GBuffer g = rayCast(surfaces);
        ssao.render(g.position, g.normal);
        result = readRgba(ssao.framebuffer.getTexture(GL_COLOR_ATTACHMENT1), gSize, gSize);
        raw = readRgba(ssao.framebuffer.getTexture(GL_COLOR_ATTACHMENT0), gSize, gSize);
        ssao.framebuffer.bind();
        glReadBuffer(GL_COLOR_ATTACHMENT1);
        saveFramebufferPng(
            "ssao_" + std::string(testing::UnitTest::GetInstance()->current_test_info()->name()) +
                ".png",
            gSize, gSize);
        ssao.framebuffer.unbind();
        GLuint textures[] = {g.position, g.normal};
        glDeleteTextures(2, textures);
    }

    float at(int x, int y) const { return result[y * gSize + x].r; }

    std::vector<glm::vec4> result;
    std::vector<glm::vec4> raw;
};

std::vector<glm::vec3> noiseOf(const SSAOTechnique& ssao) {
    std::vector<glm::vec3> noise(16);
    glBindTexture(GL_TEXTURE_2D, ssao.noiseTexture);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_FLOAT, noise.data());
    return noise;
}

} // namespace

TEST_F(SSAOGLTest, KernelIsAFixedHemisphereGrowingWithTheIndex) {
    SSAOTechnique first(gSize, gSize);
    SSAOTechnique second(gSize, gSize);
    ASSERT_EQ(first.numSamples, 16);
    ASSERT_EQ(first.kernel.size(), 16u);
    float longest = 0.0f;
    for (int i = 0; i < 16; ++i) {
        glm::vec3 sample = first.kernel[i];
        float f = i / 16.0f;
        float bound = 0.9f * f * f + 0.1f;
        EXPECT_GE(sample.z, 0.0f) << "entry " << i;
        EXPECT_LE(glm::length(sample), bound + 1e-6f) << "entry " << i;
        EXPECT_EQ(sample, second.kernel[i]) << "entry " << i;
        longest = std::max(longest, glm::length(sample));
    }
    EXPECT_GT(longest, 0.3f) << "the kernel must reach out, not collapse to the origin";
    first.generateKernelAndNoise();
    EXPECT_EQ(first.kernel, second.kernel) << "regenerating replaces the kernel, never extends it";

    // Draw order per sample is z, y, x, length from a default-seeded mt19937.
    std::mt19937 generator;
    std::uniform_real_distribution<float> draw(0.0f, 1.0f);
    float z = draw(generator), y = draw(generator), x = draw(generator);
    float length = draw(generator);
    glm::vec3 expected = glm::normalize(glm::vec3(2 * x - 1, 2 * y - 1, z)) * length * 0.1f;
    EXPECT_NEAR(glm::distance(first.kernel[0], expected), 0.0f, 1e-6f);
}

TEST_F(SSAOGLTest, NoiseIsAFixedSetOfTangentPlaneRotations) {
    SSAOTechnique first(gSize, gSize);
    SSAOTechnique second(gSize, gSize);
    std::vector<glm::vec3> noise = noiseOf(first);
    EXPECT_EQ(noise, noiseOf(second));
    int distinct = 0;
    for (size_t i = 0; i < noise.size(); ++i) {
        EXPECT_EQ(noise[i].z, 0.0f) << "texel " << i;
        EXPECT_GE(noise[i].x, -1.0f) << "texel " << i;
        EXPECT_LT(noise[i].x, 1.0f) << "texel " << i;
        EXPECT_GE(noise[i].y, -1.0f) << "texel " << i;
        EXPECT_LT(noise[i].y, 1.0f) << "texel " << i;
        distinct += i > 0 && noise[i] != noise[i - 1];
    }
    EXPECT_GT(distinct, 10);

    // The noise follows the 64 kernel draws; per vector y is drawn before x.
    std::mt19937 generator;
    std::uniform_real_distribution<float> draw(0.0f, 1.0f);
    for (int i = 0; i < 64; ++i) {
        draw(generator);
    }
    float w1 = draw(generator), w2 = draw(generator);
    EXPECT_NEAR(noise[0].x, 2.0f * w2 - 1.0f, 1e-3f);
    EXPECT_NEAR(noise[0].y, 2.0f * w1 - 1.0f, 1e-3f);
}

TEST_F(SSAOGLTest, RenderSetsNoiseScaleAndLeavesTheDescribedState) {
    SSAOTechnique ssao(1024, 768);
    GBuffer g = rayCast({backWall});
    ssao.render(g.position, g.normal);

    GLint framebuffer = -1, active = 0, unit0 = 0, unit1 = 0, unit2 = 0, viewport[4] = {};
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &framebuffer);
    glGetIntegerv(GL_ACTIVE_TEXTURE, &active);
    glGetIntegerv(GL_VIEWPORT, viewport);
    glActiveTexture(GL_TEXTURE1);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &unit1);
    glActiveTexture(GL_TEXTURE2);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &unit2);
    glActiveTexture(GL_TEXTURE0);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &unit0);
    EXPECT_EQ(framebuffer, 0);
    EXPECT_EQ(active, GL_TEXTURE0);
    EXPECT_EQ(static_cast<GLuint>(unit0), ssao.framebuffer.getTexture(GL_COLOR_ATTACHMENT0));
    EXPECT_EQ(static_cast<GLuint>(unit1), g.normal);
    EXPECT_EQ(static_cast<GLuint>(unit2), ssao.noiseTexture);
    EXPECT_EQ(viewport[2], 1024);
    EXPECT_EQ(viewport[3], 768);

    float noiseScale[2] = {};
    GLuint program = ssao.ssaoShader->program;
    glGetUniformfv(program, glGetUniformLocation(program, "noiseScale"), noiseScale);
    EXPECT_EQ(noiseScale[0], 256.0f);
    EXPECT_EQ(noiseScale[1], 192.0f);

    ssao.bindResult(3);
    GLint result = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &result);
    glGetIntegerv(GL_ACTIVE_TEXTURE, &active);
    EXPECT_EQ(active, GL_TEXTURE3);
    EXPECT_EQ(static_cast<GLuint>(result), ssao.framebuffer.getTexture(GL_COLOR_ATTACHMENT1));
    glActiveTexture(GL_TEXTURE0);
    GLuint textures[] = {g.position, g.normal};
    glDeleteTextures(2, textures);
}

TEST_F(SSAOGLTest, OpenFloorAndEmptySkyStayUnoccluded) {
    occlusionOf({floorPlane});
    float lowest = 1.0f;
    for (int y = 0; y < gSize; ++y) {
        for (int x = 0; x < gSize; ++x) {
            lowest = std::min(lowest, at(x, y));
            EXPECT_EQ(result[y * gSize + x].a, 1.0f);
        }
    }
    EXPECT_GT(lowest, 0.97f);
    EXPECT_EQ(at(32, 60), 1.0f) << "a pixel without geometry is unoccluded";
}

TEST_F(SSAOGLTest, ConcaveCornerIsDarkenedAndTheNoisePatternBlurredAway) {
    occlusionOf({floorPlane, backWall});
    // The floor meets the wall at view height -0.7, depth 2: row (1 - 0.7/(2 tan 35deg)) / 2 * 64.
    const float cornerRow = (1.0f - 0.7f / (2.0f * std::tan(glm::radians(35.0f)))) * 0.5f * gSize;
    auto rowMean = [&](const std::vector<glm::vec4>& image, int y) {
        float sum = 0.0f;
        for (int x = 16; x < 48; ++x) {
            sum += image[y * gSize + x].r;
        }
        return sum / 32.0f;
    };
    int darkest = static_cast<int>(cornerRow);
    for (int y = darkest - 3; y <= darkest + 3; ++y) {
        darkest = rowMean(result, y) < rowMean(result, darkest) ? y : darkest;
    }
    EXPECT_LT(rowMean(result, darkest), 0.85f) << "row " << darkest;
    EXPECT_NEAR(darkest, cornerRow, 3.0f);
    EXPECT_GT(at(32, 56), 0.97f) << "the wall far above the corner is open";
    EXPECT_GT(at(32, 2), 0.97f) << "the floor far in front of the corner is open";

    // Along the corner the occlusion is the same everywhere; only the noise varies it.
    auto spread = [&](const std::vector<glm::vec4>& image) {
        float low = 1.0f, high = 0.0f;
        for (int x = 16; x < 48; ++x) {
            low = std::min(low, image[darkest * gSize + x].r);
            high = std::max(high, image[darkest * gSize + x].r);
        }
        return high - low;
    };
    EXPECT_LT(spread(result), 0.05f * spread(raw)) << "raw spread " << spread(raw);
}

TEST_F(SSAOGLTest, DistantGeometryBehindAnEdgeIsNotDarkened) {
    // A near panel covering the left half, a far wall behind it.
    Surface nearPanel{{0, 0, -1}, {0, 0, 1}, {-10, -10, -1}, {0, 10, -1}};
    Surface farWall{{0, 0, -8}, {0, 0, 1}, {-20, -20, -8}, {20, 20, -8}};
    occlusionOf({nearPanel, farWall});
    float lowest = 1.0f;
    for (int y = 8; y < 56; ++y) {
        for (int x = 32; x < 40; ++x) {
            lowest = std::min(lowest, raw[y * gSize + x].r);
        }
    }
    EXPECT_GT(lowest, 0.85f) << "far wall next to the panel's silhouette";
}
