// A real OpenGL 3.3 core debug context for GL tests: one hidden window per test program,
// created on first use. Tests derive from GLTest, which fails (never skips) without a context.
#pragma once

#include "gpu/FrameCapture.h"
#include "gpu/GL.h"

#include <gtest/gtest.h>

#include <string>

class GLTestContext {
public:
    // The shared hidden window, opened at 1024 x 768 on the first call the way the program
    // opens its own: context current, GLEW loaded, the program's debug output installed.
    // Null when that failed.
    static GLFWwindow* window();
};

class GLTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(GLTestContext::window(), nullptr)
            << "No OpenGL 3.3 core context: run the GL tests under xvfb-run or with a display";
    }
};

// Number of debug-output lines of type "Error" in captured standard output.
int countGLErrorLines(const std::string& output);
