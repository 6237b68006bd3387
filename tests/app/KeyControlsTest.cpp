// The key switches of the switch table: release-only handling, the console lines, the light-mode
// and debug-view cycles, and the silent keys Escape, F12 and R.
// Escape needs a real window for its close flag: a hidden GLFW window without a GL context.
#include "app/KeyControls.h"
#include "StartSwitches.h"
#include "app/RenderSettings.h"

#include "OutputCapture.h"

#include <gtest/gtest.h>

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

TEST_F(KeyControlsTest, F1AndF8StepThroughTheirNamedStatesAndWrapAround) {
    const std::pair<int, const char*> cycles[] = {
        {GLFW_KEY_F1, "Light Mode changed to: AMBIENT_DIFFUSE\n"
                      "Light Mode changed to: AMBIENT\n"
                      "Light Mode changed to: AMBIENT_DIFFUSE_SPECULAR\n"
                      "Light Mode changed to: AMBIENT_DIFFUSE\n"},
        {GLFW_KEY_F8, "Debug View: World Position\n"
                      "Debug View: World Normal\n"
                      "Debug View: Diffuse Color\n"
                      "Debug View: Ambient Occlusion\n"
                      "Debug View: Bloom\n"
                      "Debug View: Colored Shadow Map\n"
                      "Debug View: Shadow Cube Map\n"
                      "Debug View: Indirect Light\n"
                      "Debug View: Final Image\n"
                      "Debug View: World Position\n"}};
    for (const auto& [key, lines] : cycles) {
        std::string output;
        for (int i = countOccurrences(lines, "\n"); i > 0; --i) {
            output += send(key, GLFW_RELEASE);
        }
        EXPECT_EQ(output, lines);
    }
    EXPECT_EQ(RenderSettings::lightMode, AMBIENT_DIFFUSE);
    EXPECT_EQ(RenderSettings::debugView, DebugView::WorldPosition);
    EXPECT_EQ(debugViewArgument(DebugView::ColoredShadowMap), "colored-shadow-map");
    EXPECT_EQ(debugViewConstant(DebugView::ShadowCubeMap), "VIEW_SHADOW_CUBE_MAP");
    EXPECT_EQ(debugViewFromArgument("shadow-cube-map"), DebugView::ShadowCubeMap);
    EXPECT_FALSE(debugViewFromArgument("Final Image"));
}

TEST_F(KeyControlsTest, EachOnOffKeyTogglesItsSwitchAndReportsTheNewState) {
    for (const KeySwitch& keySwitch : keySwitches()) {
        if (!keySwitch.isOnOff()) {
            continue;
        }
        int before = keySwitch.setting.get();
        for (int after : {1 - before, before}) {
            EXPECT_EQ(send(keySwitch.key, GLFW_RELEASE),
                      keySwitch.label + std::to_string(after) + "\n");
            EXPECT_EQ(keySwitch.setting.get(), after) << keySwitch.label;
        }
    }
}

TEST_F(KeyControlsTest, PressRepeatAndOtherKeysDoNothing) {
    std::vector<int> before = switchStates();
    for (int key : {GLFW_KEY_ESCAPE, GLFW_KEY_F1, GLFW_KEY_F3, GLFW_KEY_F7, GLFW_KEY_F8,
                    GLFW_KEY_F12, GLFW_KEY_R}) {
        EXPECT_EQ(send(key, GLFW_PRESS), "");
        EXPECT_EQ(send(key, GLFW_REPEAT), "");
    }
    for (int key : {GLFW_KEY_F13, GLFW_KEY_W, GLFW_KEY_UNKNOWN}) {
        EXPECT_EQ(send(key, GLFW_RELEASE), "");
    }
    EXPECT_EQ(switchStates(), before);
    EXPECT_FALSE(RenderSettings::screenshotRequested);
    EXPECT_FALSE(RenderSettings::shaderReloadRequested);
    EXPECT_FALSE(glfwWindowShouldClose(window));
}

TEST_F(KeyControlsTest, ModifiersAreIgnored) {
    EXPECT_EQ(send(GLFW_KEY_F2, GLFW_RELEASE, GLFW_MOD_SHIFT), "Bump Mapping Enabled: 0\n");
    EXPECT_EQ(send(GLFW_KEY_F1, GLFW_RELEASE, GLFW_MOD_CONTROL | GLFW_MOD_ALT),
              "Light Mode changed to: AMBIENT_DIFFUSE\n");
}

TEST_F(KeyControlsTest, F12RAndEscapeActSilently) {
    EXPECT_EQ(send(GLFW_KEY_F12, GLFW_RELEASE), "");
    EXPECT_TRUE(RenderSettings::screenshotRequested);
    EXPECT_EQ(send(GLFW_KEY_R, GLFW_RELEASE), "");
    EXPECT_TRUE(RenderSettings::shaderReloadRequested);
    EXPECT_EQ(send(GLFW_KEY_ESCAPE, GLFW_RELEASE, GLFW_MOD_SHIFT), "");
    EXPECT_TRUE(glfwWindowShouldClose(window));
}
