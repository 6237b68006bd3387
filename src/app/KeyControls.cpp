// KeyControls: the switch table, the F1 light-mode and F8 debug-view cycles, Escape and F12.
#include "app/KeyControls.h"

#include "app/Console.h"
#include "app/RenderSettings.h"

namespace {

void nextLightMode() {
    RenderSettings::lightMode =
        static_cast<LightMode>((static_cast<int>(RenderSettings::lightMode) + 1) % 3);
}

const char* lightModeName() {
    switch (RenderSettings::lightMode) {
    case AMBIENT_DIFFUSE:
        return "AMBIENT_DIFFUSE";
    case AMBIENT:
        return "AMBIENT";
    default:
        return "AMBIENT_DIFFUSE_SPECULAR";
    }
}

void nextView() {
    RenderSettings::debugView = nextDebugView(RenderSettings::debugView);
}

const char* viewName() {
    return debugViewName(RenderSettings::debugView);
}

void act(const KeySwitch& keySwitch) {
    if (keySwitch.setting) {
        *keySwitch.setting = !*keySwitch.setting;
    } else {
        keySwitch.advance();
    }
    printLine(keySwitch.label + switchState(keySwitch));
}

} // namespace

const std::vector<KeySwitch>& keySwitches() {
    static const std::vector<KeySwitch> table = {
        {GLFW_KEY_F1, "F1", "Light Mode changed to: ", nullptr, nextLightMode, lightModeName},
        {GLFW_KEY_F2, "F2", "Bump Mapping Enabled: ", &RenderSettings::bumpMapping, nullptr,
         nullptr},
        {GLFW_KEY_F3, "F3", "Bloom Enabled: ", &RenderSettings::bloom, nullptr, nullptr},
        {GLFW_KEY_F4, "F4", "SSAO Enabled: ", &RenderSettings::ssao, nullptr, nullptr},
        {GLFW_KEY_F5, "F5", "Transparent Objects Enabled: ", &RenderSettings::transparentObjects,
         nullptr, nullptr},
        {GLFW_KEY_F6, "F6", "Omnidirectional Shadows Enabled; ",
         &RenderSettings::omnidirectionalShadows, nullptr, nullptr},
        {GLFW_KEY_F7, "F7", "Colored Shadows Enabled: ", &RenderSettings::coloredShadows, nullptr,
         nullptr},
        {GLFW_KEY_F8, "F8", "Debug View: ", nullptr, nextView, viewName},
        {GLFW_KEY_F9, "F9", "Overlay Enabled: ", &RenderSettings::overlay, nullptr, nullptr},
        {GLFW_KEY_F10, "F10", "Anti-Aliasing Enabled: ", &RenderSettings::antiAliasing, nullptr,
         nullptr},
        {GLFW_KEY_F11, "F11", "Fullscreen Enabled: ", &RenderSettings::fullscreen, nullptr,
         nullptr},
    };
    return table;
}

std::string switchState(const KeySwitch& keySwitch) {
    if (keySwitch.setting) {
        return intToString(*keySwitch.setting ? 1 : 0);
    }
    return keySwitch.named();
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
    for (const KeySwitch& keySwitch : keySwitches()) {
        if (keySwitch.key == key) {
            act(keySwitch);
            return;
        }
    }
}
