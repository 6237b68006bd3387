// Routes the driver's debug messages to the console, one line each, in the form
// "OpenGL Error: <text> [Source = ..., Type = ..., Severity = ..., ID = ...]".
// The core, ARB and AMD forms of the debug extension are preferred in that order.
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

// The forms of debug output a driver can offer, in order of preference.
enum class DebugEntryPoint { Core, Arb, Amd, None };

// What the driver advertises. OpenGL 4.3 and KHR_debug both bring the core entry point.
struct DebugSupport {
    bool version43 = false;
    bool khrDebug = false;
    bool arbDebugOutput = false;
    bool amdDebugOutput = false;
};

// The most preferred form the driver advertises; None when it advertises none.
DebugEntryPoint chooseDebugEntryPoint(const DebugSupport& support);
// Only the core and ARB forms can deliver each message inside the call that raised it.
bool deliversSynchronously(DebugEntryPoint entryPoint);

// Installs the callback through the chosen entry point and turns on synchronous output where the
// form allows it. The choice rests on the driver's advertised version and extension list, never
// on whether an entry point can be looked up: on GLX a lookup succeeds for any name. Needs a
// current context and GLEW. Returns false when no form is available (nothing is installed).
// Object labels and debug groups (ObjectLabel.h) come with the core form and are switched on for
// this context exactly when it is chosen.
bool installDebugOutput();
