// RobustnessSupport: the state and resource probes and the demo run directories.
#include "RobustnessSupport.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

GLint integer(GLenum name) {
    GLint value = 0;
    glGetIntegerv(name, &value);
    return value;
}

} // namespace

::testing::AssertionResult standingStateRestored(int width, int height) {
    std::vector<std::string> wrong;
    auto expect = [&](bool holds, const char* what) {
        if (!holds) {
            wrong.push_back(what);
        }
    };
    expect(integer(GL_DRAW_FRAMEBUFFER_BINDING) == 0, "draw framebuffer is not 0");
    expect(integer(GL_READ_FRAMEBUFFER_BINDING) == 0, "read framebuffer is not 0");
    expect(glIsEnabled(GL_DEPTH_TEST), "depth test off");
    expect(integer(GL_DEPTH_WRITEMASK) == GL_TRUE, "depth writes off");
    expect(glIsEnabled(GL_CULL_FACE), "culling off");
    expect(integer(GL_CULL_FACE_MODE) == GL_BACK, "culling not GL_BACK");
    expect(glIsEnabled(GL_BLEND), "blending off");
    expect(integer(GL_BLEND_SRC_RGB) == GL_SRC_ALPHA && integer(GL_BLEND_SRC_ALPHA) == GL_SRC_ALPHA,
           "blend source factor not GL_SRC_ALPHA");
    expect(integer(GL_BLEND_DST_RGB) == GL_ONE_MINUS_SRC_ALPHA &&
               integer(GL_BLEND_DST_ALPHA) == GL_ONE_MINUS_SRC_ALPHA,
           "blend destination factor not GL_ONE_MINUS_SRC_ALPHA");
    expect(integer(GL_BLEND_EQUATION_RGB) == GL_FUNC_ADD &&
               integer(GL_BLEND_EQUATION_ALPHA) == GL_FUNC_ADD,
           "blend equation not GL_FUNC_ADD");
    GLboolean colorMask[4] = {GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE};
    glGetBooleanv(GL_COLOR_WRITEMASK, colorMask);
    expect(colorMask[0] && colorMask[1] && colorMask[2] && colorMask[3], "colour writes masked");
    expect(!glIsEnabled(GL_SCISSOR_TEST), "scissor test on");
    expect(glIsEnabled(GL_TEXTURE_CUBE_MAP_SEAMLESS), "seamless cube-map filtering off");
    GLint viewport[4] = {-1, -1, -1, -1};
    glGetIntegerv(GL_VIEWPORT, viewport);
    expect(viewport[0] == 0 && viewport[1] == 0 && viewport[2] == width && viewport[3] == height,
           "viewport is not the window");
    if (wrong.empty()) {
        return ::testing::AssertionSuccess();
    }
    ::testing::AssertionResult failure = ::testing::AssertionFailure();
    for (const std::string& what : wrong) {
        failure << what << "; ";
    }
    return failure << "viewport " << viewport[0] << "," << viewport[1] << " " << viewport[2] << "x"
                   << viewport[3];
}

namespace {

// Counts names 1 .. beyond the next fresh name for which `isObject` says yes. Names handed out
// by glGen* but never bound do not count as objects, which is what a leak of bound objects
// needs anyway.
template <typename Gen, typename Delete, typename Is>
int countNames(Gen gen, Delete del, Is isObject) {
    GLuint probe = 0;
    gen(1, &probe);
    del(1, &probe);
    GLuint last = std::max<GLuint>(probe, 1) + 4096;
    int count = 0;
    for (GLuint name = 1; name <= last; ++name) {
        count += isObject(name) ? 1 : 0;
    }
    return count;
}

int countPrograms(GLboolean (*isObject)(GLuint)) {
    // Programs and shaders share one name space; a fresh program shows where it stands.
    GLuint probe = glCreateProgram();
    glDeleteProgram(probe);
    int count = 0;
    for (GLuint name = 1; name <= probe + 4096; ++name) {
        count += isObject(name) ? 1 : 0;
    }
    return count;
}

GLboolean isProgram(GLuint name) {
    return glIsProgram(name);
}
GLboolean isShader(GLuint name) {
    return glIsShader(name);
}

} // namespace

LiveGLObjects countLiveGLObjects() {
    LiveGLObjects live;
    live.textures = countNames([](GLsizei n, GLuint* names) { glGenTextures(n, names); },
                               [](GLsizei n, const GLuint* names) { glDeleteTextures(n, names); },
                               [](GLuint name) { return glIsTexture(name) == GL_TRUE; });
    live.buffers = countNames([](GLsizei n, GLuint* names) { glGenBuffers(n, names); },
                              [](GLsizei n, const GLuint* names) { glDeleteBuffers(n, names); },
                              [](GLuint name) { return glIsBuffer(name) == GL_TRUE; });
    live.framebuffers =
        countNames([](GLsizei n, GLuint* names) { glGenFramebuffers(n, names); },
                   [](GLsizei n, const GLuint* names) { glDeleteFramebuffers(n, names); },
                   [](GLuint name) { return glIsFramebuffer(name) == GL_TRUE; });
    live.renderbuffers =
        countNames([](GLsizei n, GLuint* names) { glGenRenderbuffers(n, names); },
                   [](GLsizei n, const GLuint* names) { glDeleteRenderbuffers(n, names); },
                   [](GLuint name) { return glIsRenderbuffer(name) == GL_TRUE; });
    live.vertexArrays =
        countNames([](GLsizei n, GLuint* names) { glGenVertexArrays(n, names); },
                   [](GLsizei n, const GLuint* names) { glDeleteVertexArrays(n, names); },
                   [](GLuint name) { return glIsVertexArray(name) == GL_TRUE; });
    live.queries = countNames([](GLsizei n, GLuint* names) { glGenQueries(n, names); },
                              [](GLsizei n, const GLuint* names) { glDeleteQueries(n, names); },
                              [](GLuint name) { return glIsQuery(name) == GL_TRUE; });
    live.programs = countPrograms(isProgram);
    live.shaders = countPrograms(isShader);
    return live;
}

bool LiveGLObjects::operator==(const LiveGLObjects& other) const {
    return textures == other.textures && buffers == other.buffers &&
           framebuffers == other.framebuffers && renderbuffers == other.renderbuffers &&
           vertexArrays == other.vertexArrays && programs == other.programs &&
           shaders == other.shaders && queries == other.queries;
}

std::ostream& operator<<(std::ostream& out, const LiveGLObjects& objects) {
    return out << "{textures " << objects.textures << ", buffers " << objects.buffers
               << ", framebuffers " << objects.framebuffers << ", renderbuffers "
               << objects.renderbuffers << ", vertex arrays " << objects.vertexArrays
               << ", programs " << objects.programs << ", shaders " << objects.shaders
               << ", queries " << objects.queries << "}";
}

std::size_t residentBytes() {
    std::ifstream statm("/proc/self/statm");
    std::size_t totalPages = 0;
    std::size_t residentPages = 0;
    statm >> totalPages >> residentPages;
    return residentPages * static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
}

RunDirectory::RunDirectory(const std::string& options) {
    if (path.empty()) {
        return;
    }
    const fs::path runtime = CATHEDRAL_RUNTIME_DIR;
    fs::copy(runtime / "Shader", fs::path(path) / "Shader", fs::copy_options::recursive);
    fs::copy(runtime / "Assets", fs::path(path) / "Assets", fs::copy_options::recursive);
    write("options.ini", options);
}

ProcessResult runDemo(const RunDirectory& directory, bool closeWithEscape,
                      std::string* windowSize) {
    ProcessOptions options;
    options.workingDirectory = directory.path;
    options.timeoutSeconds = 180;
    options.findWindow = closeWithEscape;
    options.closeWithEscape = closeWithEscape;
    options.onWindow = [windowSize](const std::string& id) {
        if (!windowSize) {
            return;
        }
        std::string geometry = ProcessRunner::capture("xdotool getwindowgeometry " + id);
        size_t at = geometry.find("Geometry: ");
        *windowSize = at == std::string::npos
                          ? geometry
                          : geometry.substr(at + 10, geometry.find('\n', at) - at - 10);
    };
    return ProcessRunner::runCathedral(options);
}

bool hasLine(const std::string& output, const std::string& line) {
    for (const std::string& candidate : ProcessRunner::lines(output)) {
        if (candidate == line) {
            return true;
        }
    }
    return false;
}

std::string lastLine(const std::string& output) {
    std::vector<std::string> all = ProcessRunner::lines(output);
    return all.empty() ? "" : all.back();
}

std::vector<std::string> builtAssetFiles() {
    std::vector<std::string> files;
    std::error_code ignored;
    for (const fs::directory_entry& entry :
         fs::directory_iterator(fs::path(CATHEDRAL_RUNTIME_DIR) / "Assets", ignored)) {
        if (entry.is_regular_file()) {
            files.push_back("Assets/" + entry.path().filename().string());
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

std::string randomBytes(std::size_t count, unsigned seed) {
    std::mt19937 generator(seed);
    std::string bytes(count, '\0');
    for (char& byte : bytes) {
        byte = static_cast<char>(generator() & 0xFF);
    }
    return bytes;
}
