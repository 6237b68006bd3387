// The run-time switches on the function keys. Every key acts when it is released; each switch
// flips one RenderSettings field and confirms the new state with one console line. Escape asks
// the window to close, which ends the frame loop after the current frame.
#pragma once

#include "gpu/GL.h"

// GLFW key callback, installed on the window once at start-up. Scancode and modifier bits are
// ignored, so Shift+F2 acts like F2. Runs inside glfwPollEvents on the main thread.
void keyCallback(GLFWwindow* window, int key, int scancode, int action, int mods);
