// Stage files as the driver gets them: the shared constants defined right after the #version
// line, wherever that line is, and compile logs that still point at the file's own lines.
#include "GLTestContext.h"
#include "GpuTestSupport.h"
#include "gpu/Shader.h"
#include "gpu/ShaderConstants.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace {

// A vertex stage that only compiles when SHADOW_MAP_SIZE has the C++ value, after `lead`.
std::string constantCheckingStage(const std::string& lead) {
    return lead + "#version 330 core\n#if SHADOW_MAP_SIZE != " + std::to_string(shadowMapSize) +
           "\n#error SHADOW_MAP_SIZE differs from the C++ constant\n#endif\n"
           "void main() { gl_Position = vec4(float(SHADOW_MAP_SIZE)); }\n";
}

const std::string fragmentStage = "#version 330 core\nout vec4 c;\nvoid main() { c = vec4(1); }\n";

} // namespace

class ShaderGLTest : public GLTest {
protected:
    ScratchDirectory scratch;

    // Compiles the text as a stage of its own; the console output lands in `output`.
    bool compile(const std::string& text, GLenum type, Shader& shader) {
        scratch.write("stage.glsl", text);
        bool built = false;
        output = captureOutput([&] { built = shader.addShader(scratch.file("stage.glsl"), type); });
        return built;
    }

    std::string output;
};

TEST_F(ShaderGLTest, EveryStageSeesTheSharedConstantsWhereverItsVersionLineIs) {
    for (const std::string lead : {"", "// leading comment\n\n", "  /* block */\n"}) {
        SCOPED_TRACE("lead \"" + lead + "\"");
        Shader shader;
        EXPECT_TRUE(compile(constantCheckingStage(lead), GL_VERTEX_SHADER, shader)) << output;
        EXPECT_TRUE(compile(fragmentStage, GL_FRAGMENT_SHADER, shader)) << output;
        EXPECT_TRUE(shader.link());
    }
    // A last line without a line end, and text with no #version line at all (left as it is).
    EXPECT_EQ(Shader::withConstants("#version 330 core").rfind("#version 330 core\n#define ", 0),
              0u);
    EXPECT_EQ(Shader::withConstants("void main() {}\n"), "void main() {}\n");
}

TEST_F(ShaderGLTest, CompileLogsNameTheFilesOwnLineNumbers) {
    const std::string body = "void main() {\n    gl_Position = undeclared;\n}\n";
    for (const std::string lead : {"", "// one\n// two\n"}) {
        SCOPED_TRACE("lead \"" + lead + "\"");
        const std::string text = lead + "#version 330 core\n\n" + body;
        const int errorLine = 4 + static_cast<int>(std::count(lead.begin(), lead.end(), '\n'));
        Shader shader;
        EXPECT_FALSE(compile(text, GL_VERTEX_SHADER, shader));
        // Mesa writes "0:<line>(<column>)", other drivers "0(<line>)".
        const std::string line = std::to_string(errorLine);
        EXPECT_TRUE(output.find("0:" + line + "(") != std::string::npos ||
                    output.find("0(" + line + ")") != std::string::npos)
            << "expected line " << line << " in: " << output;
    }
}
