// KeyControls: the switch table, Escape, F12 and R.
#include "app/KeyControls.h"

#include "app/RenderSettings.h"
#include "base/Console.h"

namespace {

const char* lightModeName(int mode) {
    return lightModeNames[mode];
}

const char* viewName(int view) {
    return debugViewName(static_cast<DebugView>(view));
}

// One step on: an on/off setting is inverted, a cycle goes to its next state.
void act(const KeySwitch& keySwitch) {
    const SwitchSetting& setting = keySwitch.setting;
    setting.set((setting.get() + 1) % setting.states);
    printLine(keySwitch.label + switchState(keySwitch));
}

} // namespace

const std::vector<KeySwitch>& keySwitches() {
    using S = RenderSettings;
    static const std::vector<KeySwitch> table = {
        {GLFW_KEY_F1, "F1", "Light Mode changed to: ", cycle<&S::lightMode, kLightModeCount>(),
         lightModeName, "light-mode"},
        {GLFW_KEY_F2, "F2", "Bump Mapping Enabled: ", onOff<&S::bumpMapping>(), nullptr, "bump"},
        {GLFW_KEY_F3, "F3", "Bloom Enabled: ", onOff<&S::bloom>(), nullptr, "bloom"},
        {GLFW_KEY_F4, "F4", "SSAO Enabled: ", onOff<&S::ssao>(), nullptr, "ssao"},
        {GLFW_KEY_F5, "F5", "Transparent Objects Enabled: ", onOff<&S::transparentObjects>(),
         nullptr, "transparent"},
        {GLFW_KEY_F6, "F6", "Omnidirectional Shadows Enabled; ",
         onOff<&S::omnidirectionalShadows>(), nullptr, "omni"},
        {GLFW_KEY_F7, "F7", "Colored Shadows Enabled: ", onOff<&S::coloredShadows>(), nullptr,
         "colored"},
        {GLFW_KEY_F8, "F8", "Debug View: ", cycle<&S::debugView, kDebugViewCount>(), viewName,
         nullptr},
        {GLFW_KEY_F9, "F9", "Overlay Enabled: ", onOff<&S::overlay>(), nullptr, nullptr},
        {GLFW_KEY_F10, "F10", "Anti-Aliasing Enabled: ", onOff<&S::antiAliasing>(), nullptr, "aa"},
        {GLFW_KEY_F11, "F11", "Fullscreen Enabled: ", onOff<&S::fullscreen>(), nullptr, nullptr},
    };
    return table;
}

std::string switchState(const KeySwitch& keySwitch) {
    int state = keySwitch.setting.get();
    return keySwitch.stateName ? keySwitch.stateName(state) : intToString(state);
}

void keyCallback(GLFWwindow* window, int key, int /*scancode*/, int action, int /*mods*/) {
    if (action != GLFW_RELEASE) {
        return;
    }
    if (key == GLFW_KEY_ESCAPE) {
        glfwSetWindowShouldClose(window, GLFW_TRUE);
        return;
    }
    if (key == GLFW_KEY_F12) {
        RenderSettings::screenshotRequested = true;
        return;
    }
    if (key == GLFW_KEY_R) {
        RenderSettings::shaderReloadRequested = true;
        return;
    }
    for (const KeySwitch& keySwitch : keySwitches()) {
        if (keySwitch.key == key) {
            act(keySwitch);
            return;
        }
    }
}
