// The shell in-process with a real context: the window and the OpenGL state start-up leaves, the
// shader registry over the current Shader/ files, and its reload over a copy of them changed
// between reloads. One Application per test program, because its destructor shuts the window
// library down.
#include "app/Application.h"
#include "app/RenderSettings.h"
#include "gpu/ShaderConstants.h"
#include "gpu/ShaderManager.h"
#include "gpu/Tunables.h"

#include "GLTestContext.h"
#include "OutputCapture.h"
#include "RobustnessSupport.h"
#include "ScratchDirectory.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <regex>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace fs = std::filesystem;

namespace {

GLint programParameter(GLuint program, GLenum name) {
    GLint value = 0;
    glGetProgramiv(program, name, &value);
    return value;
}

} // namespace

class ApplicationGLTest : public ::testing::Test {
protected:
    // Opens the window from an options file with an odd size, so the centre is rounded down.
    static void SetUpTestSuite() {
        runtimeDirectory = fs::current_path();
        ScratchDirectory options;
        if (options.path.empty()) {
            return;
        }
        options.write("options.ini", "[Window]\nwidth=1025\nheight=769\nupdateShadowMaps=0\n");
        fs::current_path(options.path);
        startupOutput = captureOutput([] { opened = application.initWindow(); });
        fs::current_path(runtimeDirectory);
    }

    void SetUp() override { ASSERT_TRUE(opened) << startupOutput; }

    static inline Application application;
    static inline bool opened = false;
    static inline std::string startupOutput;
    static inline fs::path runtimeDirectory;
};

TEST_F(ApplicationGLTest, WindowOpensAtTheConfiguredSizeWithTheCursorAtItsCentre) {
    EXPECT_EQ(application.width, 1025);
    EXPECT_EQ(application.height, 769);
    EXPECT_FALSE(RenderSettings::updateShadowMaps);
    int width = 0, height = 0;
    glfwGetWindowSize(application.window, &width, &height);
    EXPECT_EQ(width, 1025);
    EXPECT_EQ(height, 769);
    double x = 0, y = 0;
    glfwGetCursorPos(application.window, &x, &y);
    EXPECT_EQ(x, 512.0);
    EXPECT_EQ(y, 384.0);
    EXPECT_EQ(glfwGetWindowAttrib(application.window, GLFW_OPENGL_PROFILE),
              GLFW_OPENGL_CORE_PROFILE);
    EXPECT_TRUE(glfwGetWindowAttrib(application.window, GLFW_OPENGL_DEBUG_CONTEXT));
    EXPECT_GE(glfwGetWindowAttrib(application.window, GLFW_CONTEXT_VERSION_MAJOR) * 10 +
                  glfwGetWindowAttrib(application.window, GLFW_CONTEXT_VERSION_MINOR),
              33);
    EXPECT_EQ(glfwGetWindowMonitor(application.window), nullptr);
    // Start-up prints nothing on success, debug messages included.
    EXPECT_EQ(startupOutput, "");
}

TEST_F(ApplicationGLTest, StartUpLeavesTheStandingGLState) {
    GLfloat clear[4];
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    EXPECT_EQ(glm::vec4(clear[0], clear[1], clear[2], clear[3]),
              glm::vec4(skyColor[0], skyColor[1], skyColor[2], 0.0f));
    EXPECT_TRUE(standingStateRestored(1025, 769));
    EXPECT_TRUE(glIsEnabled(GL_DEBUG_OUTPUT_SYNCHRONOUS));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(ApplicationGLTest, DebugOutputReachesTheConsole) {
    std::string output = captureOutput([] { glEnable(0xFFFF); }); // not a capability
    glGetError();
    EXPECT_EQ(countGLErrorLines(output), 1) << output;
    EXPECT_EQ(output.rfind("OpenGL Error: ", 0), 0u) << output;
}

TEST_F(ApplicationGLTest, EveryProgramOfTheTableBuildsFromTheShaderFiles) {
    std::string output = captureOutput([] { ShaderManager::loadShaders(); });
    EXPECT_EQ(output, "Loading Shaders!\n");

    // Each program of the registry's table is built from its own files, with a geometry stage
    // only where the table names one; the shared full-screen vertex file is compiled once per
    // program that uses it.
    std::vector<GLuint> sharedVertexStages;
    for (const ShaderManager::ProgramFiles& files : ShaderManager::programs()) {
        const char* key = files.key;
        Shader* shader = ShaderManager::getShader(key);
        ASSERT_NE(shader, nullptr) << key;
        EXPECT_TRUE(glIsProgram(shader->program)) << key;
        EXPECT_EQ(programParameter(shader->program, GL_LINK_STATUS), GL_TRUE) << key;
        bool hasGeometry = files.geometry[0] != '\0';
        EXPECT_EQ(programParameter(shader->program, GL_ATTACHED_SHADERS), hasGeometry ? 3 : 2)
            << key;
        EXPECT_EQ(shader->geometryShader != Shader::noStage, hasGeometry) << key;
        if (std::string(files.vertex) == "Shader/postprocess.vert") {
            sharedVertexStages.push_back(shader->vertexShader);
        }
    }
    ASSERT_GE(sharedVertexStages.size(), 2u);
    for (size_t i = 0; i < sharedVertexStages.size(); ++i) {
        for (size_t j = i + 1; j < sharedVertexStages.size(); ++j) {
            EXPECT_NE(sharedVertexStages[i], sharedVertexStages[j]);
        }
    }
    EXPECT_EQ(countGLErrorLines(output), 0);

    // Keys are case-sensitive; an unregistered key is a programming error that throws.
    EXPECT_THROW(ShaderManager::getShader("Bloom"), std::out_of_range);
    EXPECT_THROW(ShaderManager::getShader(""), std::out_of_range);

    ShaderManager::deleteShaders();
    EXPECT_THROW(ShaderManager::getShader("bloom"), std::out_of_range);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

class ShaderBuildGLTest : public ApplicationGLTest {
protected:
    std::string write(const std::string& name, const std::string& text) {
        scratch.write(name, text);
        return scratch.file(name);
    }
    ScratchDirectory scratch;
    const std::string vertex = "#version 330 core\nvoid main() { gl_Position = vec4(0.0); }\n";
    const std::string fragment =
        "#version 330 core\nout vec4 color;\nvoid main() { color = vec4(1.0); }\n";
};

TEST_F(ShaderBuildGLTest, AnUnreadableStageFileIsReportedAndFailsTheProgram) {
    for (std::string missing : {std::string("no/such/stage.frag"), scratch.path}) {
        Shader shader;
        EXPECT_TRUE(shader.addShader(write("ok.vert", vertex), GL_VERTEX_SHADER));
        std::string output = captureOutput([&] {
            EXPECT_FALSE(shader.addShader(missing, GL_FRAGMENT_SHADER));
            // Linking without the stage would succeed on Mesa: a missing stage must not.
            EXPECT_FALSE(shader.link());
        });
        EXPECT_EQ(output, missing + " - Failed to open Shader file\n");
        EXPECT_EQ(shader.fragmentShader, Shader::noStage);
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(ShaderBuildGLTest, OnlyTheThreeStageTypesAreAcceptedAndBothAreNeeded) {
    Shader shader;
    EXPECT_FALSE(shader.addShader(write("ok.vert", vertex), GL_COMPUTE_SHADER));
    EXPECT_FALSE(shader.addShader(write("ok.vert", vertex), GL_TESS_CONTROL_SHADER));
    EXPECT_EQ(shader.vertexShader, Shader::noStage);
    EXPECT_EQ(shader.fragmentShader, Shader::noStage);
    EXPECT_EQ(shader.geometryShader, Shader::noStage);
    EXPECT_TRUE(shader.addShader(write("ok.vert", vertex), GL_VERTEX_SHADER));
    bool linked = true;
    EXPECT_EQ(captureOutput([&] { linked = shader.link(); }), ""); // no fragment stage yet
    EXPECT_FALSE(linked);
    EXPECT_TRUE(shader.addShader(write("ok.frag", fragment), GL_FRAGMENT_SHADER));
    EXPECT_TRUE(shader.link());
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

// The registry rebuilt over a copy of Shader/ whose files the tests change between reloads.
class ShaderReloadGLTest : public ApplicationGLTest {
protected:
    void SetUp() override {
        ApplicationGLTest::SetUp();
        ASSERT_FALSE(scratch.path.empty());
        fs::copy(runtimeDirectory / "Shader", fs::path(scratch.path) / "Shader",
                 fs::copy_options::recursive);
        fs::current_path(scratch.path);
        ASSERT_EQ(captureOutput([] { ShaderManager::loadShaders(); }), "Loading Shaders!\n");
    }
    void TearDown() override {
        ShaderManager::deleteShaders();
        fs::current_path(runtimeDirectory);
    }

    // Reloads; the returned lines must end in the count, which must be what reloadShaders says.
    std::string reload(int expectedRebuilt) {
        int rebuilt = -1;
        std::string output = captureOutput([&] { rebuilt = ShaderManager::reloadShaders(); });
        EXPECT_EQ(rebuilt, expectedRebuilt);
        EXPECT_EQ(lastLine(output), "Shaders reloaded: " + std::to_string(expectedRebuilt));
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
        return output;
    }
    // What reloading prints for the programs that read `path` (a vertex or fragment stage) when
    // it no longer builds: each one's lines as a start-up build of the same files prints them,
    // then its kept line.
    static std::string keptLines(const std::string& path, int& programs) {
        std::string lines;
        programs = 0;
        for (const ShaderManager::ProgramFiles& files : ShaderManager::programs()) {
            if (files.vertex != path && files.fragment != path) {
                continue;
            }
            lines += captureOutput([&] {
                Shader shader;
                shader.addShader(files.vertex, GL_VERTEX_SHADER);
                shader.addShader(files.fragment, GL_FRAGMENT_SHADER);
                shader.link();
            });
            lines += std::string("Kept the previous build of ") + files.key + "\n";
            ++programs;
        }
        return lines;
    }

    // The driver numbers its compiler messages as it sends them.
    static std::string withoutMessageIds(const std::string& output) {
        return std::regex_replace(output, std::regex(", ID = [0-9]+\\]"), ", ID = ]");
    }

    ScratchDirectory scratch;
    const int programCount = static_cast<int>(ShaderManager::programs().size());
    const std::string fxaaFile = "Shader/postprocess_fxaa.frag";
    const std::string brokenStage = "#version 330 core\nvoid main( {\n";
};

TEST_F(ShaderReloadGLTest, ARebuildMovesIntoTheObjectUsersHoldAndReplacesItsGLObjects) {
    Shader* fxaa = ShaderManager::getShader("fxaa");
    const GLuint oldProgram = fxaa->program;
    const GLuint oldStages[] = {fxaa->vertexShader, fxaa->fragmentShader};
    EXPECT_EQ(glGetUniformLocation(oldProgram, "solidColor"), -1);
    fxaa->use(); // a bound program is replaced as well, and left unbound

    scratch.write(fxaaFile, "#version 330 core\nuniform vec4 solidColor;\n"
                            "layout(location = 0) out vec4 fragColor;\n"
                            "void main() { fragColor = solidColor; }\n");
    EXPECT_EQ(reload(programCount), "Shaders reloaded: " + std::to_string(programCount) + "\n");
    EXPECT_EQ(ShaderManager::getShader("fxaa"), fxaa);
    EXPECT_NE(fxaa->program, oldProgram);
    EXPECT_EQ(programParameter(fxaa->program, GL_LINK_STATUS), GL_TRUE);
    EXPECT_GE(glGetUniformLocation(fxaa->program, "solidColor"), 0);
    EXPECT_FALSE(glIsProgram(oldProgram));
    for (GLuint stage : oldStages) {
        EXPECT_FALSE(glIsShader(stage));
    }
    GLint current = -1;
    glGetIntegerv(GL_CURRENT_PROGRAM, &current);
    EXPECT_EQ(current, 0);

    // A rebuilt program draws with the tunables' values in use, not its initialisers.
    const Tunable& exposure = *findTunable("exposure");
    setTunable(exposure, 3.0f);
    reload(programCount);
    GLfloat value = 0.0f;
    Shader* bloom = ShaderManager::getShader("bloom");
    glGetUniformfv(bloom->program, glGetUniformLocation(bloom->program, exposure.uniform), &value);
    EXPECT_EQ(value, 3.0f);
    resetTunables();
}

// Reloads over and over, built and failed, also leave no program or stage object behind.
TEST_F(ShaderReloadGLTest, ABrokenFileKeepsThePreviousBuildUntilItIsFixed) {
    const LiveGLObjects before = countLiveGLObjects();
    EXPECT_GE(before.programs, programCount);
    const std::string sharedVertex = "Shader/postprocess.vert";
    const std::pair<const char*, std::function<void(const std::string& file)>> breakages[] = {
        {"deleted", [&](const std::string& file) { fs::remove(scratch.file(file)); }},
        {"emptied", [&](const std::string& file) { scratch.write(file, ""); }},
        // A directory in its place cannot be read even by root, whom chmod 000 does not stop.
        {"unreadable",
         [&](const std::string& file) {
             fs::remove(scratch.file(file));
             fs::create_directory(scratch.file(file));
         }},
        {"syntax error", [&](const std::string& file) { scratch.write(file, brokenStage); }},
    };
    for (const std::string& file : {fxaaFile, sharedVertex}) {
        const std::string original = scratch.read(file);
        for (const auto& [name, breakFile] : breakages) {
            SCOPED_TRACE(file + " " + name);
            Shader* fxaa = ShaderManager::getShader("fxaa");
            const GLuint kept = fxaa->program;
            breakFile(file);
            int failing = 0;
            const std::string expected = keptLines(file, failing);
            ASSERT_GE(failing, 1);
            std::string output = reload(programCount - failing);
            EXPECT_EQ(withoutMessageIds(output),
                      withoutMessageIds(expected + "Shaders reloaded: " +
                                        std::to_string(programCount - failing) + "\n"));
            EXPECT_NE(output.find(file + " - Failed to"), std::string::npos) << output;
            EXPECT_EQ(ShaderManager::getShader("fxaa"), fxaa);
            EXPECT_EQ(fxaa->program, kept);
            EXPECT_EQ(programParameter(kept, GL_LINK_STATUS), GL_TRUE);

            fs::remove_all(scratch.file(file));
            scratch.write(file, original);
            reload(programCount);
            EXPECT_NE(fxaa->program, kept);
        }
    }
    EXPECT_EQ(countLiveGLObjects(), before);
}

// The loop's reload runs once per R and hands back its own time, which the loop keeps out of the
// next frame's time so the tour does not jump by it; without a request it does nothing.
TEST_F(ShaderReloadGLTest, TheLoopReloadsOncePerRequestAndReportsTheTimeItTook) {
    EXPECT_EQ(captureOutput([] { EXPECT_EQ(application.followShaderReload(), 0.0); }), "");
    RenderSettings::shaderReloadRequested = true;
    double took = -1.0;
    double before = glfwGetTime();
    std::string output = captureOutput([&] { took = application.followShaderReload(); });
    double elapsed = glfwGetTime() - before;
    EXPECT_EQ(output, "Shaders reloaded: " + std::to_string(programCount) + "\n");
    EXPECT_FALSE(RenderSettings::shaderReloadRequested);
    EXPECT_GT(took, 0.0);
    EXPECT_LE(took, elapsed);
}
