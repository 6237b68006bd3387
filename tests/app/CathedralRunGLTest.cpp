// The demo executable run as a user runs it, in a fresh working directory under the test
// display: broken or missing shader files, a missing options.ini, the start from a directory
// without the data folders, and the keys reaching the running program.
#include "ProcessRunner.h"
#include "RobustnessSupport.h"
#include "ScratchDirectory.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

const std::string syntaxError = "\nthis is not GLSL;\n";

// The lines a compile failure of `path` prints before `failureMessage` ends the process: the
// compile line with the log, the log again, the link line and the link log. The logs are the
// driver's own text, so they are taken from the output and checked for their repetition.
// Mesa also reports each compile error through the debug output from inside glCompileShader,
// so such lines may precede the compile line; they are checked against the log and set aside.
::testing::AssertionResult endsWithCompileFailure(std::string output, const std::string& path,
                                                  const std::string& failureMessage) {
    std::vector<std::string> compilerMessages;
    const std::string loading = "Loading Shaders!\n";
    while (output.compare(loading.size(), 14, "OpenGL Error: ") == 0) {
        size_t end = output.find('\n', loading.size());
        std::string line = output.substr(loading.size(), end - loading.size());
        if (line.find("[Source = Shader Compiler, Type = Error") == std::string::npos) {
            return ::testing::AssertionFailure() << "unexpected debug message: " << line;
        }
        compilerMessages.push_back(line.substr(14, line.find(" [Source") - 14));
        output.erase(loading.size(), end + 1 - loading.size());
    }
    const std::string start = "Loading Shaders!\n" + path + " - Failed to compile Shader: ";
    if (output.compare(0, start.size(), start) != 0) {
        return ::testing::AssertionFailure() << "does not start with the compile line:\n" << output;
    }
    std::string rest = output.substr(start.size());
    const std::string linkLine = "Failed to link Shader Program!\n";
    for (size_t end = rest.find('\n'); end != std::string::npos; end = rest.find('\n', end + 1)) {
        std::string log = rest.substr(0, end);
        std::string repeated = log + "\n" + log + "\n" + linkLine;
        if (log.empty() || rest.compare(0, repeated.size(), repeated) != 0) {
            continue;
        }
        for (const std::string& message : compilerMessages) {
            if (log.find(message) == std::string::npos) {
                return ::testing::AssertionFailure() << "debug message not in the log: " << message;
            }
        }
        std::string tail = rest.substr(repeated.size());
        std::string last = failureMessage + "\n";
        if (tail.size() < last.size() ||
            tail.compare(tail.size() - last.size(), last.size(), last) != 0) {
            return ::testing::AssertionFailure() << "does not end with the failure message:\n"
                                                 << output;
        }
        if (tail.find("Loading") != std::string::npos ||
            tail.find("Failed to load") != tail.size() - last.size()) {
            return ::testing::AssertionFailure() << "more than one failure message:\n" << output;
        }
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << "the compile log is not repeated:\n" << output;
}

} // namespace

class CathedralRunGLTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_FALSE(scratch.path.empty()); }

    // A working directory with its own copy of the shaders, the shared assets and, when given,
    // an options file.
    void prepare(const std::string& options) {
        fs::copy(runtime / "Shader", directory / "Shader", fs::copy_options::recursive);
        if (fs::exists(runtime / "Assets") && !fs::is_symlink(directory / "Assets")) {
            fs::create_directory_symlink(runtime / "Assets", directory / "Assets");
        }
        if (!options.empty()) {
            std::ofstream(directory / "options.ini") << options;
        }
    }

    void appendTo(const std::string& shaderFile, const std::string& text) {
        std::ofstream(directory / shaderFile, std::ios::app) << text;
    }

    ProcessResult runUntilExit() {
        ProcessOptions options;
        options.workingDirectory = directory.string();
        options.timeoutSeconds = 120;
        return ProcessRunner::runCathedral(options);
    }

    // Runs until the window shows, records its size and closes it with Escape.
    ProcessResult runAndClose(std::string& geometry, const std::vector<std::string>& keys = {}) {
        ProcessOptions options;
        options.workingDirectory = directory.string();
        options.timeoutSeconds = 300;
        options.findWindow = true;
        options.closeWithEscape = true;
        options.windowAfterOutput = "Loading Shaders!";
        options.onWindow = [&](const std::string& id) {
            geometry = ProcessRunner::capture("xdotool getwindowgeometry " + id);
            for (const std::string& key : keys) {
                ProcessRunner::capture("xdotool key --window " + id + " " + key);
            }
        };
        return ProcessRunner::runCathedral(options);
    }

    ScratchDirectory scratch; // the working directory, removed after the test
    const fs::path directory = scratch.path;
    const fs::path runtime = CATHEDRAL_RUNTIME_DIR;
};

TEST_F(CathedralRunGLTest, ASyntaxErrorInAStageEndsStartUpWithItsProgramsMessage) {
    // A file each of a fragment, the shared vertex, the geometry and the first program's stage.
    for (const char* file :
         {"Shader/billBoard.frag", "Shader/postprocess.vert",
          "Shader/omnidirectionalShadowMap_FirstPass.geom", "Shader/deferredFirstPass.vert"}) {
        SCOPED_TRACE(file);
        std::vector<ShaderFile> files = shaderFiles();
        auto broken = std::find_if(files.begin(), files.end(),
                                   [&](const ShaderFile& listed) { return listed.path == file; });
        ASSERT_NE(broken, files.end());
        fs::remove_all(directory / "Shader");
        prepare("[Window]\nwidth=64\nheight=64\n");
        appendTo(file, syntaxError);
        ProcessResult result = runUntilExit();
        EXPECT_FALSE(result.timedOut);
        EXPECT_EQ(result.exitCode, 255);
        EXPECT_TRUE(endsWithCompileFailure(result.output, file, broken->failureMessage));
    }
}

TEST_F(CathedralRunGLTest, WithoutOptionsTheWindowIs1024x768AndEscapeEndsTheRunCleanly) {
    prepare("");
    std::string geometry;
    ProcessResult result = runAndClose(geometry);
    EXPECT_TRUE(result.windowSeen) << result.output;
    EXPECT_FALSE(result.timedOut) << result.output;
    EXPECT_EQ(result.exitCode, 0) << result.output;
    EXPECT_NE(geometry.find("Geometry: 1024x768"), std::string::npos) << geometry;
    EXPECT_EQ(result.output.rfind("Loading Shaders!\n", 0), 0u) << result.output;
    EXPECT_EQ(result.output.find("Type = Error"), std::string::npos) << result.output;
}

TEST_F(CathedralRunGLTest, TheConfiguredSizeAndKeysReachTheRunningProgram) {
    prepare("[Window]\nwidth=320\nheight=200\n");
    std::string geometry;
    ProcessResult result = runAndClose(geometry, {"F4", "F1", "shift+F7"});
    EXPECT_EQ(result.exitCode, 0) << result.output;
    EXPECT_NE(geometry.find("Geometry: 320x200"), std::string::npos) << geometry;
    EXPECT_NE(result.output.find("SSAO Enabled: 0\n"
                                 "Light Mode changed to: AMBIENT_DIFFUSE\n"
                                 "Colored Shadows Enabled: 1\n"),
              std::string::npos)
        << result.output;
}

TEST_F(CathedralRunGLTest, ANonZeroFullscreenFillsThePrimaryMonitor) {
    prepare("[Window]\nwidth=640\nheight=480\nfullscreen=2\n");
    std::string geometry;
    ProcessResult result = runAndClose(geometry);
    std::string screen = ProcessRunner::capture("xdotool getdisplaygeometry");
    EXPECT_EQ(result.exitCode, 0) << result.output;
    std::string size = screen.substr(0, screen.find_first_of("\n"));
    ASSERT_NE(size.find(' '), std::string::npos) << screen;
    size[size.find(' ')] = 'x';
    EXPECT_NE(geometry.find("Geometry: " + size), std::string::npos) << geometry << screen;
}

TEST_F(CathedralRunGLTest, AStartFromAnotherDirectoryMovesToTheExecutablesDirectory) {
    std::string geometry;
    ProcessResult result = runAndClose(geometry);
    std::string executableDirectory = fs::path(CATHEDRAL_EXECUTABLE).parent_path().string();
    EXPECT_EQ(result.exitCode, 0) << result.output;
    EXPECT_EQ(result.output.rfind("Shader folder not found in the working directory; running "
                                  "from " +
                                      fs::canonical(executableDirectory).string() +
                                      "\nLoading Shaders!\n",
                                  0),
              0u)
        << result.output;
}

// A copy of the program far from any Shader/ folder says where it looked before the first shader
// fails.
TEST_F(CathedralRunGLTest, AStartWithoutShadersAnywhereNamesBothPlacesLookedIn) {
    fs::create_directories(directory / "program");
    fs::create_directories(directory / "elsewhere");
    fs::copy_file(CATHEDRAL_EXECUTABLE, directory / "program" / "cathedral");
    ProcessOptions options;
    options.workingDirectory = (directory / "elsewhere").string();
    options.timeoutSeconds = 60;
    ProcessResult result =
        ProcessRunner::run((directory / "program" / "cathedral").string(), {}, options);
    EXPECT_EQ(result.exitCode, 255) << result.output;
    std::string looked = "Shader folder not found in the working directory (" +
                         fs::canonical(directory / "elsewhere").string() +
                         ") nor in the program's directory (" +
                         fs::canonical(directory / "program").string() + ")\nLoading Shaders!\n";
    EXPECT_EQ(result.output.rfind(looked, 0), 0u) << result.output;
    EXPECT_NE(result.output.find("Shader/"), std::string::npos) << result.output;
}

TEST_F(CathedralRunGLTest, AWindowSystemFailureEndsStartUpWithItsLineOnly) {
    prepare("");
    ProcessOptions options;
    options.workingDirectory = directory.string();
    options.timeoutSeconds = 60;

    options.environment = {"DISPLAY="};
    ProcessResult noDisplay = ProcessRunner::runCathedral(options);
    EXPECT_EQ(noDisplay.exitCode, 255);
    EXPECT_EQ(noDisplay.output, "GLFW Init failed!\n");

    // A driver that offers less than OpenGL 3.3 cannot give the core context.
    options.environment = {"MESA_GL_VERSION_OVERRIDE=3.0"};
    ProcessResult oldDriver = ProcessRunner::runCathedral(options);
    EXPECT_EQ(oldDriver.exitCode, 255);
    EXPECT_EQ(oldDriver.output, "Creating Window failed!\n");
}
