// The key switches: release-only handling, the console lines, the light-mode cycle and Escape.
// Escape needs a real window for its close flag: a hidden GLFW window without a GL context.
#include "app/KeyControls.h"
#include "StartSwitches.h"
#include "app/RenderSettings.h"

#include "OutputCapture.h"

#include <gtest/gtest.h>

namespace {

struct Toggle {
    int key;
    bool* setting;
    const char* label;
};

const Toggle toggles[] = {
    {GLFW_KEY_F2, &RenderSettings::bumpMapping, "Bump Mapping Enabled: "},
    {GLFW_KEY_F3, &RenderSettings::bloom, "Bloom Enabled: "},
    {GLFW_KEY_F4, &RenderSettings::ssao, "SSAO Enabled: "},
    {GLFW_KEY_F5, &RenderSettings::transparentObjects, "Transparent Objects Enabled: "},
    {GLFW_KEY_F6, &RenderSettings::omnidirectionalShadows, "Omnidirectional Shadows Enabled; "},
    {GLFW_KEY_F7, &RenderSettings::coloredShadows, "Colored Shadows Enabled: "},
    {GLFW_KEY_F9, &RenderSettings::overlay, "Overlay Enabled: "},
    {GLFW_KEY_F10, &RenderSettings::antiAliasing, "Anti-Aliasing Enabled: "},
    {GLFW_KEY_F11, &RenderSettings::fullscreen, "Fullscreen Enabled: "},
};

} // namespace

class KeyControlsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ASSERT_TRUE(glfwInit()) << "No display: run under xvfb-run";
        glfwWindowHint(GLFW_CLIENT_API, GLFW_NO_API);
        glfwWindowHint(GLFW_VISIBLE, GLFW_FALSE);
        window = glfwCreateWindow(64, 64, "keys", nullptr, nullptr);
        ASSERT_NE(window, nullptr);
    }
    static void TearDownTestSuite() { glfwTerminate(); }

    void SetUp() override {
        restoreStartSwitches();
        glfwSetWindowShouldClose(window, GLFW_FALSE);
    }

    // Sends one event and returns what it printed.
    static std::string send(int key, int action, int mods = 0) {
        return captureOutput([&] { keyCallback(window, key, 0, action, mods); });
    }

    static inline GLFWwindow* window = nullptr;
};

TEST_F(KeyControlsTest, F1CyclesTheLightModes) {
    std::string output;
    for (int i = 0; i < 4; ++i) {
        output += send(GLFW_KEY_F1, GLFW_RELEASE);
    }
    EXPECT_EQ(output, "Light Mode changed to: AMBIENT_DIFFUSE\n"
                      "Light Mode changed to: AMBIENT\n"
                      "Light Mode changed to: AMBIENT_DIFFUSE_SPECULAR\n"
                      "Light Mode changed to: AMBIENT_DIFFUSE\n");
    EXPECT_EQ(RenderSettings::lightMode, AMBIENT_DIFFUSE);
}

TEST_F(KeyControlsTest, EachFunctionKeyTogglesItsSwitchAndReportsTheNewState) {
    for (const Toggle& toggle : toggles) {
        bool before = *toggle.setting;
        EXPECT_EQ(send(toggle.key, GLFW_RELEASE),
                  std::string(toggle.label) + (before ? "0" : "1") + "\n");
        EXPECT_EQ(*toggle.setting, !before) << toggle.label;
        EXPECT_EQ(send(toggle.key, GLFW_RELEASE),
                  std::string(toggle.label) + (before ? "1" : "0") + "\n");
        EXPECT_EQ(*toggle.setting, before) << toggle.label;
    }
}

TEST_F(KeyControlsTest, PressRepeatAndOtherKeysDoNothing) {
    for (int key : {GLFW_KEY_ESCAPE, GLFW_KEY_F1, GLFW_KEY_F3, GLFW_KEY_F7}) {
        EXPECT_EQ(send(key, GLFW_PRESS), "");
        EXPECT_EQ(send(key, GLFW_REPEAT), "");
    }
    for (int key : {GLFW_KEY_F8, GLFW_KEY_F12}) {
        EXPECT_EQ(send(key, GLFW_PRESS), "");
    }
    for (int key : {GLFW_KEY_F13, GLFW_KEY_W, GLFW_KEY_UNKNOWN}) {
        EXPECT_EQ(send(key, GLFW_RELEASE), "");
    }
    EXPECT_EQ(RenderSettings::debugView, DebugView::FinalImage);
    EXPECT_FALSE(RenderSettings::screenshotRequested);
    EXPECT_TRUE(RenderSettings::bloom);
    EXPECT_FALSE(RenderSettings::coloredShadows);
    EXPECT_EQ(RenderSettings::lightMode, AMBIENT_DIFFUSE_SPECULAR);
    EXPECT_FALSE(glfwWindowShouldClose(window));
}

TEST_F(KeyControlsTest, F8StepsThroughTheDebugViewsAndBackToTheFinalImage) {
    std::string output;
    for (int i = 0; i < 10; ++i) {
        output += send(GLFW_KEY_F8, GLFW_RELEASE);
    }
    EXPECT_EQ(output, "Debug View: World Position\n"
                      "Debug View: World Normal\n"
                      "Debug View: Diffuse Color\n"
                      "Debug View: Ambient Occlusion\n"
                      "Debug View: Bloom\n"
                      "Debug View: Colored Shadow Map\n"
                      "Debug View: Shadow Cube Map\n"
                      "Debug View: Indirect Light\n"
                      "Debug View: Final Image\n"
                      "Debug View: World Position\n");
    EXPECT_EQ(RenderSettings::debugView, DebugView::WorldPosition);
    EXPECT_EQ(debugViewArgument(DebugView::ColoredShadowMap), "colored-shadow-map");
    EXPECT_EQ(debugViewFromArgument("shadow-cube-map"), DebugView::ShadowCubeMap);
    EXPECT_FALSE(debugViewFromArgument("Final Image"));
}

TEST_F(KeyControlsTest, F12AsksForAScreenshotSilently) {
    EXPECT_EQ(send(GLFW_KEY_F12, GLFW_RELEASE), "");
    EXPECT_TRUE(RenderSettings::screenshotRequested);
}

TEST_F(KeyControlsTest, ModifiersAreIgnored) {
    EXPECT_EQ(send(GLFW_KEY_F2, GLFW_RELEASE, GLFW_MOD_SHIFT), "Bump Mapping Enabled: 0\n");
    EXPECT_EQ(send(GLFW_KEY_F1, GLFW_RELEASE, GLFW_MOD_CONTROL | GLFW_MOD_ALT),
              "Light Mode changed to: AMBIENT_DIFFUSE\n");
}

TEST_F(KeyControlsTest, EscapeReleaseSetsTheCloseFlagSilently) {
    EXPECT_EQ(send(GLFW_KEY_ESCAPE, GLFW_RELEASE, GLFW_MOD_SHIFT), "");
    EXPECT_TRUE(glfwWindowShouldClose(window));
}
