// Every one of the shader files missing, empty or replaced by random bytes: start-up ends in the
// shader registry with its lines (the stage's own lines, then the failure message of the first
// program that reads the file) and exit code 255, before any asset is loaded.
#include "GLTestContext.h"
#include "RobustnessSupport.h"

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace {

const char* const smallWindow = "[Window]\nwidth=64\nheight=48\n";

// The common end of every failed start: exit code 255 from the registry, its message last,
// nothing loaded after the shaders.
void expectEndedInTheRegistry(const ProcessResult& result, const ShaderFile& file) {
    EXPECT_FALSE(result.timedOut) << result.output;
    EXPECT_EQ(result.exitCode, 255) << result.output;
    EXPECT_EQ(lastLine(result.output), file.failureMessage) << result.output;
    EXPECT_EQ(result.output.rfind("Loading Shaders!\n", 0), 0u) << result.output;
    EXPECT_EQ(result.output.find("Importing file from"), std::string::npos) << result.output;
}

} // namespace

class BrokenShadersRunGLTest : public GLTest {};

TEST_F(BrokenShadersRunGLTest, TheRegistryCoversEveryShaderFileOfTheBuild) {
    std::vector<ShaderFile> listed = shaderFiles();
    size_t files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(
             std::filesystem::path(CATHEDRAL_RUNTIME_DIR) / "Shader")) {
        std::string path = "Shader/" + entry.path().filename().string();
        EXPECT_TRUE(std::any_of(listed.begin(), listed.end(),
                                [&](const ShaderFile& file) { return file.path == path; }))
            << path << " is read by no program";
        ++files;
    }
    EXPECT_EQ(files, listed.size());
}

TEST_F(BrokenShadersRunGLTest, AMissingFileIsNamedAndEndsStartUp) {
    for (const ShaderFile& file : shaderFiles()) {
        SCOPED_TRACE(file.path);
        RunDirectory directory(smallWindow);
        std::filesystem::remove(directory.file(file.path));
        ProcessResult result = runDemo(directory, false);
        expectEndedInTheRegistry(result, file);
        // Nothing but the registry's lines: the earlier programs build silently.
        EXPECT_EQ(result.output, "Loading Shaders!\n" + file.path +
                                     " - Failed to open Shader file\n" + file.failureMessage +
                                     "\n");
    }
}

TEST_F(BrokenShadersRunGLTest, AnEmptyOrGarbledFileFailsToBuildAndEndsStartUp) {
    unsigned seed = 1;
    for (const ShaderFile& file : shaderFiles()) {
        for (bool empty : {true, false}) {
            SCOPED_TRACE(file.path + (empty ? " empty" : " random bytes"));
            RunDirectory directory(smallWindow);
            directory.write(file.path, empty ? std::string() : randomBytes(600, seed++));
            ProcessResult result = runDemo(directory, false);
            expectEndedInTheRegistry(result, file);
            // An empty stage may compile and fail only at the link; either way the driver's
            // log comes with the registry's line.
            bool compileLine = result.output.find(file.path + " - Failed to compile Shader: ") !=
                               std::string::npos;
            EXPECT_TRUE(compileLine || hasLine(result.output, "Failed to link Shader Program!"))
                << result.output;
        }
    }
}
