// The F8 debug views on the renderer's test scene: every view shows its own picture, the views
// with a known answer show it (normals and positions of known surfaces, the diffuse colour, the
// cube map's cross), and a buffer that was never rendered shows the "no data" stripes instead of
// whatever the driver left in it.
#include "OutputCapture.h"
#include "RenderTestScene.h"

#include "GLTestContext.h"
#include "app/RenderSettings.h"
#include "render/Renderer.h"
#include "scene/Scene.h"

#include <cmath>
#include <cstdlib>
#include <string>

using namespace rendertest;

namespace {

const int width = 160;
const int height = 120;

std::vector<unsigned char> viewFrame(Renderer& renderer, Scene* scene, DebugView view) {
    RenderSettings::debugView = view;
    lookAt(glm::vec3(-1.0f, 7.0f, 6.0f), glm::vec3(1.5f, 0.0f, 0.5f));
    renderFrame(renderer, scene);
    return readPixels(width, height);
}

double meanDifference(const std::vector<unsigned char>& a, const std::vector<unsigned char>& b) {
    double sum = 0.0;
    for (size_t i = 0; i < a.size(); ++i) {
        sum += std::abs(static_cast<int>(a[i]) - static_cast<int>(b[i]));
    }
    return sum / static_cast<double>(a.size());
}

::testing::AssertionResult near(glm::vec3 actual, glm::vec3 expected, float tolerance) {
    glm::vec3 gap = glm::abs(actual - expected);
    if (gap.x <= tolerance && gap.y <= tolerance && gap.z <= tolerance) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure()
           << "(" << actual.x << ", " << actual.y << ", " << actual.z << ") instead of ("
           << expected.x << ", " << expected.y << ", " << expected.z << ")";
}

// The "no data" pattern: only the two stripe greys.
bool striped(const std::vector<unsigned char>& pixels) {
    bool dark = false;
    bool light = false;
    for (unsigned char value : pixels) {
        dark = dark || std::abs(value - 46) <= 1;
        light = light || std::abs(value - 82) <= 1;
        if (std::abs(value - 46) > 1 && std::abs(value - 82) > 1) {
            return false;
        }
    }
    return dark && light;
}

} // namespace

class DebugViewGLTest : public TestSceneGLTest {};

TEST_F(DebugViewGLTest, EveryViewShowsItsOwnBufferReadably) {
    Renderer renderer(width, height);
    renderer.init(test.scene->lights);
    OutputCapture capture;
    std::vector<std::vector<unsigned char>> frames;
    for (int i = 0; i < kDebugViewCount; ++i) {
        frames.push_back(viewFrame(renderer, test.scene, static_cast<DebugView>(i)));
    }
    std::string output = capture.finish();
    EXPECT_EQ(countGLErrorLines(output), 0) << output;

    for (int a = 0; a < kDebugViewCount; ++a) {
        for (int b = a + 1; b < kDebugViewCount; ++b) {
            EXPECT_GT(meanDifference(frames[a], frames[b]), 2.0)
                << debugViewName(static_cast<DebugView>(a)) << " looks like "
                << debugViewName(static_cast<DebugView>(b));
        }
    }
    auto at = [&](DebugView view, glm::vec3 world) {
        return colorAt(frames[static_cast<int>(view)], width, project(world, width, height));
    };
    // Normals as 0.5 + 0.5 n: the floor faces +y, the column's near side +z.
    EXPECT_TRUE(near(at(DebugView::WorldNormal, untintedPoint), {128, 255, 128}, 3));
    EXPECT_TRUE(near(at(DebugView::WorldNormal, {1.3f, 1.25f, 0.3f}), {128, 128, 255}, 3));
    // Positions repeat their colours every 8 units: (-3, 0, 3) is (5/8, 0, 3/8).
    EXPECT_TRUE(near(at(DebugView::WorldPosition, untintedPoint), {159, 0, 96}, 8));
    EXPECT_TRUE(near(at(DebugView::DiffuseColor, untintedPoint), {178, 178, 178}, 3));
    glm::vec3 occlusion = at(DebugView::AmbientOcclusion, untintedPoint);
    EXPECT_TRUE(occlusion.r == occlusion.g && occlusion.g == occlusion.b && occlusion.r > 100);
    // The cross of 40-pixel faces fills the 160 x 120 output: the -y face under the front one
    // looks straight down from the light at (0, 3, 0) onto the floor 3 units below:
    // 1 - sqrt(3 / 30). Beside it the output stays black.
    const std::vector<unsigned char>& cube = frames[static_cast<int>(DebugView::ShadowCubeMap)];
    EXPECT_TRUE(near(colorAt(cube, width, {60, 20}), glm::vec3(174), 4));
    EXPECT_TRUE(near(colorAt(cube, width, {10, 10}), glm::vec3(0), 0));
    EXPECT_FALSE(striped(cube));
}

TEST_F(DebugViewGLTest, ABufferNeverRenderedShowsStripesAndASwitchedOffOneItsLastFrame) {
    RenderSettings::ssao = false;
    RenderSettings::bloom = false;
    Renderer renderer(width, height);
    renderer.init(test.scene->lights);
    EXPECT_TRUE(striped(viewFrame(renderer, test.scene, DebugView::AmbientOcclusion)));
    EXPECT_TRUE(striped(viewFrame(renderer, test.scene, DebugView::Bloom)));

    RenderSettings::ssao = true;
    std::vector<unsigned char> rendered =
        viewFrame(renderer, test.scene, DebugView::AmbientOcclusion);
    EXPECT_TRUE(renderer.viewIsCurrent(DebugView::AmbientOcclusion));
    RenderSettings::ssao = false;
    EXPECT_EQ(viewFrame(renderer, test.scene, DebugView::AmbientOcclusion), rendered);
    EXPECT_TRUE(renderer.viewHasData(DebugView::AmbientOcclusion));
    EXPECT_FALSE(renderer.viewIsCurrent(DebugView::AmbientOcclusion));

    // A new size starts without a rendered occlusion again.
    renderer.resize(width, height - 1);
    renderer.resize(width, height);
    EXPECT_TRUE(striped(viewFrame(renderer, test.scene, DebugView::AmbientOcclusion)));
}
