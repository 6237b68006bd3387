// The one place that includes the OpenGL headers: GLEW first (it declares every entry point),
// then GLFW without its own GL header, so no file depends on the include order.
#pragma once

#include <GL/glew.h>

#define GLFW_INCLUDE_NONE
#include <GLFW/glfw3.h>
