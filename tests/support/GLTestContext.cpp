// The hidden test window and its context, and counting the driver's error lines.
#include "GLTestContext.h"

#include "app/ContextWindow.h"
#include "app/DebugOutput.h"

namespace {

GLFWwindow* openWindow() {
    GLFWwindow* window = ContextWindow::open(1024, 768, false, false);
    if (window) {
        // Not "Window": the programs some tests start are found by that title.
        glfwSetWindowTitle(window, "GL test");
        installDebugOutput();
    }
    return window;
}

} // namespace

GLFWwindow* GLTestContext::window() {
    static GLFWwindow* shared = openWindow();
    return shared;
}

int countGLErrorLines(const std::string& output) {
    int count = 0;
    for (size_t at = output.find("Type = Error"); at != std::string::npos;
         at = output.find("Type = Error", at + 1)) {
        ++count;
    }
    return count;
}
