// Every one of the shader files missing, empty or replaced by random bytes: start-up ends in the
// shader registry with its lines (the stage's own lines, then the failure message of the first
// program that reads the file) and exit code 255, before any asset is loaded.
#include "GLTestContext.h"
#include "RobustnessSupport.h"

#include <filesystem>
#include <string>

namespace {

// Each file and the failure message of the first program, in build order, that reads it.
struct ShaderFile {
    const char* path;
    const char* failureMessage;
};

const ShaderFile shaderFiles[] = {
    {"Shader/deferredFirstPass.vert", "Failed to load Deferred Geometry Pass Shader"},
    {"Shader/deferredFirstPass.frag", "Failed to load Deferred Geometry Pass Shader"},
    {"Shader/deferredRenderPass.vert", "Failed to load Deferred Lighting Pass Shader"},
    {"Shader/deferredRenderPass.frag", "Failed to load Deferred Lighting Pass Shader"},
    {"Shader/postprocess.vert", "Failed to load Postprocess Bloom Shader"},
    {"Shader/postprocess_bloom.frag", "Failed to load Postprocess Bloom Shader"},
    {"Shader/postprocess_gauss_blur.frag", "Failed to load Postprocess Gauss Shader"},
    {"Shader/postprocess_ssao.frag", "Failed to load Postprocess SSAO Shader"},
    {"Shader/forwardRenderPass.vert", "Failed to load Forward Render Pass Shader"},
    {"Shader/forwardRenderPass.frag", "Failed to load Forward Render Pass Shader"},
    {"Shader/postprocess_avg_blur.frag", "Failed to load Postprocess Average Blur Shader"},
    {"Shader/billBoard.vert", "Failed to load Billboard Shader"},
    {"Shader/billBoard.frag", "Failed to load Billboard Shader"},
    {"Shader/postprocess_lightShafts.frag", "Failed to load Postprocess LightShaft Shader"},
    {"Shader/shadowMap.vert", "Failed to load Shadowmapping Shader"},
    {"Shader/shadowMap.frag", "Failed to load Shadowmapping Shader"},
    {"Shader/omnidirectionalShadowMap_FirstPass.vert", "Failed to load Shadowmapping Shader"},
    {"Shader/omnidirectionalShadowMap_FirstPass.geom", "Failed to load Shadowmapping Shader"},
    {"Shader/omnidirectionalShadowMap_FirstPass.frag", "Failed to load Shadowmapping Shader"},
    {"Shader/coloredShadowMap.vert", "Failed to load colored Shadowmapping Shader"},
    {"Shader/coloredShadowMap.frag", "Failed to load colored Shadowmapping Shader"},
    {"Shader/drawShadowMap.vert", "Failed to load Shadowmap draw Shader"},
    {"Shader/drawShadowMap.frag", "Failed to load Shadowmap draw Shader"},
    {"Shader/debugView.frag", "Failed to load Debug View Shader"},
    {"Shader/postprocess_fxaa.frag", "Failed to load Postprocess FXAA Shader"},
};

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
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(
             std::filesystem::path(CATHEDRAL_RUNTIME_DIR) / "Shader")) {
        std::string path = "Shader/" + entry.path().filename().string();
        bool listed = false;
        for (const ShaderFile& file : shaderFiles) {
            listed = listed || path == file.path;
        }
        EXPECT_TRUE(listed) << path << " is not among the files these tests break";
        ++files;
    }
    EXPECT_EQ(files, 25);
}

TEST_F(BrokenShadersRunGLTest, AMissingFileIsNamedAndEndsStartUp) {
    for (const ShaderFile& file : shaderFiles) {
        SCOPED_TRACE(file.path);
        RunDirectory directory(smallWindow);
        std::filesystem::remove(directory.file(file.path));
        ProcessResult result = runDemo(directory, false);
        expectEndedInTheRegistry(result, file);
        EXPECT_TRUE(
            hasLine(result.output, std::string(file.path) + " - Failed to open Shader file"))
            << result.output;
    }
}

TEST_F(BrokenShadersRunGLTest, AnEmptyOrGarbledFileFailsToBuildAndEndsStartUp) {
    unsigned seed = 1;
    for (const ShaderFile& file : shaderFiles) {
        for (bool empty : {true, false}) {
            SCOPED_TRACE(std::string(file.path) + (empty ? " empty" : " random bytes"));
            RunDirectory directory(smallWindow);
            directory.write(file.path, empty ? std::string() : randomBytes(600, seed++));
            ProcessResult result = runDemo(directory, false);
            expectEndedInTheRegistry(result, file);
            // An empty stage may compile and fail only at the link; either way the driver's
            // log comes with the registry's line.
            bool compileLine =
                result.output.find(std::string(file.path) + " - Failed to compile Shader: ") !=
                std::string::npos;
            EXPECT_TRUE(compileLine || hasLine(result.output, "Failed to link Shader Program!"))
                << result.output;
        }
    }
}
