// KeyControls: the F1 light-mode cycle, the F2..F7 feature toggles and Escape.
#include "app/KeyControls.h"

#include "app/Console.h"
#include "app/RenderSettings.h"

#include <string>

namespace {

void cycleLightMode() {
    switch (RenderSettings::lightMode) {
    case AMBIENT_DIFFUSE_SPECULAR:
        RenderSettings::lightMode = AMBIENT_DIFFUSE;
        printLine("Light Mode changed to: AMBIENT_DIFFUSE");
        break;
    case AMBIENT_DIFFUSE:
        RenderSettings::lightMode = AMBIENT;
        printLine("Light Mode changed to: AMBIENT");
        break;
    default:
        RenderSettings::lightMode = AMBIENT_DIFFUSE_SPECULAR;
        printLine("Light Mode changed to: AMBIENT_DIFFUSE_SPECULAR");
        break;
    }
}

void toggle(bool& setting, const std::string& label) {
    setting = !setting;
    printLine(label + intToString(setting ? 1 : 0));
}

} // namespace

void keyCallback(GLFWwindow* window, int key, int /*scancode*/, int action, int /*mods*/) {
    if (action != GLFW_RELEASE) {
        return;
    }
    switch (key) {
    case GLFW_KEY_ESCAPE:
        glfwSetWindowShouldClose(window, GLFW_TRUE);
        break;
    case GLFW_KEY_F1:
        cycleLightMode();
        break;
    case GLFW_KEY_F2:
        toggle(RenderSettings::bumpMapping, "Bump Mapping Enabled: ");
        break;
    case GLFW_KEY_F3:
        toggle(RenderSettings::bloom, "Bloom Enabled: ");
        break;
    case GLFW_KEY_F4:
        toggle(RenderSettings::ssao, "SSAO Enabled: ");
        break;
    case GLFW_KEY_F5:
        toggle(RenderSettings::transparentObjects, "Transparent Objects Enabled: ");
        break;
    case GLFW_KEY_F6:
        toggle(RenderSettings::omnidirectionalShadows, "Omnidirectional Shadows Enabled; ");
        break;
    case GLFW_KEY_F7:
        toggle(RenderSettings::coloredShadows, "Colored Shadows Enabled: ");
        break;
    default:
        break;
    }
}
