// Debug output: the choice of entry point, the two callback forms and the message formatter.
#include "app/DebugOutput.h"

#include "base/Console.h"
#include "gpu/ObjectLabel.h"

#include <iostream>
#include <sstream>

namespace {

const char* sourceWord(GLenum source) {
    switch (source) {
    case GL_DEBUG_SOURCE_API:
    case GL_DEBUG_CATEGORY_API_ERROR_AMD:
        return "API";
    case GL_DEBUG_SOURCE_WINDOW_SYSTEM:
    case GL_DEBUG_CATEGORY_WINDOW_SYSTEM_AMD:
        return "Window System";
    case GL_DEBUG_SOURCE_SHADER_COMPILER:
    case GL_DEBUG_CATEGORY_SHADER_COMPILER_AMD:
        return "Shader Compiler";
    case GL_DEBUG_SOURCE_THIRD_PARTY:
        return "Third Party";
    case GL_DEBUG_SOURCE_APPLICATION:
    case GL_DEBUG_CATEGORY_APPLICATION_AMD:
        return "Application";
    case GL_DEBUG_SOURCE_OTHER:
    case GL_DEBUG_CATEGORY_OTHER_AMD:
        return "Other";
    default:
        return "Unknown";
    }
}

const char* typeWord(GLenum type) {
    switch (type) {
    case GL_DEBUG_TYPE_ERROR:
        return "Error";
    case GL_DEBUG_TYPE_DEPRECATED_BEHAVIOR:
    case GL_DEBUG_CATEGORY_DEPRECATION_AMD:
        return "Deprecated Behavior";
    case GL_DEBUG_TYPE_UNDEFINED_BEHAVIOR:
    case GL_DEBUG_CATEGORY_UNDEFINED_BEHAVIOR_AMD:
        return "Undefined Behavior";
    case GL_DEBUG_TYPE_PORTABILITY:
        return "Portability";
    case GL_DEBUG_TYPE_PERFORMANCE:
    case GL_DEBUG_CATEGORY_PERFORMANCE_AMD:
        return "Performance";
    case GL_DEBUG_TYPE_OTHER:
    case GL_DEBUG_CATEGORY_OTHER_AMD:
        return "Other";
    case GL_DEBUG_TYPE_PUSH_GROUP: // a debug group's echo (Renderer::setDebugGroups)
        return "Push Group";
    case GL_DEBUG_TYPE_POP_GROUP:
        return "Pop Group";
    default:
        return "Unknown";
    }
}

// The AMD severities share their values with the core ones.
const char* severityWord(GLenum severity) {
    switch (severity) {
    case GL_DEBUG_SEVERITY_HIGH:
        return "High";
    case GL_DEBUG_SEVERITY_MEDIUM:
        return "Medium";
    case GL_DEBUG_SEVERITY_LOW:
        return "Low";
    default:
        return "Unknown";
    }
}

// glewGetExtension reads the driver's extension list; GLEW's GLEW_*_debug_* flags cannot be used
// here, as glewExperimental sets them for every extension whose entry points merely resolve.
DebugSupport advertisedDebugSupport() {
    DebugSupport support;
    support.version43 = GLEW_VERSION_4_3;
    support.khrDebug = glewGetExtension("GL_KHR_debug");
    support.arbDebugOutput = glewGetExtension("GL_ARB_debug_output");
    support.amdDebugOutput = glewGetExtension("GL_AMD_debug_output");
    return support;
}

} // namespace

std::string formatDebugMessage(GLenum source, GLenum type, GLuint id, GLenum severity,
                               const std::string& message) {
    std::stringstream line;
    line << "OpenGL Error: " << message << " [Source = " << sourceWord(source)
         << ", Type = " << typeWord(type) << ", Severity = " << severityWord(severity)
         << ", ID = " << id << "]";
    return line.str();
}

void GLAPIENTRY glDebugOutputCallback(GLenum source, GLenum type, GLuint id, GLenum severity,
                                      GLsizei /*length*/, const GLchar* message,
                                      const void* /*userParam*/) {
    consoleStream() << formatDebugMessage(source, type, id, severity, message ? message : "")
                    << std::endl;
}

void GLAPIENTRY glDebugOutputCallback(GLuint id, GLenum category, GLenum severity,
                                      GLsizei /*length*/, const GLchar* message,
                                      GLvoid* /*userParam*/) {
    consoleStream() << formatDebugMessage(category, category, id, severity, message ? message : "")
                    << std::endl;
}

DebugEntryPoint chooseDebugEntryPoint(const DebugSupport& support) {
    if (support.version43 || support.khrDebug) {
        return DebugEntryPoint::Core;
    }
    if (support.arbDebugOutput) {
        return DebugEntryPoint::Arb;
    }
    if (support.amdDebugOutput) {
        return DebugEntryPoint::Amd;
    }
    return DebugEntryPoint::None;
}

bool deliversSynchronously(DebugEntryPoint entryPoint) {
    return entryPoint == DebugEntryPoint::Core || entryPoint == DebugEntryPoint::Arb;
}

bool installDebugOutput() {
    // Overload selection needs the exact pointer types of the two forms.
    GLDEBUGPROC coreCallback = glDebugOutputCallback;
    GLDEBUGPROCAMD amdCallback = glDebugOutputCallback;
    DebugEntryPoint entryPoint = chooseDebugEntryPoint(advertisedDebugSupport());
    setObjectLabelsOffered(entryPoint == DebugEntryPoint::Core);
    switch (entryPoint) {
    case DebugEntryPoint::Core:
        glDebugMessageCallback(coreCallback, nullptr);
        break;
    case DebugEntryPoint::Arb:
        glDebugMessageCallbackARB(coreCallback, nullptr);
        break;
    case DebugEntryPoint::Amd:
        glDebugMessageCallbackAMD(amdCallback, nullptr);
        break;
    case DebugEntryPoint::None:
        return false;
    }
    if (deliversSynchronously(entryPoint)) {
        glEnable(GL_DEBUG_OUTPUT_SYNCHRONOUS);
    }
    return true;
}
