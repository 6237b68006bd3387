// The shell in-process with a real context: the window and the OpenGL state start-up leaves, and
// the shader registry over the current Shader/ files. One Application per test program, because
// its destructor shuts the window library down.
#include "app/Application.h"
#include "app/RenderSettings.h"
#include "gpu/ShaderConstants.h"
#include "gpu/ShaderManager.h"

#include "GLTestContext.h"
#include "OutputCapture.h"
#include "RobustnessSupport.h"
#include "ScratchDirectory.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>
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
