// One linked GLSL program built from two or three stage files read at start-up. Created and
// deleted only by the ShaderManager registry; users look a program up by key, call use() and set
// uniforms by name on `program` each time they draw.
#pragma once

#include "gpu/GL.h"

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

    // The stage text as it goes to the driver: the shared constants of ShaderConstants.h as
    // #defines right after the #version line, then a #line directive so that the driver's log
    // keeps the file's own line numbers.
    static std::string withConstants(const std::string& text);

private:
    bool compileShader(const std::string& path, GLenum type, GLuint& stage);
    bool readFile(const std::string& path, std::string& text);
    void printCompileLog(const std::string& path, GLuint stage);
    void printLinkLog();

    // A stage file that could not be read, or a stage object that could not be created, makes
    // the program unusable: link() then fails instead of linking without that stage.
    bool stageMissing = false;
};
