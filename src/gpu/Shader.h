// One linked GLSL program built from two or three stage files, read at start-up and again on each
// reload. Created and deleted only by the ShaderManager registry; users look a program up by key,
// call use() and set uniforms by name each time they draw (the setters below look the location up
// on every call), so a reload that swaps the GL objects underneath needs nothing from them.
#pragma once

#include "gpu/GL.h"

#include <glm/glm.hpp>

#include <string>

class Shader {
public:
    // The mark of a stage that was never built: every bit set.
    static constexpr GLuint noStage = static_cast<GLuint>(-1);

    GLuint program;        // from glCreateProgram; 0 if that failed
    GLuint vertexShader;   // noStage until a vertex stage is added
    GLuint fragmentShader; // noStage until a fragment stage is added
    GLuint geometryShader; // noStage when the program has no geometry stage

    // Creates the program object; prints "Failed to create Shader Program" when that fails.
    Shader();
    // Deletes the program and every stage object it holds.
    ~Shader();
    Shader(const Shader&) = delete;
    Shader& operator=(const Shader&) = delete;

    // Reads and compiles one stage file (vertex, fragment or geometry) into its field. Returns
    // false for any other stage type, an unreadable file or a failed compile.
    bool addShader(const std::string& path, GLenum type);
    // Attaches the built stages and links. Returns false (after printing the log) on failure,
    // and, without linking, when the program object or a stage could not be created or read or
    // the vertex or fragment stage was never added.
    bool link();
    void use();
    static void unuse();
    // Swaps every GL object and the build state with `other`: the registry moves a rebuilt
    // program into the object its users hold and deletes `other` with the previous build.
    void exchangeBuild(Shader& other);

    // Uniform uploads to this program, which must be in use. Each looks the location up by name
    // on every call; a name the program does not declare is ignored, as OpenGL ignores -1.
    void setInt(const std::string& name, int value) const;
    void setFloat(const std::string& name, float value) const;
    void setVec2(const std::string& name, const glm::vec2& value) const;
    void setVec3(const std::string& name, const glm::vec3& value) const;
    void setVec4(const std::string& name, const glm::vec4& value) const;
    void setMat3(const std::string& name, const glm::mat3& value) const;
    void setMat4(const std::string& name, const glm::mat4& value) const;
    // `count` matrices from `values` into a mat4 array uniform.
    void setMat4Array(const std::string& name, const glm::mat4* values, int count) const;

    // The stage text as it goes to the driver: the shared constants of ShaderConstants.h as
    // #defines right after the #version line and the shared functions, then a #line directive so
    // that the driver's log keeps the file's own line numbers.
    static std::string withConstants(const std::string& text);

private:
    GLint location(const std::string& name) const;
    bool compileShader(const std::string& path, GLenum type, GLuint& stage);
    bool readFile(const std::string& path, std::string& text);
    void printCompileLog(const std::string& path, GLuint stage);
    void printLinkLog();

    // A stage file that could not be read, or a stage object that could not be created, makes
    // the program unusable: link() then fails instead of linking without that stage.
    bool stageMissing = false;
};
