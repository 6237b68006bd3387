// Helpers of the GPU resource tests: a float render target, raw GL program building (so the
// tests do not depend on the shader registry) and integer state queries. Scratch directories and
// output capture come from the shared test support.
#pragma once

#include "OutputCapture.h"
#include "ScratchDirectory.h"

#include "gpu/GL.h"

#include <glm/glm.hpp>
#include <gtest/gtest.h>

#include <vector>

// A float RGBA framebuffer of the size, bound with a matching viewport and cleared to 0 while it
// lives; framebuffer 0 is bound again when it goes.
class FloatTarget {
public:
    FloatTarget(int width, int height) : width(width), height(height) {
        glGenTextures(1, &texture);
        glBindTexture(GL_TEXTURE_2D, texture);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA32F, width, height, 0, GL_RGBA, GL_FLOAT, nullptr);
        glGenFramebuffers(1, &fbo);
        glBindFramebuffer(GL_FRAMEBUFFER, fbo);
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture, 0);
        EXPECT_EQ(glCheckFramebufferStatus(GL_FRAMEBUFFER), GLenum(GL_FRAMEBUFFER_COMPLETE));
        glViewport(0, 0, width, height);
        glClearColor(0, 0, 0, 0);
        glClear(GL_COLOR_BUFFER_BIT);
    }
    ~FloatTarget() {
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glDeleteFramebuffers(1, &fbo);
        glDeleteTextures(1, &texture);
    }
    // Every pixel, bottom row first.
    std::vector<glm::vec4> pixels() const {
        std::vector<glm::vec4> result(static_cast<size_t>(width) * height);
        glReadPixels(0, 0, width, height, GL_RGBA, GL_FLOAT, result.data());
        return result;
    }

    int width, height;
    GLuint texture = 0, fbo = 0;
};

inline GLuint compileStage(GLenum type, const char* source) {
    GLuint stage = glCreateShader(type);
    glShaderSource(stage, 1, &source, nullptr);
    glCompileShader(stage);
    GLint compiled = GL_FALSE;
    glGetShaderiv(stage, GL_COMPILE_STATUS, &compiled);
    if (compiled != GL_TRUE) {
        char log[2048] = {};
        glGetShaderInfoLog(stage, sizeof(log), nullptr, log);
        ADD_FAILURE() << "test shader does not compile: " << log;
    }
    return stage;
}

// Attaches both stages to the program and links it; the stage objects stay attached.
inline void linkProgram(GLuint program, GLuint vertexStage, GLuint fragmentStage) {
    glAttachShader(program, vertexStage);
    glAttachShader(program, fragmentStage);
    glLinkProgram(program);
    GLint linked = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &linked);
    if (linked != GL_TRUE) {
        char log[2048] = {};
        glGetProgramInfoLog(program, sizeof(log), nullptr, log);
        ADD_FAILURE() << "test program does not link: " << log;
    }
}

inline GLint getInteger(GLenum name) {
    GLint value = 0;
    glGetIntegerv(name, &value);
    return value;
}
