// The hidden test window and its context, plus frame capture and error counting.
#include "GLTestContext.h"

#include "app/DebugOutput.h"

#include <FreeImage.h>

#include <vector>

namespace {

GLFWwindow* createWindow() {
    if (!glfwInit()) {
        return nullptr;
    }
    glfwWindowHint(GLFW_OPENGL_DEBUG_CONTEXT, GLFW_TRUE);
    glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, 3);
    glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, 3);
    glfwWindowHint(GLFW_OPENGL_PROFILE, GLFW_OPENGL_CORE_PROFILE);
    glfwWindowHint(GLFW_VISIBLE, GLFW_FALSE);
    GLFWwindow* window = glfwCreateWindow(1024, 768, "GL test", nullptr, nullptr);
    if (!window) {
        return nullptr;
    }
    glfwMakeContextCurrent(window);
    glewExperimental = GL_TRUE;
    if (glewInit() != GLEW_OK) {
        return nullptr;
    }
    glGetError(); // GLEW's start-up may leave an error pending
    installDebugOutput();
    return window;
}

} // namespace

GLFWwindow* GLTestContext::window() {
    static GLFWwindow* shared = createWindow();
    return shared;
}

bool GLTestContext::writeFramebufferPng(const std::string& path, int width, int height) {
    std::vector<unsigned char> pixels(static_cast<size_t>(width) * height * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_BGRA, GL_UNSIGNED_BYTE, pixels.data());
    // FreeImage also stores rows bottom first, so the rows go across unchanged.
    FIBITMAP* bitmap =
        FreeImage_ConvertFromRawBits(pixels.data(), width, height, width * 4, 32, FI_RGBA_RED_MASK,
                                     FI_RGBA_GREEN_MASK, FI_RGBA_BLUE_MASK, FALSE);
    if (!bitmap) {
        return false;
    }
    bool saved = FreeImage_Save(FIF_PNG, bitmap, path.c_str(), 0);
    FreeImage_Unload(bitmap);
    return saved;
}

int countGLErrorLines(const std::string& output) {
    int count = 0;
    for (size_t at = output.find("Type = Error"); at != std::string::npos;
         at = output.find("Type = Error", at + 1)) {
        ++count;
    }
    return count;
}
