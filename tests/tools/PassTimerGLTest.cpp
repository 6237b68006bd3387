// PassTimer against a real context: results come back once per frame and in order, only for the
// passes that were bracketed, and misuse (nesting, a missing endFrame, stopping mid-frame) raises
// no GL error. Times themselves are not judged.
#include "GLTestContext.h"

#include "render/PassTimer.h"

#include <gtest/gtest.h>

namespace {

// Some GPU work to time.
void drawSomething() {
    glClearColor(0.2f, 0.3f, 0.4f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

void timedPass(FramePass pass) {
    PassTimer::begin(pass);
    drawSomething();
    PassTimer::end(pass);
}

class PassTimerGLTest : public GLTest {
protected:
    void SetUp() override {
        GLTest::SetUp();
        while (glGetError() != GL_NO_ERROR) {
        }
    }
    void TearDown() override { PassTimer::deactivate(); }
};

} // namespace

TEST_F(PassTimerGLTest, InactiveTimerRecordsNothing) {
    ASSERT_FALSE(PassTimer::isActive());
    PassTimer::beginFrame();
    timedPass(FramePass::Geometry);
    PassTimer::endFrame();
    EXPECT_TRUE(PassTimer::collect(true).empty());
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(PassTimerGLTest, EveryFrameComesBackOnceInOrderWithTheBracketedPasses) {
    PassTimer::activate(3);
    std::vector<FrameGpuTimes> results;
    const int frames = 10;
    for (int frame = 0; frame < frames; ++frame) {
        PassTimer::beginFrame();
        timedPass(FramePass::Geometry);
        if (frame % 2 == 0) {
            timedPass(FramePass::Bloom);
        }
        PassTimer::endFrame();
        for (const FrameGpuTimes& times : PassTimer::collect(false)) {
            results.push_back(times);
        }
        // never more than the ring's latency behind
        EXPECT_GE(static_cast<int>(results.size()), frame + 1 - 4);
    }
    for (const FrameGpuTimes& times : PassTimer::collect(true)) {
        results.push_back(times);
    }
    EXPECT_TRUE(PassTimer::collect(true).empty());
    ASSERT_EQ(results.size(), static_cast<size_t>(frames));
    for (int frame = 0; frame < frames; ++frame) {
        const FrameGpuTimes& times = results[static_cast<size_t>(frame)];
        EXPECT_EQ(times.frame, frame);
        EXPECT_TRUE(times.passRan[static_cast<int>(FramePass::Geometry)]);
        EXPECT_EQ(times.passRan[static_cast<int>(FramePass::Bloom)], frame % 2 == 0);
        EXPECT_FALSE(times.passRan[static_cast<int>(FramePass::SSAO)]);
        EXPECT_FALSE(times.passRan[static_cast<int>(FramePass::ShadowMaps)]);
        EXPECT_GE(times.passMs[static_cast<int>(FramePass::Geometry)], 0.0);
        EXPECT_DOUBLE_EQ(times.passMs[static_cast<int>(FramePass::SSAO)], 0.0);
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(PassTimerGLTest, NestedAndRepeatedBracketsAndMisuseRaiseNoGLError) {
    PassTimer::activate(1);
    PassTimer::beginFrame();
    PassTimer::begin(FramePass::Lighting);
    timedPass(FramePass::Forward); // nested: counted in Lighting
    drawSomething();
    PassTimer::end(FramePass::Lighting);
    timedPass(FramePass::Geometry);
    timedPass(FramePass::Geometry);  // twice in one frame: one summed entry
    PassTimer::end(FramePass::SSAO); // never begun
    PassTimer::endFrame();

    PassTimer::beginFrame(); // frame left open ...
    PassTimer::begin(FramePass::Bloom);
    PassTimer::beginFrame(); // ... closed by the next one, its open pass ended
    PassTimer::endFrame();
    timedPass(FramePass::ShadowMaps); // outside a frame: ignored

    std::vector<FrameGpuTimes> results = PassTimer::collect(true);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    ASSERT_EQ(results.size(), 3u);
    EXPECT_EQ(PassTimer::nestedBrackets(), 1);
    EXPECT_TRUE(results[0].passRan[static_cast<int>(FramePass::Lighting)]);
    EXPECT_FALSE(results[0].passRan[static_cast<int>(FramePass::Forward)]);
    EXPECT_TRUE(results[0].passRan[static_cast<int>(FramePass::Geometry)]);
    EXPECT_FALSE(results[0].passRan[static_cast<int>(FramePass::SSAO)]);
    EXPECT_TRUE(results[1].passRan[static_cast<int>(FramePass::Bloom)]);
    EXPECT_FALSE(results[2].passRan[static_cast<int>(FramePass::ShadowMaps)]);

    // stopping with a pass open, then starting again, leaves a clean state
    PassTimer::beginFrame();
    PassTimer::begin(FramePass::Geometry);
    PassTimer::deactivate();
    EXPECT_FALSE(PassTimer::isActive());
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    PassTimer::activate(2);
    PassTimer::beginFrame();
    timedPass(FramePass::Geometry);
    PassTimer::endFrame();
    std::vector<FrameGpuTimes> restarted = PassTimer::collect(true);
    ASSERT_EQ(restarted.size(), 1u);
    EXPECT_EQ(restarted[0].frame, 0);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}
