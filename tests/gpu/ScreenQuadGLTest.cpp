// The shared full-screen quad: one instance with one set of GL objects, a draw that covers every
// pixel of its target exactly once, also with back faces culled, and the overwriting draw that
// ignores what the target held and its depth, and hands the standing state back.
#include "gpu/ScreenQuad.h"

#include "GLTestContext.h"
#include "GpuTestSupport.h"

#include <vector>

namespace {

const char* quadVertexSource = R"(#version 330 core
layout(location = 0) in vec3 position;
void main() { gl_Position = vec4(position, 1.0); }
)";

const char* onesFragmentSource = R"(#version 330 core
out vec4 fragColor;
void main() { fragColor = vec4(1.0); }
)";

class ScreenQuadGLTest : public GLTest {};

// Draws the quad with additive blending into a cleared float target of the size and returns
// every pixel's red channel: 1 where covered once, 0 where missed, 2 where covered twice.
std::vector<float> coverage(int width, int height) {
    FloatTarget target(width, height);
    GLuint vs = compileStage(GL_VERTEX_SHADER, quadVertexSource);
    GLuint fs = compileStage(GL_FRAGMENT_SHADER, onesFragmentSource);
    GLuint program = glCreateProgram();
    linkProgram(program, vs, fs);

    glDisable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE);
    glUseProgram(program);
    ScreenQuad::getInstance()->draw();
    glUseProgram(0);
    glDisable(GL_BLEND);
    glDisable(GL_CULL_FACE);
    glDeleteProgram(program);
    glDeleteShader(vs);
    glDeleteShader(fs);

    std::vector<float> red;
    for (const glm::vec4& pixel : target.pixels()) {
        red.push_back(pixel.r);
    }
    return red;
}

TEST_F(ScreenQuadGLTest, OneInstanceWithOneVertexArrayAndBuffer) {
    ScreenQuad* first = ScreenQuad::getInstance();
    GLuint vao = first->vao;
    GLuint vbo = first->vbo;
    ScreenQuad* second = ScreenQuad::getInstance();
    EXPECT_EQ(first, second);
    EXPECT_EQ(second->vao, vao);
    EXPECT_EQ(second->vbo, vbo);
    EXPECT_TRUE(glIsVertexArray(vao));
    EXPECT_TRUE(glIsBuffer(vbo));
    GLint bytes = 0;
    glBindBuffer(GL_ARRAY_BUFFER, vbo);
    glGetBufferParameteriv(GL_ARRAY_BUFFER, GL_BUFFER_SIZE, &bytes);
    EXPECT_EQ(bytes, 48);
}

TEST_F(ScreenQuadGLTest, DrawLeavesVertexArrayZeroBound) {
    GLuint other = 0;
    glGenVertexArrays(1, &other);
    glBindVertexArray(other);
    std::string output = captureOutput([] { ScreenQuad::getInstance()->draw(); });
    EXPECT_EQ(getInteger(GL_VERTEX_ARRAY_BINDING), 0);
    EXPECT_EQ(countGLErrorLines(output), 0) << output;
    glDeleteVertexArrays(1, &other);
}

TEST_F(ScreenQuadGLTest, CoversEveryPixelExactlyOnceWithBackFacesCulled) {
    const int sizes[][2] = {{1, 1}, {7, 5}, {64, 48}, {33, 65}};
    for (const auto& size : sizes) {
        std::vector<float> red = coverage(size[0], size[1]);
        int wrong = 0;
        for (float value : red) {
            wrong += value != 1.0f ? 1 : 0;
        }
        EXPECT_EQ(wrong, 0) << size[0] << " x " << size[1] << " target";
    }
}

} // namespace

TEST_F(ScreenQuadGLTest, OverwritingDrawReplacesEveryPixelWhateverTheDepthAndRestoresState) {
    const int width = 5;
    const int height = 3;
    FloatTarget target(width, height);
    GLuint depth = 0;
    glGenRenderbuffers(1, &depth);
    glBindRenderbuffer(GL_RENDERBUFFER, depth);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH24_STENCIL8, width, height);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER, depth);
    // Depth 0 hides the quad from a depth test; the colour would show through a half alpha.
    glClearDepth(0.0);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glClearDepth(1.0);
    GLuint vs = compileStage(GL_VERTEX_SHADER, quadVertexSource);
    GLuint fs = compileStage(GL_FRAGMENT_SHADER, R"(#version 330 core
out vec4 fragColor;
void main() { fragColor = vec4(0.8, 0.6, 0.4, 0.5); }
)");
    GLuint program = glCreateProgram();
    linkProgram(program, vs, fs);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);

    glUseProgram(program);
    std::string output = captureOutput([] { ScreenQuad::getInstance()->drawOverwriting(); });
    glUseProgram(0);
    EXPECT_EQ(countGLErrorLines(output), 0) << output;
    for (const glm::vec4& pixel : target.pixels()) {
        EXPECT_EQ(pixel, glm::vec4(0.8f, 0.6f, 0.4f, 0.5f));
    }
    float written = -1.0f;
    glReadPixels(2, 1, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &written);
    EXPECT_EQ(written, 0.0f) << "the overwriting draw writes no depth";
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glIsEnabled(GL_BLEND));

    glDeleteProgram(program);
    glDeleteShader(vs);
    glDeleteShader(fs);
    glDeleteRenderbuffers(1, &depth);
}
