// GlslValidationTest: every program of the shader registry checked by glslangValidator, the
// reference GLSL front end, on the text the driver is given (the registry's constants inserted
// after #version), so a construct one driver accepts but the language forbids fails the suite;
// and every fragment stage checked for a lookup whose result the language leaves undefined.
#include "ProcessRunner.h"
#include "ScratchDirectory.h"

#include "gpu/Shader.h"
#include "gpu/ShaderManager.h"

#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

// The text with comments blanked out, lines kept.
std::string withoutComments(const std::string& text) {
    std::string out = text;
    for (size_t i = 0; i + 1 < out.size(); ++i) {
        if (out[i] == '/' && out[i + 1] == '/') {
            while (i < out.size() && out[i] != '\n') {
                out[i++] = ' ';
            }
        } else if (out[i] == '/' && out[i + 1] == '*') {
            for (; i + 1 < out.size() && !(out[i] == '*' && out[i + 1] == '/'); ++i) {
                out[i] = out[i] == '\n' ? '\n' : ' ';
            }
            out[i] = out[i + 1] = ' ';
        }
    }
    return out;
}

struct Function {
    std::string name;
    std::string body; // between the braces
};

// The functions of a stage at file level, in order.
std::vector<Function> functions(const std::string& text) {
    std::vector<Function> found;
    int depth = 0;
    size_t open = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '{' && depth++ == 0) {
            open = i;
        } else if (text[i] == '}' && --depth == 0) {
            size_t paren = text.rfind('(', text.rfind(')', open));
            size_t end = text.find_last_not_of(" \t\n", paren - 1) + 1;
            size_t begin = end;
            while (begin > 0 && (std::isalnum(static_cast<unsigned char>(text[begin - 1])) ||
                                 text[begin - 1] == '_')) {
                --begin;
            }
            found.push_back({text.substr(begin, end - begin), text.substr(open + 1, i - open - 1)});
        }
    }
    return found;
}

// Whether `name(` is called in `text` (not as the tail of a longer name).
bool calls(const std::string& text, const std::string& name) {
    for (size_t at = text.find(name + "("); at != std::string::npos;
         at = text.find(name + "(", at + 1)) {
        if (at == 0 ||
            !(std::isalnum(static_cast<unsigned char>(text[at - 1])) || text[at - 1] == '_')) {
            return true;
        }
    }
    return false;
}

bool isNameCharacter(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
}

// The names a stage declares at file level as `uniform TYPE NAME`, `const TYPE NAME` or
// `#define NAME` (the shared constants): the same for every pixel of a draw.
std::set<std::string> uniformNames(const std::string& text) {
    std::set<std::string> names;
    for (const char* qualifier : {"uniform ", "const ", "#define "}) {
        bool typed = std::string(qualifier) != "#define ";
        for (size_t at = text.find(qualifier); at != std::string::npos;
             at = text.find(qualifier, at + 1)) {
            size_t type = text.find_first_not_of(' ', at + std::string(qualifier).size());
            size_t name = typed ? text.find_first_not_of(' ', text.find(' ', type)) : type;
            size_t end = name;
            while (end < text.size() && isNameCharacter(text[end])) {
                ++end;
            }
            names.insert(text.substr(name, end - name));
        }
    }
    return names;
}

// Whether an `if` condition depends only on uniforms, constants and literals, so that the
// whole quad takes the same side.
bool uniformCondition(const std::string& condition, const std::set<std::string>& uniforms) {
    for (size_t i = 0; i < condition.size();) {
        if (!isNameCharacter(condition[i])) {
            ++i;
            continue;
        }
        size_t end = i;
        while (end < condition.size() && isNameCharacter(condition[end])) {
            ++end;
        }
        std::string name = condition.substr(i, end - i);
        bool literal = std::isdigit(static_cast<unsigned char>(name[0])) != 0;
        if (!literal && uniforms.count(name) == 0) {
            return false;
        }
        i = end;
    }
    return true;
}

// The condition of the `if` whose statement or block holds position `at` of `body`, "" when the
// position is not directly under an `if` (a loop, an else, the function's own level).
std::string enclosingIfCondition(const std::string& body, size_t at) {
    size_t close = body.find_last_not_of(" \t\n", at - 1);
    if (close != std::string::npos && body[close] != ')') {
        // Inside a block: back to the brace that opened it.
        int depth = 0;
        size_t i = at;
        while (i-- > 0 && !(body[i] == '{' && depth == 0)) {
            depth += body[i] == '}' ? 1 : body[i] == '{' ? -1 : 0;
        }
        if (i == std::string::npos) {
            return "";
        }
        close = body.find_last_not_of(" \t\n", i - 1);
    }
    if (close == std::string::npos || body[close] != ')') {
        return "";
    }
    int depth = 0;
    size_t open = close;
    for (; open > 0; --open) {
        depth += body[open] == ')' ? 1 : body[open] == '(' ? -1 : 0;
        if (depth == 0) {
            break;
        }
    }
    size_t keyword = body.find_last_not_of(" \t\n", open - 1);
    bool isIf =
        keyword != std::string::npos && keyword >= 1 && body.compare(keyword - 1, 2, "if") == 0;
    return isIf ? body.substr(open + 1, close - open - 1) : std::string("?");
}

// The first implicit-derivative operation of `body` that follows a return or discard which only
// some pixels of a quad may take (one under a condition that is not uniform), or "" when there
// is none. `derivative` lists the names that take derivatives: the built-ins and the stage's
// functions that use them.
std::string derivativeAfterEarlyExit(const std::string& body,
                                     const std::vector<std::string>& derivative,
                                     const std::set<std::string>& uniforms) {
    for (size_t i = 0; i < body.size(); ++i) {
        bool exit = (i == 0 || !isNameCharacter(body[i - 1])) &&
                    (body.compare(i, 7, "return ") == 0 || body.compare(i, 7, "return;") == 0 ||
                     body.compare(i, 7, "discard") == 0);
        if (!exit) {
            continue;
        }
        std::string condition = enclosingIfCondition(body, i);
        if (condition.empty() || uniformCondition(condition, uniforms)) {
            continue;
        }
        std::string rest = body.substr(body.find(';', i));
        for (const std::string& name : derivative) {
            if (calls(rest, name)) {
                return name;
            }
        }
    }
    return "";
}

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

// Implicit derivatives (texture lookups with a computed level, dFdx, dFdy, fwidth) are undefined
// once some pixels of a 2 x 2 quad have returned or discarded: a function whose exit depends on
// more than uniforms takes them before it, directly or through a function of its own.
// (Derivatives inside a branch on a varying are not looked for.)
TEST(GlslDerivativesTest, NoImplicitDerivativeAfterAnEarlyExit) {
    for (const fs::directory_entry& entry : fs::directory_iterator("Shader")) {
        if (entry.path().extension() != ".frag") {
            continue;
        }
        std::ifstream in(entry.path());
        std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::string code = withoutComments(Shader::withConstants(text));
        std::vector<Function> stage = functions(code);
        std::set<std::string> uniforms = uniformNames(code);
        std::vector<std::string> derivative = {"texture", "textureOffset", "textureProj",
                                               "dFdx",    "dFdy",          "fwidth"};
        for (const Function& function : stage) {
            for (const std::string& name : std::vector<std::string>(derivative)) {
                if (calls(function.body, name)) {
                    derivative.push_back(function.name);
                    break;
                }
            }
        }
        for (const Function& function : stage) {
            EXPECT_EQ(derivativeAfterEarlyExit(function.body, derivative, uniforms), "")
                << entry.path().filename().string() << ", " << function.name << "()";
        }
    }
}

} // namespace
