// ScreenQuad: the one full-screen rectangle (a counter-clockwise triangle strip over NDC -1..1,
// positions at attribute location 0) that every full-screen pass draws. Created on first use.
#pragma once

#include "gpu/GL.h"

#include <string>

class ScreenQuad {
public:
    GLuint vao = 0;
    GLuint vbo = 0;

    // The process-wide instance, created on the first call (the GL context must be current).
    static ScreenQuad* getInstance();

    // Draws the four corners as GL_TRIANGLE_STRIP; sets no program, texture or target.
    // Leaves vertex array 0 bound.
    void draw();
    // The same for a pass that writes every pixel of the bound target: blending and the depth
    // test are off for the draw, so the target is neither read back nor given depth, and on
    // again afterwards, as the standing state has them.
    void drawOverwriting();

    // Uploads four corners (12 floats) into a new buffer and a new vertex array that feeds them
    // to attribute location 0 as 3 floats each; the billboards' quad is built the same way. The
    // vertex array is labelled `label`, the buffer "<label> corners". Leaves the new vertex array
    // bound.
    static void createCornerArray(const GLfloat (&corners)[12], GLuint& vao, GLuint& vbo,
                                  const std::string& label);

    ~ScreenQuad();

    ScreenQuad(const ScreenQuad&) = delete;
    ScreenQuad& operator=(const ScreenQuad&) = delete;

private:
    ScreenQuad();
};
