// Billboards: facing the camera by yaw only, and a real draw of a test GIF into a small
// two-target framebuffer (flame colour and glow, upright, transparent parts discarded).
#include "GLTestContext.h"
#include "OutputCapture.h"
#include "ScratchDirectory.h"
#include "TestGif.h"
#include "gpu/ShaderManager.h"
#include "render/AnimatedTextureTechnique.h"
#include "render/Billboard.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
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

} // namespace

// Facing keeps the position and replaces rotation and scale by a turn of -yaw about y.
TEST_F(BillboardTest, OrientFollowsTheCameraYawOnly) {
    Billboard billboard;
    billboard.translate(glm::vec3(2.0f, 1.5f, -3.0f));
    billboard.modelMatrix[0] *= 4.0f;
    for (glm::vec3 rotation : {glm::vec3(30, 90, 0), glm::vec3(-60, 30, 12)}) {
        const float yaw = rotation.y * 3.14159265f / 180.0f;
        billboard.orient(rotation);
        glm::mat4 expected(1.0f);
        expected[0] = glm::vec4(std::cos(yaw), 0, std::sin(yaw), 0);
        expected[2] = glm::vec4(-std::sin(yaw), 0, std::cos(yaw), 0);
        expected[3] = glm::vec4(2.0f, 1.5f, -3.0f, 1.0f);
        expectNear(billboard.modelMatrix, expected);
    }
}

// The quad fills the middle half of the target. The page is, bottom to top, transparent, blue,
// red, transparent: red must appear above blue and the transparent rows must stay clear.
TEST_F(BillboardTest, RendersTheCurrentPageUprightWithGlowAndDiscardsTransparency) {
    ScratchDirectory scratch;
    const std::string gif = scratch.file("billboard.gif");
    ASSERT_TRUE(writeTestGif(
        gif,
        {{{4, 0, 0, 0, true}, {4, 0, 0, 255, false}, {4, 255, 0, 0, false}, {4, 0, 0, 0, true}}},
        16));
    OutputCapture capture;
    Billboard billboard;
    billboard.setAnimatedTexture(gif);
    GLuint fbo = 0, targets[2] = {0, 0};
    glGenFramebuffers(1, &fbo);
    glBindFramebuffer(GL_FRAMEBUFFER, fbo);
    glGenTextures(2, targets);
    for (int i = 0; i < 2; ++i) {
        glBindTexture(GL_TEXTURE_2D, targets[i]);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, size, size, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0 + i, GL_TEXTURE_2D, targets[i],
                               0);
    }
    const GLenum buffers[] = {GL_COLOR_ATTACHMENT0, GL_COLOR_ATTACHMENT1};
    glDrawBuffers(2, buffers);
    glViewport(0, 0, size, size);
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT);
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);

    billboard.orient(glm::vec3(0.0f)); // facing +z, towards a camera looking down -z
    billboard.render(glm::mat4(1.0f), 0.016f);
    GLint program = -1, vertexArray = -1;
    glGetIntegerv(GL_CURRENT_PROGRAM, &program);
    glGetIntegerv(GL_VERTEX_ARRAY_BINDING, &vertexArray);
    EXPECT_EQ(program, 0);
    EXPECT_EQ(vertexArray, 0);

    std::vector<unsigned char> color(size * size * 4), glow(size * size * 4);
    glReadBuffer(GL_COLOR_ATTACHMENT1);
    glReadPixels(0, 0, size, size, GL_RGBA, GL_UNSIGNED_BYTE, glow.data());
    glReadBuffer(GL_COLOR_ATTACHMENT0);
    glReadPixels(0, 0, size, size, GL_RGBA, GL_UNSIGNED_BYTE, color.data());
    saveFramebufferPng("billboard-render.png", size, size);
    auto at = [](std::vector<unsigned char>& pixels, int x, int y) {
        return &pixels[(y * size + x) * 4];
    };
    EXPECT_GT(at(color, 32, 28)[2], 200) << "blue band below";
    EXPECT_GT(at(color, 32, 36)[0], 200) << "red band above";
    EXPECT_GT(at(color, 32, 36)[3], 200);
    EXPECT_LT(at(color, 32, 36)[2], 30);
    EXPECT_GT(at(glow, 32, 36)[0], 100) << "the flame must glow";
    EXPECT_GT(at(glow, 32, 36)[3], 200);
    for (glm::ivec2 clear : {glm::ivec2(32, 4), glm::ivec2(32, 20), glm::ivec2(32, 44),
                             glm::ivec2(8, 32), glm::ivec2(56, 32)}) {
        EXPECT_EQ(at(color, clear.x, clear.y)[3], 0) << clear.x << "," << clear.y;
        EXPECT_EQ(at(glow, clear.x, clear.y)[3], 0) << clear.x << "," << clear.y;
    }

    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glDeleteTextures(2, targets);
    glDeleteFramebuffers(1, &fbo);
    glEnable(GL_DEPTH_TEST);
    const std::string output = capture.finish();
    EXPECT_EQ(countGLErrorLines(output), 0) << output;
    AnimatedTextureTechnique::deleteAll();
}
