// Routes the driver's debug messages to the console, one line each, in the form
// "OpenGL Error: <text> [Source = ..., Type = ..., Severity = ..., ID = ...]".
// The core, ARB and AMD forms of the debug extension are tried in that order.
#pragma once

#include "gpu/GL.h"

#include <string>

// Builds the console line for one debug message; unlisted enum values read "Unknown".
std::string formatDebugMessage(GLenum source, GLenum type, GLuint id, GLenum severity,
                               const std::string& message);

// Callback of the core and ARB forms: prints the formatted line to standard output.
void GLAPIENTRY glDebugOutputCallback(GLenum source, GLenum type, GLuint id, GLenum severity,
                                      GLsizei length, const GLchar* message, const void* userParam);

// Callback of the AMD form: the category stands in for both source and type.
void GLAPIENTRY glDebugOutputCallback(GLuint id, GLenum category, GLenum severity, GLsizei length,
                                      const GLchar* message, GLvoid* userParam);

// Installs the callback through the first entry point the driver offers (core, ARB, AMD),
// fetched with the window library's loader, and turns on synchronous output for core and ARB.
// Needs a current context. Returns false when no form is available (nothing is installed).
bool installDebugOutput();
