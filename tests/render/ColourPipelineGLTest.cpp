// The colour pipeline end to end: a known albedo under a known light reaches the output as the
// sRGB value of the tone-mapped radiance, the ambient term is the albedo times the baked probes'
// light, bloom changes only the surroundings of bright parts, and at the tour's resting view the
// chandeliers, not the ambient term, make the picture.
#include "RenderTestScene.h"
#include "StartSwitches.h"

#include "GLTestContext.h"
#include "OutputCapture.h"
#include "app/RenderSettings.h"
#include "gpu/Mesh.h"
#include "gpu/ShaderManager.h"
#include "gpu/Tunables.h"
#include "render/IndirectLightProbes.h"
#include "render/Renderer.h"
#include "scene/Camera.h"
#include "scene/CameraPathAnimation.h"
#include "scene/IrradianceProbeGrid.h"
#include "scene/Light.h"
#include "scene/Scene.h"
#include "scene/SceneObject.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iomanip>
#include <sstream>

using namespace rendertest;

namespace {

const int width = 160;
const int height = 120;

class ColourPipelineGLTest : public GLTest {
protected:
    static void SetUpTestSuite() {
        if (GLTestContext::window()) {
            ShaderManager::loadShaders();
        }
    }
    void SetUp() override {
        GLTest::SetUp();
        restoreStartSwitches();
    }
    void TearDown() override {
        restoreStartSwitches();
        resetTunables();
    }
};

// Sets the tunable `name` for the frames that follow.
void tune(const char* name, float value) {
    setTunable(*findTunable(name), value);
}

} // namespace

// The test scene reduced to a mid-grey floor (sRGB 0.5) under the light at (0, 3, 0), seen from
// above: nothing shadows or occludes it. Restores the scene when it goes.
class GreyFloor {
public:
    GreyFloor() : test(buildTestScene()) {
        grey = makeMesh(quadTriangles({-5, 0, 5}, {5, 0, 5}, {5, 0, -5}, {-5, 0, -5}),
                        glm::vec4(0.5f, 0.5f, 0.5f, 1.0f));
        shapes = test.scene->opaqueObjects[0]->meshes;
        test.scene->opaqueObjects[0]->meshes = {grey};
        others.assign(test.scene->opaqueObjects.begin() + 1, test.scene->opaqueObjects.end());
        test.scene->opaqueObjects.resize(1);
        RenderSettings::ssao = false;
        RenderSettings::omnidirectionalShadows = false;
        RenderSettings::transparentObjects = false;
        lookAt(glm::vec3(0.0f, 2.0f, 0.5f), glm::vec3(0.0f, 0.0f, 0.0f));
    }
    ~GreyFloor() {
        test.scene->opaqueObjects[0]->meshes = shapes;
        test.scene->opaqueObjects.insert(test.scene->opaqueObjects.end(), others.begin(),
                                         others.end());
        delete grey;
        releaseTestScene(test);
    }
    // The floor's pixel straight below the camera.
    glm::ivec2 below() const { return project(glm::vec3(0.0f), width, height); }

    TestScene test;

private:
    Mesh* grey = nullptr;
    std::vector<Mesh*> shapes;
    std::vector<SceneObject*> others;
};

// Gives the renderer's ambient term a probe grid over the test scene whose every probe holds
// `light` and `direction` (the same light everywhere).
void useUniformProbes(Renderer& renderer, glm::vec3 light, glm::vec3 direction) {
    IrradianceProbeGrid grid(glm::ivec3(4), glm::vec3(-6.0f), 4.0f);
    for (IrradianceProbeGrid::Probe& probe : grid.probes) {
        probe = {light, direction, 1.0f};
    }
    std::string path = ::testing::TempDir() + "/uniform.probes";
    ASSERT_TRUE(grid.write(path));
    delete renderer.indirectLight;
    renderer.indirectLight = new IndirectLightProbes(path);
}

// The lit radiance at a pixel, read back from the HDR buffer (bloom on).
glm::vec3 radianceAt(const Renderer& renderer, glm::ivec2 pixel) {
    std::vector<float> texels(width * height * 3);
    glBindTexture(GL_TEXTURE_2D, renderer.hdrBuffer.getTexture(GL_COLOR_ATTACHMENT0));
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_FLOAT, texels.data());
    const float* t = &texels[3 * (pixel.y * width + pixel.x)];
    return glm::vec3(t[0], t[1], t[2]);
}

TEST_F(ColourPipelineGLTest, DecodeAndEncodeFollowTheExactCurvesAtEvery8BitCode) {
    // Per code c: the shared decode of c, and the shared encode of c's exact linear value.
    std::vector<glm::vec4> curves = evaluateGlsl(
        "void main() {\n"
        "    float c = (gl_FragCoord.x - 0.5) / 255.0;\n"
        "    float x = c <= 0.04045 ? c / 12.92 : pow((c + 0.055) / 1.055, 2.4);\n"
        "    result = vec4(srgbToLinear(vec3(c)).r, linearToSrgb(vec3(x)).r, x, 0.0);\n"
        "}\n",
        256);
    for (int code = 0; code < 256; ++code) {
        float c = static_cast<float>(code) / 255.0f;
        float exact = srgbToLinear(c);
        // The decode within 0.25 % of the exact value in relative terms, the encode within 0.4
        // of a step, so every code comes back as itself.
        EXPECT_NEAR(curves[code].r, exact, 2.5e-3f * exact + 1e-7f) << "decode of code " << code;
        EXPECT_NEAR(curves[code].g, linearToSrgb(curves[code].b), 0.4f / 255.0f)
            << "encode of code " << code;
        EXPECT_EQ(std::lround(curves[code].g * 255.0f), code);
    }
}

TEST_F(ColourPipelineGLTest, OutputIsDitheredToWithinOneStepAndKeepsTheMeanOfAFlatArea) {
    TestScene test = buildTestScene();
    // The floor beyond z = 0.5 in ambient light only: one radiance everywhere, between two codes.
    RenderSettings::lightMode = AMBIENT;
    RenderSettings::ssao = false;
    RenderSettings::transparentObjects = false;
    RenderSettings::antiAliasing = false;
    Renderer renderer(width, height);
    renderer.init(test.scene->lights);
    useUniformProbes(renderer, glm::vec3(0.025f), glm::vec3(0.0f));
    lookAt(glm::vec3(0.0f, 5.0f, 6.0f), glm::vec3(0.0f, 0.0f, 2.5f));
    renderFrame(renderer, test.scene);
    std::vector<unsigned char> output = readPixels(width, height);
    std::vector<glm::vec4> radiance(width * height);
    std::vector<glm::vec4> position(width * height);
    glBindTexture(GL_TEXTURE_2D, renderer.hdrBuffer.getTexture(GL_COLOR_ATTACHMENT0));
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_FLOAT, radiance.data());
    glBindTexture(GL_TEXTURE_2D, renderer.gBuffer.getTexture(GL_COLOR_ATTACHMENT0));
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_FLOAT, position.data());
    releaseTestScene(test);

    // What the output would hold without rounding, in 8-bit steps: the shared conversion of the
    // floor's radiance, evaluated like the shaders do (it is one value all over).
    std::vector<int> floor;
    for (int i = 0; i < width * height; ++i) {
        if (position[i].w == 1.0f && position[i].y == 0.0f && position[i].z > 0.5f) {
            floor.push_back(i);
        }
    }
    ASSERT_GT(floor.size(), size_t(width * height / 10));
    std::ostringstream value;
    value << std::setprecision(9) << radiance[floor[0]].g;
    std::string probe =
        "void main() { result = vec4(radianceToDisplay(vec3(" + value.str() + ")), 0.0); }";
    float exact = evaluateGlsl(probe, 1)[0].g * 255.0f;
    double offset = 0.0;
    for (int i : floor) {
        ASSERT_EQ(radiance[i].g, radiance[floor[0]].g);
        float error = output[3 * i + 1] - exact;
        ASSERT_LT(std::fabs(error), 1.0f) << "pixel " << i % width << ", " << i / width;
        offset += error;
    }
    float fraction = exact - std::floor(exact);
    ASSERT_GT(std::min(fraction, 1.0f - fraction), 0.2f) << "rounding alone would keep the mean";
    EXPECT_NEAR(offset / floor.size(), 0.0, 0.1)
        << "mean of " << floor.size() << " pixels, each " << exact;
}

// At the start exposure and at another one set live (toneMap reads the exposure in use).
TEST_F(ColourPipelineGLTest, MidGreyAlbedoUnderAKnownLightGivesTheExpectedSrgbValue) {
    GreyFloor floor;
    TestScene& test = floor.test;
    Renderer renderer(width, height);
    renderer.init(test.scene->lights);
    glm::ivec2 below = floor.below();
    for (float exposure : {findTunable("exposure")->start, 0.7f}) {
        SCOPED_TRACE("exposure " + std::to_string(exposure));
        tune("exposure", exposure);
        RenderSettings::lightMode = AMBIENT;
        renderFrame(renderer, test.scene);
        glm::vec3 ambient = colorAt(readPixels(width, height), width, below) / 255.0f;
        RenderSettings::lightMode = AMBIENT_DIFFUSE;
        const Light& light = *test.scene->lights[0];
        float attenuation = 1.0f / (1.0f + light.linear * 3.0f + light.quadratic * 9.0f);
        for (bool bloom : {true, false}) {
            RenderSettings::bloom = bloom;
            renderFrame(renderer, test.scene);
            glm::vec3 lit = colorAt(readPixels(width, height), width, below) / 255.0f;
            for (int c = 0; c < 3; ++c) {
                // What the ambient term gave, plus the light straight above at distance 3.
                float radiance = inverseToneMap(srgbToLinear(ambient[c])) +
                                 srgbToLinear(0.5f) * light.color[c] * attenuation;
                EXPECT_NEAR(lit[c], linearToSrgb(toneMap(radiance)), 1.0f / 255.0f)
                    << "channel " << c << (bloom ? " through the HDR buffer" : " straight out");
            }
        }
    }
}

// The ambient term is the albedo times the baked light for the surface's normal: a probe grid
// whose every probe holds light l and direction d gives the upward-facing floor exactly
// albedo l (1 + d.y), read back as radiance, scaled by the tunable indirect-strength. A damaged
// probe file prints one line naming it and leaves the constant share ambient-strength of the
// albedo (0.025 at the start).
TEST_F(ColourPipelineGLTest, AmbientTermIsTheAlbedoTimesTheBakedLightOrTheConstantWithout) {
    GreyFloor floor;
    RenderSettings::lightMode = AMBIENT;
    Renderer renderer(width, height);
    renderer.init(floor.test.scene->lights);
    const glm::vec3 light(0.10f, 0.20f, 0.30f);
    const glm::vec3 direction(0.3f, 0.5f, -0.2f);
    useUniformProbes(renderer, light, direction);
    float albedo = srgbToLinear(0.5f);
    for (float strength : {1.0f, 2.5f}) {
        tune("indirect-strength", strength);
        renderFrame(renderer, floor.test.scene);
        glm::vec3 baked = radianceAt(renderer, floor.below());
        for (int c = 0; c < 3; ++c) {
            float expected = strength * albedo * light[c] * (1.0f + direction.y);
            EXPECT_NEAR(baked[c], expected, 0.01f * expected)
                << "channel " << c << " at " << strength;
        }
    }

    std::string path = ::testing::TempDir() + "/damaged.probes";
    std::ofstream(path, std::ios::binary) << "CATHPRB2 cut short";
    OutputCapture capture;
    delete renderer.indirectLight;
    renderer.indirectLight = new IndirectLightProbes(path);
    renderFrame(renderer, floor.test.scene);
    std::string output = capture.finish();
    EXPECT_EQ(std::count(output.begin(), output.end(), '\n'), 1) << output;
    EXPECT_NE(output.find("Indirect light: " + path), std::string::npos) << output;
    glm::vec3 constant = radianceAt(renderer, floor.below());
    for (int c = 0; c < 3; ++c) {
        EXPECT_NEAR(constant[c], albedo * 0.025f, 0.01f * albedo * 0.025f) << "channel " << c;
    }
    tune("ambient-strength", 0.1f);
    renderFrame(renderer, floor.test.scene);
    EXPECT_NEAR(radianceAt(renderer, floor.below()).g, albedo * 0.1f, 0.001f);
}

TEST_F(ColourPipelineGLTest, BloomOffLeavesPixelsAwayFromBrightPartsUnchanged) {
    TestScene test = buildTestScene();
    Renderer renderer(width, height);
    renderer.init(test.scene->lights);
    // Without anti-aliasing: its edge threshold can turn a rounding step between the two
    // frames into a pixel smoothed in one and not in the other.
    RenderSettings::antiAliasing = false;
    // The flame at (0.5, 1, 2) in view, with the lit floor and column around it.
    lookAt(glm::vec3(-1.0f, 3.0f, 6.0f), glm::vec3(0.5f, 1.0f, 2.0f));
    renderFrame(renderer, test.scene);
    std::vector<unsigned char> withBloom = readPixels(width, height);
    std::vector<float> bright(width * height * 3);
    glBindTexture(GL_TEXTURE_2D, renderer.hdrBuffer.getTexture(GL_COLOR_ATTACHMENT1));
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_FLOAT, bright.data());
    RenderSettings::bloom = false;
    renderFrame(renderer, test.scene);
    std::vector<unsigned char> withoutBloom = readPixels(width, height);

    // The glow reaches 10 blur taps at half size from a bright pixel: 20 pixels here.
    const int reach = 22;
    int brightPixels = 0;
    std::vector<bool> nearBright(width * height, false);
    for (int i = 0; i < width * height; ++i) {
        if (std::max({bright[3 * i], bright[3 * i + 1], bright[3 * i + 2]}) <= 0.0f) {
            continue;
        }
        ++brightPixels;
        int x = i % width, y = i / width;
        for (int v = std::max(0, y - reach); v <= std::min(height - 1, y + reach); ++v) {
            for (int u = std::max(0, x - reach); u <= std::min(width - 1, x + reach); ++u) {
                nearBright[v * width + u] = true;
            }
        }
    }
    ASSERT_GT(brightPixels, 0) << "the flame feeds the glow";
    int far = 0;
    for (int i = 0; i < width * height; ++i) {
        if (nearBright[i]) {
            continue;
        }
        ++far;
        for (int c = 0; c < 3; ++c) {
            ASSERT_LE(std::abs(withBloom[3 * i + c] - withoutBloom[3 * i + c]), 2)
                << "pixel " << i % width << ", " << i / width;
        }
    }
    EXPECT_GT(far, width * height / 4);
    releaseTestScene(test);
}

TEST_F(ColourPipelineGLTest, ChandeliersNotTheAmbientTermLightTheRestingView) {
    if (!std::ifstream("Assets/sibenik-cathedral-vray-noWindows.obj").good()) {
        GTEST_SKIP() << "no cathedral assets in Assets/";
    }
    Scene scene;
    Renderer renderer(width * 2, height * 2);
    renderer.init(scene.lights);
    CameraPathAnimation tour;
    tour.setCamera(mainCamera);
    for (int step = 0; step < 200 && tour.running; ++step) {
        tour.update(1.0);
    }
    ASSERT_FALSE(tour.running) << "the tour ends";
    renderFrame(renderer, &scene);
    float full = meanBrightness(readPixels(width * 2, height * 2));
    RenderSettings::lightMode = AMBIENT;
    renderFrame(renderer, &scene);
    float ambientOnly = meanBrightness(readPixels(width * 2, height * 2));
    EXPECT_LE(ambientOnly, 0.7f * full);
    EXPECT_GT(ambientOnly, 0.2f * full) << "the ambient term still shows the unlit parts";
}
