// The renderer's frame: what the programs actually receive and the picture's response to each
// switch at fixed camera poses, on the real scene (built by the program's own frame pipeline)
// and on a small scene of known geometry. The GL state a frame leaves behind, in every switch
// combination, is checked by the robustness sweep.
#include "RenderTestScene.h"
#include "StartSwitches.h"

#include "GLTestContext.h"
#include "OutputCapture.h"
#include "TestPipeline.h"
#include "app/RenderSettings.h"
#include "gpu/ObjectLabel.h"
#include "gpu/Shader.h"
#include "gpu/ShaderConstants.h"
#include "gpu/ShaderManager.h"
#include "render/OmnidirectionalShadowMappingTechnique.h"
#include "render/PassTimer.h"
#include "render/Renderer.h"
#include "render/ShadowMappingTechnique.h"
#include "scene/Camera.h"
#include "scene/Light.h"
#include "scene/Scene.h"
#include "scene/SceneObject.h"

#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtc/type_ptr.hpp>

#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

using namespace rendertest;

namespace {

const int width = 160;
const int height = 120;

GLint uniformInt(GLuint program, const std::string& name) {
    GLint value = -12345;
    glGetUniformiv(program, glGetUniformLocation(program, name.c_str()), &value);
    return value;
}

bool assetsPresent() {
    return std::ifstream("Assets/sibenik-cathedral-vray-noWindows.obj").good();
}

// A frame of the test scene from above, looking at the column, its shadow and the pane's patch.
std::vector<unsigned char> testFrame(Renderer& renderer, Scene* scene) {
    lookAt(glm::vec3(-1.0f, 7.0f, 6.0f), glm::vec3(1.5f, 0.0f, 0.5f));
    renderFrame(renderer, scene);
    return readPixels(width, height);
}

// The object's label, read back through a buffer of the driver's largest label.
std::string objectLabel(GLenum identifier, GLuint name) {
    GLint longest = 0;
    glGetIntegerv(GL_MAX_LABEL_LENGTH, &longest);
    std::vector<char> text(static_cast<size_t>(longest) + 1, '\0');
    GLsizei length = 0;
    glGetObjectLabel(identifier, name, longest, &length, text.data());
    return std::string(text.data(), static_cast<size_t>(length));
}

// The names of the debug groups opened, as the debug callback printed their echoes, in order.
std::vector<std::string> pushedGroups(const std::string& output) {
    const std::string prefix = "OpenGL Error: ";
    std::vector<std::string> names;
    std::istringstream lines(output);
    for (std::string line; std::getline(lines, line);) {
        size_t end = line.find(" [Source = Application, Type = Push Group");
        if (line.rfind(prefix, 0) == 0 && end != std::string::npos) {
            names.push_back(line.substr(prefix.size(), end - prefix.size()));
        }
    }
    return names;
}

class RendererGLTest : public GLTest {
protected:
    static void SetUpTestSuite() {
        if (!GLTestContext::window()) {
            return;
        }
        pipeline = new TestPipeline(width, height);
        realScene = pipeline->pipeline.scene;
        sceneRenderer = pipeline->pipeline.renderer;
        test = buildTestScene();
        testRenderer = new Renderer(width, height);
        testRenderer->init(test.scene->lights);
    }
    // The test scene and its renderer go first: the pipeline's shutdown releases the programs.
    static void TearDownTestSuite() {
        delete testRenderer;
        releaseTestScene(test);
        delete pipeline;
    }
    void SetUp() override {
        GLTest::SetUp();
        restoreStartSwitches();
    }
    void TearDown() override { restoreStartSwitches(); }

    static inline TestPipeline* pipeline = nullptr;
    static inline Scene* realScene = nullptr;
    static inline TestScene test;
    static inline Renderer* sceneRenderer = nullptr;
    static inline Renderer* testRenderer = nullptr;
};

} // namespace

TEST_F(RendererGLTest, LightingProgramReceivesUnitsLightsAndTheLightMatrix) {
    mainCamera->setPosition(glm::vec3(0.0f, -13.0f, 10.0f));
    mainCamera->setRotation(glm::vec3(0.0f));
    renderFrame(*sceneRenderer, realScene);

    GLuint program = ShaderManager::getShader("deferredRenderPass")->program;
    EXPECT_EQ(uniformInt(program, "gWorldPosition"), 0);
    EXPECT_EQ(uniformInt(program, "gWorldNormal"), 1);
    EXPECT_EQ(uniformInt(program, "gDiffuse"), 2);
    EXPECT_EQ(uniformInt(program, "gAmbient"), 3);
    ASSERT_EQ(realScene->lights.size(), 7u);
    for (int i = 0; i < 7; ++i) {
        std::string light = "lights[" + std::to_string(i);
        EXPECT_EQ(uniformInt(program, "shadowMaps[" + std::to_string(i) + "]"), 4 + i);
        GLfloat radius = 0.0f;
        glGetUniformfv(program, glGetUniformLocation(program, (light + "].radius").c_str()),
                       &radius);
        EXPECT_EQ(radius, realScene->lights[i]->radius());
        GLfloat nearFar[2] = {0.0f, 0.0f};
        glGetUniformfv(program, glGetUniformLocation(program, (light + "].near_far").c_str()),
                       nearFar);
        EXPECT_FLOAT_EQ(nearFar[0], 0.001f);
        EXPECT_FLOAT_EQ(nearFar[1], 30.0f);
        GLfloat position[3] = {0.0f, 0.0f, 0.0f};
        glGetUniformfv(program, glGetUniformLocation(program, (light + "].position").c_str()),
                       position);
        EXPECT_EQ(glm::make_vec3(position), realScene->lights[i]->position);
    }
    EXPECT_EQ(uniformInt(program, "colorShadowMap"), 11);
    EXPECT_EQ(uniformInt(program, "colorShadowsEnabled"), RenderSettings::coloredShadows);
    EXPECT_EQ(uniformInt(program, "ssaoEnabled"), RenderSettings::ssao);
    EXPECT_EQ(uniformInt(program, "omniDirShadowsEnabled"), RenderSettings::omnidirectionalShadows);
    EXPECT_EQ(uniformInt(program, "lightMode"), RenderSettings::lightMode);

    GLfloat matrix[16];
    glGetUniformfv(program, glGetUniformLocation(program, "lightViewProjectionMatrix"), matrix);
    glm::mat4 bias = glm::translate(glm::mat4(1.0f), glm::vec3(0.5f)) *
                     glm::scale(glm::mat4(1.0f), glm::vec3(0.5f));
    glm::mat4 expected = bias * sceneRenderer->shadowMapping->getLightViewProjection();
    for (int i = 0; i < 16; ++i) {
        EXPECT_NEAR(matrix[i], glm::value_ptr(expected)[i], 1e-5f) << "element " << i;
    }

    // The cube maps and the colored map are really on those units.
    GLint bound = 0;
    glActiveTexture(GL_TEXTURE6);
    glGetIntegerv(GL_TEXTURE_BINDING_CUBE_MAP, &bound);
    EXPECT_EQ(static_cast<GLuint>(bound), sceneRenderer->omnidirectionalShadowMaps[2]->cubeMap);
    glActiveTexture(GL_TEXTURE11);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(static_cast<GLuint>(bound), sceneRenderer->shadowMapping->getColorTexture());
}

TEST_F(RendererGLTest, LightModesDarkenFromFullToAmbientOnly) {
    float brightness[3];
    for (int mode = 0; mode < 3; ++mode) {
        RenderSettings::lightMode = static_cast<LightMode>(mode);
        brightness[mode] = meanBrightness(testFrame(*testRenderer, test.scene));
    }
    EXPECT_GT(brightness[0], brightness[1]);
    EXPECT_GT(brightness[1], brightness[2] + 5.0f);
}

TEST_F(RendererGLTest, ColumnShadowLiftsWhenOmnidirectionalShadowsAreOff) {
    std::vector<unsigned char> shadowed = testFrame(*testRenderer, test.scene);
    glm::ivec2 pixel = project(shadowedPoint, width, height);
    glm::ivec2 lit = project(shadowedPoint + glm::vec3(0.0f, 0.0f, 1.2f), width, height);
    saveFramebufferPng("render-test-shadows-on.png", width, height);
    RenderSettings::omnidirectionalShadows = false;
    std::vector<unsigned char> unshadowed = testFrame(*testRenderer, test.scene);
    saveFramebufferPng("render-test-shadows-off.png", width, height);

    float inShadow = glm::length(colorAt(shadowed, width, pixel));
    EXPECT_GT(glm::length(colorAt(unshadowed, width, pixel)), inShadow + 10.0f);
    // Beside the shadow the floor is lit either way, and brighter than the shadow.
    EXPECT_GT(glm::length(colorAt(shadowed, width, lit)), inShadow + 10.0f);
    EXPECT_NEAR(glm::length(colorAt(unshadowed, width, lit)),
                glm::length(colorAt(shadowed, width, lit)), 3.0f);
}

TEST_F(RendererGLTest, ColoredShadowsAddPaneColouredLightAndNeverDarken) {
    RenderSettings::transparentObjects = false; // the pane itself is not what is measured
    // The light's sum is what must never darken; edge smoothing may move a pixel either way.
    RenderSettings::antiAliasing = false;
    // With the point light far away the floor is dark enough to show the added light's hue.
    Light& light = *test.scene->lights[0];
    glm::vec3 lightPosition = light.position;
    light.position = glm::vec3(0.0f, 100.0f, 0.0f);
    std::vector<unsigned char> plain = testFrame(*testRenderer, test.scene);
    RenderSettings::coloredShadows = true;
    std::vector<unsigned char> tinted = testFrame(*testRenderer, test.scene);
    saveFramebufferPng("render-test-colored.png", width, height);
    light.position = lightPosition;

    for (size_t i = 0; i < plain.size(); ++i) {
        ASSERT_GE(tinted[i] + 1, plain[i]) << "byte " << i << " darkened";
    }
    auto added = [&](glm::vec3 point) {
        glm::ivec2 pixel = project(point, width, height);
        return colorAt(tinted, width, pixel) - colorAt(plain, width, pixel);
    };
    // Through the red pane: red light. Past it: the daylight's own, not red.
    glm::vec3 red = colorAt(tinted, width, project(tintedPoint, width, height));
    EXPECT_GT(red.r, red.g + 20.0f);
    glm::vec3 daylight = added(untintedPoint);
    EXPECT_GT(daylight.g, 20.0f);
    EXPECT_GT(daylight.g, 0.8f * daylight.r);
    // Hidden from the light view by the column (a narrow streak, filtered at its edges): next to
    // nothing added.
    EXPECT_LT(glm::length(added(shadowedPoint)), 0.1f * glm::length(daylight));
}

TEST_F(RendererGLTest, TransparentObjectsOffDrawsNeitherPanesNorFlames) {
    lookAt(glm::vec3(-1.0f, 4.0f, 6.0f), glm::vec3(-4.0f, 2.5f, 0.0f));
    renderFrame(*testRenderer, test.scene);
    std::vector<unsigned char> withPanes = readPixels(width, height);
    RenderSettings::transparentObjects = false;
    renderFrame(*testRenderer, test.scene);
    std::vector<unsigned char> switchedOff = readPixels(width, height);

    // What the frame shows with the switch off is what it shows with nothing transparent at all.
    std::vector<SceneObject*> panes = test.scene->transparentObjects;
    std::vector<Billboard*> flames = test.scene->billboards;
    test.scene->transparentObjects.clear();
    test.scene->billboards.clear();
    RenderSettings::transparentObjects = true;
    renderFrame(*testRenderer, test.scene);
    std::vector<unsigned char> empty = readPixels(width, height);
    test.scene->transparentObjects = panes;
    test.scene->billboards = flames;

    EXPECT_EQ(switchedOff, empty);
    EXPECT_NE(withPanes, switchedOff);
}

TEST_F(RendererGLTest, CubeMapsStayAsFirstRenderedWithoutShadowMapUpdates) {
    auto faceDepth = [](Renderer& renderer) {
        std::vector<float> depth(shadowMapSize * shadowMapSize);
        glBindTexture(GL_TEXTURE_CUBE_MAP, renderer.omnidirectionalShadowMaps[0]->cubeMap);
        glGetTexImage(GL_TEXTURE_CUBE_MAP_POSITIVE_X, 0, GL_DEPTH_COMPONENT, GL_FLOAT,
                      depth.data());
        return depth;
    };
    // A renderer whose first frame is rendered without updates still gets its cube maps once.
    RenderSettings::updateShadowMaps = false;
    Renderer renderer(width, height);
    renderer.init(test.scene->lights);
    renderFrame(renderer, test.scene);
    std::vector<float> first = faceDepth(renderer);
    // the column, seen along +x and down
    EXPECT_LT(first[shadowMapSize * 3 / 4 * shadowMapSize + shadowMapSize / 2], 1.0f);

    SceneObject* column = test.scene->opaqueObjects[1];
    column->modelMatrix = glm::translate(glm::mat4(1.0f), glm::vec3(0.0f, 0.0f, 3.0f));
    renderFrame(renderer, test.scene);
    EXPECT_EQ(faceDepth(renderer), first);

    RenderSettings::updateShadowMaps = true;
    renderFrame(renderer, test.scene);
    EXPECT_NE(faceDepth(renderer), first);
    column->modelMatrix = glm::mat4(1.0f);
}

// Frames of the cathedral at three stops of the tour, and of the nave in every switch state,
// kept as PNG beside the tests for a look. Every switch changes the nave's picture.
TEST_F(RendererGLTest, TourViewsRespondToEverySwitch) {
    if (!assetsPresent()) {
        GTEST_SKIP() << "no cathedral assets in Assets/";
    }
    const int frameWidth = 400;
    const int frameHeight = 300;
    Renderer renderer(frameWidth, frameHeight);
    renderer.init(realScene->lights);
    auto frame = [&](const std::string& name) {
        renderFrame(renderer, realScene);
        saveFramebufferPng("tour-" + name + ".png", frameWidth, frameHeight);
        return readPixels(frameWidth, frameHeight);
    };

    mainCamera->setPosition(glm::vec3(6.0f, -13.0f, 15.0f));
    mainCamera->setRotation(glm::vec3(0.0f));
    frame("aisle");
    mainCamera->setPosition(glm::vec3(0.0f, -12.0f, -5.0f));
    mainCamera->setRotation(glm::vec3(-15.0f, 0.0f, 0.0f));
    frame("crossing");
    lookAt(glm::vec3(0.0f, -12.0f, 10.0f), glm::vec3(0.0f, -16.5f, 3.0f));
    frame("under-a-chandelier");

    mainCamera->setPosition(glm::vec3(0.0f, -13.0f, 17.0f));
    mainCamera->setRotation(glm::vec3(0.0f));
    std::vector<unsigned char> nave = frame("nave");
    float brightness = meanBrightness(nave);
    EXPECT_GT(brightness, 25.0f);
    EXPECT_LT(brightness, 200.0f);

    struct Switch {
        const char* name;
        bool* setting;
    };
    const Switch switches[] = {
        {"no-bump-mapping", &RenderSettings::bumpMapping},
        {"no-bloom", &RenderSettings::bloom},
        {"no-ssao", &RenderSettings::ssao},
        {"no-transparent-objects", &RenderSettings::transparentObjects},
        {"no-omnidirectional-shadows", &RenderSettings::omnidirectionalShadows},
        {"colored-shadows", &RenderSettings::coloredShadows},
        {"no-anti-aliasing", &RenderSettings::antiAliasing}};
    for (const Switch& toggle : switches) {
        *toggle.setting = !*toggle.setting;
        EXPECT_NE(frame(std::string("nave-") + toggle.name), nave) << toggle.name;
        *toggle.setting = !*toggle.setting;
    }
    RenderSettings::lightMode = AMBIENT_DIFFUSE;
    float diffuseOnly = meanBrightness(frame("nave-ambient-diffuse"));
    RenderSettings::lightMode = AMBIENT;
    float ambientOnly = meanBrightness(frame("nave-ambient"));
    EXPECT_GT(brightness, diffuseOnly);
    EXPECT_GT(diffuseOnly, ambientOnly);

    // The other renderers' camera projection is restored for the tests that follow.
    mainCamera->setPerspective(70.0f, static_cast<float>(width) / height, 0.01f, 50.0f);
}

TEST_F(RendererGLTest, SceneWithoutLightsLightsNothingAndRaisesNoError) {
    std::vector<Light*> lights = test.scene->lights;
    test.scene->lights.clear();
    Renderer renderer(width, height);
    renderer.init(test.scene->lights);
    std::vector<unsigned char> unlit;
    std::string output = captureOutput([&] { unlit = testFrame(renderer, test.scene); });
    GLuint program = ShaderManager::getShader("deferredRenderPass")->program;
    EXPECT_EQ(uniformInt(program, "colorShadowMap"), 4);
    // The frame was drawn, lit by nothing but the ambient term and the drum's daylight, which
    // needs no lamp: exactly the frame without specular, and brighter than the ambient term alone.
    RenderSettings::lightMode = AMBIENT_DIFFUSE;
    EXPECT_EQ(unlit, testFrame(renderer, test.scene));
    RenderSettings::lightMode = AMBIENT;
    std::vector<unsigned char> ambient = testFrame(renderer, test.scene);
    test.scene->lights = lights;

    EXPECT_EQ(countGLErrorLines(output), 0) << output;
    EXPECT_GT(meanBrightness(ambient), 5.0f);
    EXPECT_GT(meanBrightness(unlit), meanBrightness(ambient));
}

TEST_F(RendererGLTest, TargetsCarryLabelsNamingTheTargetAndTheAttachment) {
    ASSERT_TRUE(objectLabelsOffered()) << "Mesa offers GL 4.3 and KHR_debug";
    EXPECT_EQ(objectLabel(GL_FRAMEBUFFER, testRenderer->gBuffer.getId()), "G-buffer");
    std::set<std::string> attachments;
    for (const auto& entry : testRenderer->gBuffer.textures) {
        std::string label = objectLabel(GL_TEXTURE, entry.second);
        EXPECT_EQ(label.rfind("G-buffer ", 0), 0u) << label;
        attachments.insert(label);
    }
    EXPECT_EQ(attachments.size(), 3u) << "each attachment names itself";
    ASSERT_FALSE(testRenderer->omnidirectionalShadowMaps.empty());
    EXPECT_EQ(objectLabel(GL_TEXTURE, testRenderer->omnidirectionalShadowMaps[0]->cubeMap),
              "cube shadow map light 0 depth");
    Shader* lighting = ShaderManager::getShader("deferredRenderPass");
    EXPECT_EQ(objectLabel(GL_PROGRAM, lighting->program), "deferredRenderPass");
    EXPECT_EQ(objectLabel(GL_SHADER, lighting->fragmentShader),
              "deferredRenderPass Shader/deferredRenderPass.frag");

    // A label beyond the driver's limit (a long texture path) is cut, never refused with an error.
    GLint longest = 0;
    glGetIntegerv(GL_MAX_LABEL_LENGTH, &longest);
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    std::string output = captureOutput(
        [&] { labelObject(GL_TEXTURE, texture, std::string(size_t(longest) + 50, 'x')); });
    EXPECT_EQ(objectLabel(GL_TEXTURE, texture).size(), size_t(longest) - 1);
    glBindTexture(GL_TEXTURE_2D, 0);
    glDeleteTextures(1, &texture);
    EXPECT_EQ(countGLErrorLines(output), 0) << output;
}

// Groups are asked for on their own, so they stay while the overlay attaches and detaches its
// timer; without them a frame prints nothing.
TEST_F(RendererGLTest, DebugGroupsFrameEveryPassInOrderOnlyWhenAskedBesideTheTimer) {
    std::vector<std::string> everyPass;
    for (const FramePassName& name : kFramePassNames) {
        everyPass.push_back(name.label);
    }
    lookAt(glm::vec3(-1.0f, 7.0f, 6.0f), glm::vec3(1.5f, 0.0f, 0.5f));
    auto frame = [&] { return captureOutput([&] { renderFrame(*testRenderer, test.scene); }); };
    std::string quiet = frame();

    testRenderer->setDebugGroups(true);
    PassTimer::activate(0);
    testRenderer->attachPassHooks(PassTimer::hooks());
    PassTimer::beginFrame();
    std::string timed = frame();
    PassTimer::endFrame();
    std::vector<FrameGpuTimes> times = PassTimer::collect(true);
    testRenderer->attachPassHooks(nullptr);
    PassTimer::deactivate();
    RenderSettings::ssao = false;
    std::string untimed = frame();
    testRenderer->setDebugGroups(false);
    std::string quietAgain = frame();

    EXPECT_EQ(quiet, "");
    EXPECT_EQ(quietAgain, "");
    EXPECT_EQ(pushedGroups(timed), everyPass) << timed;
    EXPECT_EQ(countOccurrences(timed, "Type = Pop Group"), kFramePassCount);
    everyPass.erase(everyPass.begin() + static_cast<int>(FramePass::SSAO));
    EXPECT_EQ(pushedGroups(untimed), everyPass) << untimed;
    EXPECT_EQ(countGLErrorLines(timed + untimed), 0);
    ASSERT_EQ(times.size(), 1u);
    for (int pass = 0; pass < kFramePassCount; ++pass) {
        EXPECT_TRUE(times[0].passRan[pass]) << kFramePassNames[pass].label;
    }
}
