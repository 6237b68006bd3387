// TestPipeline: FramePipeline bound to the test window, with the main loop's clear.
#include "TestPipeline.h"

#include "GLTestContext.h"

TestPipeline::TestPipeline(int width, int height)
    : width(width), height(height), pipeline(GLTestContext::window(), width, height) {}

void TestPipeline::frame(double dt) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    pipeline.frame(dt);
}
