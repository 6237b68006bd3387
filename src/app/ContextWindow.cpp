// ContextWindow: window hints, context creation, GLEW start-up and the initial GL state.
#include "app/ContextWindow.h"

#include "app/Console.h"

GLFWwindow* ContextWindow::open(int width, int height, bool fullscreen, bool visible) {
    if (!glfwInit()) {
        printLine("GLFW Init failed!");
        return nullptr;
    }
    glfwWindowHint(GLFW_OPENGL_DEBUG_CONTEXT, GLFW_TRUE);
    glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, 3);
    glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, 3);
    glfwWindowHint(GLFW_OPENGL_PROFILE, GLFW_OPENGL_CORE_PROFILE);
    glfwWindowHint(GLFW_REFRESH_RATE, 60);
    if (!visible) {
        glfwWindowHint(GLFW_VISIBLE, GLFW_FALSE);
    }

    GLFWmonitor* monitor = fullscreen ? glfwGetPrimaryMonitor() : nullptr;
    GLFWwindow* window = glfwCreateWindow(width, height, "Window", monitor, nullptr);
    if (!window) {
        printLine("Creating Window failed!");
        return nullptr;
    }
    glfwMakeContextCurrent(window);

    glewExperimental = GL_TRUE;
    if (glewInit() != GLEW_OK) {
        printLine("Glew Init failed!");
        return nullptr;
    }
    // GLEW's start-up may leave an error pending; it is cleared here, never reported.
    glGetError();
    return window;
}

void ContextWindow::setInitialState(int width, int height) {
    glClearColor(0.49f, 0.73f, 1.0f, 0.0f);
    glViewport(0, 0, width, height);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_TEXTURE_CUBE_MAP_SEAMLESS);
}
