// Shader: reading, compiling and linking the stage files of one program, with the driver's
// logs printed on failure. Every stage is compiled with the shared constants and functions
// right after its #version line. Leaves no program bound.
#include "gpu/Shader.h"

#include "base/Console.h"
#include "gpu/ShaderConstants.h"

#include <glm/gtc/type_ptr.hpp>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <utility>
#include <vector>

namespace {

// Whether the line, leading blanks aside, is a #version directive.
bool isVersionLine(const std::string& text, size_t begin, size_t end) {
    size_t at = text.find_first_not_of(" \t", begin);
    if (at >= end || text[at] != '#') {
        return false;
    }
    at = text.find_first_not_of(" \t", at + 1);
    return at < end && text.compare(at, 7, "version") == 0;
}

} // namespace

Shader::Shader()
    : program(0), vertexShader(noStage), fragmentShader(noStage), geometryShader(noStage) {
    program = glCreateProgram();
    if (program == 0) {
        printLine("Failed to create Shader Program");
    }
}

Shader::~Shader() {
    glDeleteProgram(program);
    // Deleting the "none" mark would only raise GL_INVALID_VALUE.
    for (GLuint stage : {vertexShader, fragmentShader, geometryShader}) {
        if (stage != noStage) {
            glDeleteShader(stage);
        }
    }
}

bool Shader::addShader(const std::string& path, GLenum type) {
    switch (type) {
    case GL_VERTEX_SHADER:
        return compileShader(path, type, vertexShader);
    case GL_FRAGMENT_SHADER:
        return compileShader(path, type, fragmentShader);
    case GL_GEOMETRY_SHADER:
        return compileShader(path, type, geometryShader);
    default:
        return false;
    }
}

bool Shader::readFile(const std::string& path, std::string& text) {
    // A directory opens as a stream on Linux but reads as nothing.
    std::error_code ignored;
    if (std::filesystem::is_directory(path, ignored)) {
        return false;
    }
    std::ifstream file(path);
    if (!file.good()) {
        return false;
    }
    text.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    return !file.bad();
}

bool Shader::compileShader(const std::string& path, GLenum type, GLuint& stage) {
    std::string text;
    if (!readFile(path, text)) {
        printLine(path + " - Failed to open Shader file");
        stageMissing = true;
        return false;
    }
    stage = glCreateShader(type);
    if (stage == 0) {
        printLine("Failed to create shader");
        stage = noStage;
        stageMissing = true;
        return false;
    }
    const std::string source = withConstants(text);
    const char* sourceText = source.c_str();
    glShaderSource(stage, 1, &sourceText, nullptr);
    glCompileShader(stage);

    GLint status = 0;
    glGetShaderiv(stage, GL_COMPILE_STATUS, &status);
    if (status != 0 && glIsShader(stage)) {
        return true;
    }
    // The failed object stays in its field; attaching it makes the link fail as well.
    printCompileLog(path, stage);
    return false;
}

// The defines go after the #version line, which must stay first; a #line directive then gives
// the next line its number in the file, so the driver's log points into the file as written.
// Text without a #version line is left as it is: the core profile rejects it either way.
std::string Shader::withConstants(const std::string& text) {
    int lineNumber = 1;
    for (size_t begin = 0; begin < text.size(); ++lineNumber) {
        size_t end = text.find('\n', begin);
        if (end == std::string::npos) {
            end = text.size();
        }
        if (isVersionLine(text, begin, end)) {
            std::string head = text.substr(0, end) + "\n";
            std::string tail = end < text.size() ? text.substr(end + 1) : std::string();
            return head + shaderConstantLines() + shaderFunctions + "#line " +
                   std::to_string(lineNumber + 1) + "\n" + tail;
        }
        begin = end + 1;
    }
    return text;
}

void Shader::printCompileLog(const std::string& path, GLuint stage) {
    GLint length = 0;
    glGetShaderiv(stage, GL_INFO_LOG_LENGTH, &length);
    std::vector<char> log(static_cast<size_t>(length > 0 ? length : 0) + 1, '\0');
    glGetShaderInfoLog(stage, length, nullptr, log.data());
    printLine(path + " - Failed to compile Shader: " + log.data());
    printLine(log.data());
}

bool Shader::link() {
    // Every program has a vertex and a fragment stage; attaching the "none" mark would only
    // raise an error and let the driver link whatever stages remain.
    if (program == 0 || stageMissing || vertexShader == noStage || fragmentShader == noStage) {
        return false;
    }
    glAttachShader(program, vertexShader);
    glAttachShader(program, fragmentShader);
    if (geometryShader != noStage) {
        glAttachShader(program, geometryShader);
    }
    glLinkProgram(program);

    GLint status = 0;
    glGetProgramiv(program, GL_LINK_STATUS, &status);
    if (status != 0) {
        return true;
    }
    printLinkLog();
    return false;
}

void Shader::printLinkLog() {
    GLint length = 0;
    glGetProgramiv(program, GL_INFO_LOG_LENGTH, &length);
    std::vector<char> log(static_cast<size_t>(length > 0 ? length : 0) + 1, '\0');
    glGetProgramInfoLog(program, length, nullptr, log.data());
    printLine("Failed to link Shader Program!");
    printLine(log.data());
}

void Shader::use() {
    glUseProgram(program);
}

void Shader::unuse() {
    glUseProgram(0);
}

void Shader::exchangeBuild(Shader& other) {
    std::swap(program, other.program);
    std::swap(vertexShader, other.vertexShader);
    std::swap(fragmentShader, other.fragmentShader);
    std::swap(geometryShader, other.geometryShader);
    std::swap(stageMissing, other.stageMissing);
}

GLint Shader::location(const std::string& name) const {
    return glGetUniformLocation(program, name.c_str());
}

void Shader::setInt(const std::string& name, int value) const {
    glUniform1i(location(name), value);
}

void Shader::setFloat(const std::string& name, float value) const {
    glUniform1f(location(name), value);
}

void Shader::setVec2(const std::string& name, const glm::vec2& value) const {
    glUniform2fv(location(name), 1, glm::value_ptr(value));
}

void Shader::setVec3(const std::string& name, const glm::vec3& value) const {
    glUniform3fv(location(name), 1, glm::value_ptr(value));
}

void Shader::setVec4(const std::string& name, const glm::vec4& value) const {
    glUniform4fv(location(name), 1, glm::value_ptr(value));
}

void Shader::setMat3(const std::string& name, const glm::mat3& value) const {
    glUniformMatrix3fv(location(name), 1, GL_FALSE, glm::value_ptr(value));
}

void Shader::setMat4(const std::string& name, const glm::mat4& value) const {
    glUniformMatrix4fv(location(name), 1, GL_FALSE, glm::value_ptr(value));
}

void Shader::setMat4Array(const std::string& name, const glm::mat4* values, int count) const {
    glUniformMatrix4fv(location(name), count, GL_FALSE, glm::value_ptr(values[0]));
}
