// ObjectLabel: readable names on the GL objects and debug groups around the frame's passes, for
// frame debuggers (apitrace, RenderDoc) and the driver's own messages. Both need the core debug
// entry points (OpenGL 4.3 or GL_KHR_debug); installDebugOutput decides once per context whether
// they are offered, and without them every call here does nothing.
#pragma once

#include "gpu/GL.h"

#include <string>

// Whether the current context offers labels and groups, as its advertised version and extension
// list say (installDebugOutput passes its choice of entry point). Reads the driver's longest
// label when they are offered.
void setObjectLabelsOffered(bool offered);
bool objectLabelsOffered();

// Labels the object `name` of the type `identifier` (GL_TEXTURE, GL_FRAMEBUFFER, GL_BUFFER, ...).
// The object must exist, that is have been bound once (a sampler exists from glGenSamplers). A
// label longer than the driver allows is cut to its limit; name 0 is left alone.
void labelObject(GLenum identifier, GLuint name, const std::string& label);

// Opens and closes a debug group of the application. The driver echoes each as a debug message,
// which the debug callback prints: groups are for runs that ask for them.
void pushDebugGroup(const std::string& name);
void popDebugGroup();
