// The anti-aliasing pass on the renderer's test scene: it changes only pixels on a strong local
// contrast and only towards their neighbours' luma, at the first size and after a resize; it
// draws into an off-screen output like into the window; the debug views stay as they are.
#include "RenderTestScene.h"

#include "GLTestContext.h"
#include "app/RenderSettings.h"
#include "gpu/Framebuffer.h"
#include "render/Renderer.h"
#include "scene/Scene.h"

#include <algorithm>
#include <string>

using namespace rendertest;

namespace {

// The pass leaves a pixel alone unless it and the 2 x 2 blocks at its corners span at least 1/16
// of the luma range; the 3 x 3 neighbourhood spans at least as much.
const float strongContrast = 255.0f / 16.0f - 1.0f;

struct Image {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgb;

    const unsigned char* at(int x, int y) const {
        x = std::clamp(x, 0, width - 1);
        y = std::clamp(y, 0, height - 1);
        return &rgb[(static_cast<size_t>(y) * width + x) * 3];
    }
    float luma(int x, int y) const {
        const unsigned char* p = at(x, y);
        return 0.299f * p[0] + 0.587f * p[1] + 0.114f * p[2];
    }
};

Image frame(Renderer& renderer, Scene* scene) {
    lookAt(glm::vec3(-1.0f, 7.0f, 6.0f), glm::vec3(1.5f, 0.0f, 0.5f));
    renderFrame(renderer, scene);
    return {renderer.width(), renderer.height(), readPixels(renderer.width(), renderer.height())};
}

// Every pixel the pass changed lies on a strong contrast of the plain frame, and its new luma
// lies within its 3 x 3 neighbourhood's range: it is blended from its surroundings, not moved
// in from elsewhere. Counts the changed pixels.
::testing::AssertionResult changedOnlyAtEdges(const Image& plain, const Image& smoothed,
                                              int& changed) {
    changed = 0;
    for (int y = 0; y < plain.height; ++y) {
        for (int x = 0; x < plain.width; ++x) {
            const unsigned char* before = plain.at(x, y);
            if (std::equal(before, before + 3, smoothed.at(x, y))) {
                continue;
            }
            ++changed;
            float lowest = 255.0f;
            float highest = 0.0f;
            for (int dy = -1; dy <= 1; ++dy) {
                for (int dx = -1; dx <= 1; ++dx) {
                    lowest = std::min(lowest, plain.luma(x + dx, y + dy));
                    highest = std::max(highest, plain.luma(x + dx, y + dy));
                }
            }
            float now = smoothed.luma(x, y);
            if (highest - lowest < strongContrast || now < lowest - 1.0f || now > highest + 1.0f) {
                return ::testing::AssertionFailure()
                       << "pixel (" << x << ", " << y << ") changed to luma " << now
                       << " where its neighbours span " << lowest << ".." << highest;
            }
        }
    }
    return ::testing::AssertionSuccess();
}

} // namespace

class AntiAliasingGLTest : public TestSceneGLTest {};

TEST_F(AntiAliasingGLTest, SmoothsOnlyEdgePixelsWithAndWithoutBloomAndAfterAResize) {
    Renderer renderer(160, 120);
    renderer.init(test.scene->lights);
    for (int size = 0; size < 2; ++size) {
        if (size == 1) {
            renderer.resize(203, 149);
        }
        for (int bloom = 0; bloom < 2; ++bloom) {
            SCOPED_TRACE("size " + std::to_string(renderer.width()) + " bloom " +
                         std::to_string(bloom));
            RenderSettings::bloom = bloom == 1;
            RenderSettings::antiAliasing = false;
            Image plain = frame(renderer, test.scene);
            RenderSettings::antiAliasing = true;
            Image smoothed = frame(renderer, test.scene);
            int changed = 0;
            EXPECT_TRUE(changedOnlyAtEdges(plain, smoothed, changed));
            // the column's and the floor's outlines, a small part of the picture
            EXPECT_GT(changed, 40);
            EXPECT_LT(changed, renderer.width() * renderer.height() / 10);
        }
    }
    saveFramebufferPng("anti-aliasing-on.png", renderer.width(), renderer.height());
}

TEST_F(AntiAliasingGLTest, DrawsIntoAnOffScreenOutputAsIntoTheWindow) {
    const int width = 160;
    const int height = 120;
    Renderer renderer(width, height);
    renderer.init(test.scene->lights);
    std::vector<unsigned char> window = frame(renderer, test.scene).rgb;

    Framebuffer output(width, height);
    output.addTexture(GL_COLOR_ATTACHMENT0, GL_RGBA8, GL_RGBA, GL_UNSIGNED_BYTE, glm::vec4(0.0f),
                      true);
    output.addRenderbuffer();
    renderer.setOutputFramebuffer(output.getId());
    output.bind();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    renderer.setDeltaTime(0.016f);
    renderer.render(test.scene);
    std::vector<unsigned char> offScreen(window.size());
    glBindFramebuffer(GL_READ_FRAMEBUFFER, output.getId());
    glReadBuffer(GL_COLOR_ATTACHMENT0);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, offScreen.data());
    renderer.setOutputFramebuffer(0);
    output.release();
    glBindFramebuffer(GL_FRAMEBUFFER, 0);

    EXPECT_EQ(offScreen, window);
}

TEST_F(AntiAliasingGLTest, DebugViewsShowTheirBuffersUnsmoothed) {
    Renderer renderer(160, 120);
    renderer.init(test.scene->lights);
    for (DebugView view : {DebugView::WorldNormal, DebugView::ShadowCubeMap}) {
        RenderSettings::debugView = view;
        RenderSettings::antiAliasing = false;
        std::vector<unsigned char> plain = frame(renderer, test.scene).rgb;
        RenderSettings::antiAliasing = true;
        EXPECT_EQ(frame(renderer, test.scene).rgb, plain) << debugViewName(view);
    }
}
