// The generated cathedral as the tour shows it, through the program's own frame pipeline with
// every switch on: no pixel of any sampled frame falls through the shell to the sky. The panes
// join the geometry pass for the check, so "no geometry" is a zero normal in the G-buffer.
#include "GLTestContext.h"
#include "StartSwitches.h"
#include "TestPipeline.h"

#include "render/Renderer.h"
#include "scene/Scene.h"

#include <algorithm>
#include <vector>

namespace {

const int width = 1024;
const int height = 768;

// Tour times (seconds as shown) of the sampled frames: every few seconds, and the two views
// that look along the crossing's springing line at its corners.
std::vector<double> sampledTourTimes() {
    std::vector<double> times = {77.0, 83.0};
    for (double t = 1.0; t < 110.0; t += 6.0) {
        times.push_back(t);
    }
    std::sort(times.begin(), times.end());
    return times;
}

// Every effect on and the full light mode (a cycle's first state).
void switchEverythingOn() {
    for (const KeySwitch* keySwitch : frameSwitches()) {
        keySwitch->setting.set(keySwitch->isOnOff() ? 1 : 0);
    }
}

// Pixels of the last frame that no surface covers: the G-buffer's normal is zero there.
std::vector<int> skyPixels(const Renderer& renderer) {
    std::vector<float> normals(size_t(width) * height * 4);
    glBindTexture(GL_TEXTURE_2D, renderer.gBuffer.getTexture(GL_COLOR_ATTACHMENT1));
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_FLOAT, normals.data());
    glBindTexture(GL_TEXTURE_2D, 0);
    std::vector<int> sky;
    for (int i = 0; i < width * height; ++i) {
        const float* n = &normals[size_t(i) * 4];
        if (n[0] == 0.0f && n[1] == 0.0f && n[2] == 0.0f) {
            sky.push_back(i);
        }
    }
    return sky;
}

class TourFramesGLTest : public GLTest {
protected:
    void TearDown() override { restoreStartSwitches(); }
};

TEST_F(TourFramesGLTest, NoSkyPixelInTourFramesWithAllSwitchesOn) {
    switchEverythingOn();
    TestPipeline pipeline(width, height);
    Scene& scene = *pipeline.pipeline.scene;
    ASSERT_FALSE(scene.transparentObjects.empty()) << "the windows did not load";
    scene.opaqueObjects.insert(scene.opaqueObjects.end(), scene.transparentObjects.begin(),
                               scene.transparentObjects.end());
    scene.transparentObjects.clear();

    double shown = 0.0;
    for (double t : sampledTourTimes()) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        pipeline.pipeline.frame(t - shown, 1.0 / 60.0);
        shown = t;
        std::vector<int> sky = skyPixels(*pipeline.pipeline.renderer);
        EXPECT_TRUE(sky.empty()) << sky.size() << " sky pixels at tour time " << t
                                 << " s, the first at (" << sky.front() % width << ", "
                                 << height - 1 - sky.front() / width << ") from the top left";
    }
    ASSERT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

} // namespace
