// Billboards: the quad's buffers, facing the camera by yaw only, and a real draw of a test GIF
// into a small two-target framebuffer (flame colour and glow, transparent parts discarded).
#include "GLTestContext.h"
#include "TestGif.h"
#include "gpu/ShaderManager.h"
#include "render/AnimatedTextureTechnique.h"
#include "render/Billboard.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

const int size = 64;

class BillboardTest : public GLTest {
protected:
    static void SetUpTestSuite() {
        if (GLTestContext::window() != nullptr) {
            ShaderManager::loadShaders();
        }
    }
};

void expectNear(const glm::mat4& actual, const glm::mat4& expected) {
    for (int c = 0; c < 4; ++c) {
        for (int r = 0; r < 4; ++r) {
            EXPECT_NEAR(actual[c][r], expected[c][r], 1e-5f) << "column " << c << " row " << r;
        }
    }
}

// A framebuffer with two RGBA8 colour targets cleared to transparent black.
struct TwoTargets {
    GLuint fbo = 0;
    GLuint textures[2] = {0, 0};

    TwoTargets() {
        glGenFramebuffers(1, &fbo);
        glBindFramebuffer(GL_FRAMEBUFFER, fbo);
        glGenTextures(2, textures);
        for (int i = 0; i < 2; ++i) {
            glBindTexture(GL_TEXTURE_2D, textures[i]);
            glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, size, size, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                         nullptr);
            glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0 + i, GL_TEXTURE_2D,
                                   textures[i], 0);
        }
        const GLenum buffers[] = {GL_COLOR_ATTACHMENT0, GL_COLOR_ATTACHMENT1};
        glDrawBuffers(2, buffers);
        glViewport(0, 0, size, size);
        glClearColor(0, 0, 0, 0);
        glClear(GL_COLOR_BUFFER_BIT);
    }
    ~TwoTargets() {
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glDeleteTextures(2, textures);
        glDeleteFramebuffers(1, &fbo);
    }
    std::vector<unsigned char> read(int target) {
        std::vector<unsigned char> pixels(size * size * 4);
        glReadBuffer(GL_COLOR_ATTACHMENT0 + target);
        glReadPixels(0, 0, size, size, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
        return pixels;
    }
};

const unsigned char* pixel(const std::vector<unsigned char>& pixels, int x, int y) {
    return &pixels[(y * size + x) * 4];
}

} // namespace

TEST_F(BillboardTest, BuildsAUnitQuadAndLeavesItsVertexArrayBound) {
    Billboard billboard;
    EXPECT_EQ(billboard.shader, ShaderManager::getShader("billBoardShader"));
    EXPECT_EQ(billboard.animatedTexture, nullptr);
    EXPECT_TRUE(billboard.meshes.empty());
    ASSERT_NE(billboard.vao, 0u);
    GLint bound = 0;
    glGetIntegerv(GL_VERTEX_ARRAY_BINDING, &bound);
    EXPECT_EQ(static_cast<GLuint>(bound), billboard.vao);
    glBindBuffer(GL_ARRAY_BUFFER, billboard.vbo);
    GLint bytes = 0;
    glGetBufferParameteriv(GL_ARRAY_BUFFER, GL_BUFFER_SIZE, &bytes);
    EXPECT_EQ(bytes, 48);
    std::vector<float> corners(12);
    glGetBufferSubData(GL_ARRAY_BUFFER, 0, 48, corners.data());
    const std::vector<float> expected = {-0.5f, -0.5f, 0, 0.5f, -0.5f, 0,
                                         -0.5f, 0.5f,  0, 0.5f, 0.5f,  0};
    EXPECT_EQ(corners, expected);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindVertexArray(0);
}

// Facing the camera keeps the position and replaces rotation and scale by a turn of -yaw.
TEST_F(BillboardTest, OrientFollowsTheCameraYawOnly) {
    Billboard billboard;
    billboard.translate(glm::vec3(2.0f, 1.5f, -3.0f));
    billboard.modelMatrix[0] *= 4.0f; // a scale that orient must discard
    billboard.orient(glm::vec3(30.0f, 90.0f, 0.0f));
    glm::mat4 expected(1.0f);
    // rotation by -90 degrees about y: x axis -> +z, z axis -> -x
    expected[0] = glm::vec4(0, 0, 1, 0);
    expected[2] = glm::vec4(-1, 0, 0, 0);
    expected[3] = glm::vec4(2.0f, 1.5f, -3.0f, 1.0f);
    expectNear(billboard.modelMatrix, expected);

    const float yaw = 30.0f * 3.14159265f / 180.0f;
    billboard.orient(glm::vec3(-60.0f, 30.0f, 12.0f));
    expected[0] = glm::vec4(std::cos(yaw), 0, std::sin(yaw), 0);
    expected[2] = glm::vec4(-std::sin(yaw), 0, std::cos(yaw), 0);
    expectNear(billboard.modelMatrix, expected);
}

// The quad fills the middle half of the target. The page is (bottom to top) transparent, blue,
// red, transparent: the image's top must appear at the top and transparent rows must stay clear.
TEST_F(BillboardTest, RendersTheCurrentPageUprightWithGlowAndDiscardsTransparency) {
    const std::filesystem::path gif =
        std::filesystem::temp_directory_path() / ("billboard-" + std::to_string(getpid()) + ".gif");
    ASSERT_TRUE(writeTestGif(
        gif.string(),
        {{{4, 0, 0, 0, true}, {4, 0, 0, 255, false}, {4, 255, 0, 0, false}, {4, 0, 0, 0, true}}},
        16));
    testing::internal::CaptureStdout();
    Billboard billboard;
    billboard.setAnimatedTexture(gif.string());
    ASSERT_NE(billboard.animatedTexture, nullptr);
    ASSERT_EQ(billboard.animatedTexture->frameCount, 1);
    {
        TwoTargets targets;
        glDisable(GL_DEPTH_TEST);
        glDisable(GL_CULL_FACE);
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        billboard.orient(glm::vec3(0.0f)); // facing +z, towards a camera looking down -z
        billboard.render(glm::mat4(1.0f), 0.016f);

        GLint program = -1;
        GLint vertexArray = -1;
        glGetIntegerv(GL_CURRENT_PROGRAM, &program);
        glGetIntegerv(GL_VERTEX_ARRAY_BINDING, &vertexArray);
        EXPECT_EQ(program, 0);
        EXPECT_EQ(vertexArray, 0);

        const std::vector<unsigned char> color = targets.read(0);
        const std::vector<unsigned char> glow = targets.read(1);
        glReadBuffer(GL_COLOR_ATTACHMENT0);
        GLTestContext::writeFramebufferPng("billboard-render.png", size, size);

        const unsigned char* blue = pixel(color, 32, 28);
        const unsigned char* red = pixel(color, 32, 36);
        EXPECT_GT(blue[2], 200);
        EXPECT_LT(blue[0], 30);
        EXPECT_GT(red[0], 200);
        EXPECT_LT(red[2], 30);
        EXPECT_GT(red[3], 200);
        for (int y : {4, 20, 44, 60}) {
            const unsigned char* clear = pixel(color, 32, y);
            EXPECT_EQ(clear[0] + clear[1] + clear[2] + clear[3], 0) << "row " << y;
            const unsigned char* noGlow = pixel(glow, 32, y);
            EXPECT_EQ(noGlow[0] + noGlow[1] + noGlow[2] + noGlow[3], 0) << "row " << y;
        }
        EXPECT_EQ(pixel(color, 8, 32)[3], 0) << "left of the quad";
        EXPECT_EQ(pixel(color, 56, 32)[3], 0) << "right of the quad";
        EXPECT_GT(pixel(glow, 32, 36)[0], 100) << "the flame must glow";
        EXPECT_GT(pixel(glow, 32, 36)[3], 200);
        glEnable(GL_DEPTH_TEST);
        glEnable(GL_CULL_FACE);
    }
    const std::string output = testing::internal::GetCapturedStdout();
    EXPECT_EQ(countGLErrorLines(output), 0) << output;
    AnimatedTextureTechnique::deleteAll();
    std::filesystem::remove(gif);
}
