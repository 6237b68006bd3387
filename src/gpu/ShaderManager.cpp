// ShaderManager: the program table and the registry that owns the built programs.
#include "gpu/ShaderManager.h"

#include "base/Console.h"
#include "gpu/ObjectLabel.h"
#include "gpu/Tunables.h"

#include <cstdlib>
#include <string>
#include <vector>

namespace {

using ProgramFiles = ShaderManager::ProgramFiles;

// In build order. The full-screen vertex stage is compiled anew for each program that uses it.
const std::vector<ProgramFiles> programTable = {
    {"deferredFirstPass", "Shader/deferredFirstPass.vert", "", "Shader/deferredFirstPass.frag",
     "Failed to load Deferred Geometry Pass Shader"},
    {"deferredRenderPass", "Shader/deferredRenderPass.vert", "", "Shader/deferredRenderPass.frag",
     "Failed to load Deferred Lighting Pass Shader"},
    {"bloom", "Shader/postprocess.vert", "", "Shader/postprocess_bloom.frag",
     "Failed to load Postprocess Bloom Shader"},
    {"gaussBlur", "Shader/postprocess.vert", "", "Shader/postprocess_gauss_blur.frag",
     "Failed to load Postprocess Gauss Shader"},
    {"ssao", "Shader/postprocess.vert", "", "Shader/postprocess_ssao.frag",
     "Failed to load Postprocess SSAO Shader"},
    {"forwardRender", "Shader/forwardRenderPass.vert", "", "Shader/forwardRenderPass.frag",
     "Failed to load Forward Render Pass Shader"},
    {"avgBlur", "Shader/postprocess.vert", "", "Shader/postprocess_avg_blur.frag",
     "Failed to load Postprocess Average Blur Shader"},
    {"billBoardShader", "Shader/billBoard.vert", "", "Shader/billBoard.frag",
     "Failed to load Billboard Shader"},
    {"lightShaft", "Shader/postprocess.vert", "", "Shader/postprocess_lightShafts.frag",
     "Failed to load Postprocess LightShaft Shader"},
    {"shadowMap", "Shader/shadowMap.vert", "", "Shader/shadowMap.frag",
     "Failed to load Shadowmapping Shader"},
    {"omnidirectional_shadowMap", "Shader/omnidirectionalShadowMap_FirstPass.vert",
     "Shader/omnidirectionalShadowMap_FirstPass.geom",
     "Shader/omnidirectionalShadowMap_FirstPass.frag", "Failed to load Shadowmapping Shader"},
    {"coloredShadowMap", "Shader/coloredShadowMap.vert", "", "Shader/coloredShadowMap.frag",
     "Failed to load colored Shadowmapping Shader"},
    {"drawShadowMap", "Shader/drawShadowMap.vert", "", "Shader/drawShadowMap.frag",
     "Failed to load Shadowmap draw Shader"},
    {"debugView", "Shader/postprocess.vert", "", "Shader/debugView.frag",
     "Failed to load Debug View Shader"},
    {"fxaa", "Shader/postprocess.vert", "", "Shader/postprocess_fxaa.frag",
     "Failed to load Postprocess FXAA Shader"},
};

// Builds one program; the stage results are not checked here because the link decides. The
// program is labelled with its key and each stage with its file, for frame debuggers.
Shader* buildProgram(const ProgramFiles& files) {
    Shader* shader = new Shader();
    labelObject(GL_PROGRAM, shader->program, files.key);
    const struct {
        const char* path;
        GLenum type;
        GLuint Shader::*stage;
    } stages[] = {{files.vertex, GL_VERTEX_SHADER, &Shader::vertexShader},
                  {files.geometry, GL_GEOMETRY_SHADER, &Shader::geometryShader},
                  {files.fragment, GL_FRAGMENT_SHADER, &Shader::fragmentShader}};
    for (const auto& stage : stages) {
        if (stage.path[0] == '\0') {
            continue;
        }
        shader->addShader(stage.path, stage.type);
        if (shader->*stage.stage != Shader::noStage) {
            labelObject(GL_SHADER, shader->*stage.stage, std::string(files.key) + " " + stage.path);
        }
    }
    return shader;
}

} // namespace

void ShaderManager::loadShaders() {
    printLine("Loading Shaders!");
    for (const ProgramFiles& files : programTable) {
        Shader* shader = buildProgram(files);
        if (!shader->link()) {
            printLine(files.failureMessage);
            // Released while the context is still current: the registry itself is destroyed
            // at exit, which would lose the programs without deleting them.
            delete shader;
            deleteShaders();
            std::exit(-1);
        }
        shaders[files.key] = shader;
    }
}

int ShaderManager::reloadShaders() {
    // A program still bound would outlive its deletion until it is unbound.
    Shader::unuse();
    int rebuilt = 0;
    for (const ProgramFiles& files : programTable) {
        auto registered = shaders.find(files.key);
        if (registered == shaders.end()) {
            continue;
        }
        Shader* attempt = buildProgram(files);
        if (attempt->link()) {
            registered->second->exchangeBuild(*attempt);
            // A new build starts from the tunables' start values, its uniforms' initialisers.
            uploadTunables(*registered->second);
            ++rebuilt;
        } else {
            printLine(std::string("Kept the previous build of ") + files.key);
        }
        // The previous build after an exchange, the failed attempt otherwise.
        delete attempt;
    }
    printLine("Shaders reloaded: " + intToString(rebuilt));
    return rebuilt;
}

Shader* ShaderManager::getShader(std::string key) {
    return shaders.at(key);
}

Shader* ShaderManager::findShader(const std::string& key) {
    auto found = shaders.find(key);
    return found == shaders.end() ? nullptr : found->second;
}

void ShaderManager::deleteShaders() {
    for (auto& entry : shaders) {
        delete entry.second;
    }
    shaders.clear();
}

const std::vector<ShaderManager::ProgramFiles>& ShaderManager::programs() {
    return programTable;
}
