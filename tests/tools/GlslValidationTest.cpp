// GlslValidationTest: every program of the shader registry checked by glslangValidator, the
// reference GLSL front end, on the text the driver is given (the registry's constants inserted
// after #version), so a construct one driver accepts but the language forbids fails the suite.
#include "ProcessRunner.h"
#include "ScratchDirectory.h"

#include "gpu/Shader.h"
#include "gpu/ShaderManager.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

class GlslValidationTest : public ::testing::Test {
protected:
    void SetUp() override {
        validator = ProcessRunner::capture("command -v glslangValidator");
        while (!validator.empty() && validator.back() == '\n') {
            validator.pop_back();
        }
        ASSERT_FALSE(validator.empty())
            << "glslangValidator not found: install glslang-tools (scripts/install-deps.sh)";
    }

    // The stage file as the registry hands it to the driver, written under its own name.
    std::string asCompiled(const std::string& path) const {
        std::ifstream in(path);
        std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::string written = scratch.file(fs::path(path).filename().string());
        std::ofstream(written) << Shader::withConstants(text);
        return written;
    }

    // Empty when the stages compile and link together, else the validator's report.
    std::string validate(const std::vector<std::string>& stages) const {
        std::vector<std::string> arguments = {"-l"};
        arguments.insert(arguments.end(), stages.begin(), stages.end());
        ProcessOptions options;
        options.timeoutSeconds = 60.0;
        ProcessResult result = ProcessRunner::run(validator, arguments, options);
        return result.exitCode == 0 ? "" : result.output;
    }

    std::string validator;
    ScratchDirectory scratch;
};

TEST_F(GlslValidationTest, EveryProgramLinksAndEveryShaderFileBelongsToOne) {
    std::set<std::string> used;
    for (const ShaderManager::ProgramFiles& program : ShaderManager::programs()) {
        std::vector<std::string> stages;
        for (const std::string path : {program.vertex, program.geometry, program.fragment}) {
            if (!path.empty()) {
                ASSERT_TRUE(fs::is_regular_file(path)) << path;
                stages.push_back(asCompiled(path));
                used.insert(fs::path(path).filename().string());
            }
        }
        EXPECT_EQ(validate(stages), "") << program.key;
    }
    for (const fs::directory_entry& entry : fs::directory_iterator("Shader")) {
        std::string extension = entry.path().extension().string();
        if (extension == ".vert" || extension == ".geom" || extension == ".frag") {
            EXPECT_EQ(used.count(entry.path().filename().string()), 1u)
                << entry.path() << " belongs to no program";
        }
    }
}

} // namespace
