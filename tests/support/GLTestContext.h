// A real OpenGL 3.3 core debug context for GL tests: one hidden window per test program,
// created on first use. Tests derive from GLTest, which fails (never skips) without a context.
#pragma once

#include "gpu/FrameCapture.h"
#include "gpu/GL.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

class GLTestContext {
public:
    // The shared hidden window, opened at 1024 x 768 on the first call the way the program
    // opens its own: context current, GLEW loaded, the program's debug output installed.
    // Null when that failed.
    static GLFWwindow* window();
};

// Without a context the fixture's constructor throws: gtest reports the test as failed with the
// message and runs neither its SetUp nor its TearDown, so no fixture's GL calls meet the missing
// entry points. (An assertion in SetUp would not do: gtest still runs TearDown after it, and a
// derived SetUp carries on after the base's.)
class GLTest : public ::testing::Test {
protected:
    GLTest() {
        if (GLTestContext::window() == nullptr) {
            throw std::runtime_error(
                "No OpenGL 3.3 core context: run the GL tests under xvfb-run or with a display");
        }
    }
};

// Number of debug-output lines of type "Error" in captured standard output.
int countGLErrorLines(const std::string& output);
