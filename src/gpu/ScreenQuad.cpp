// ScreenQuad: the shared full-screen triangle strip. The instance lives in a function-local
// static, so its GL objects are made on the first getInstance() with the context current.
#include "gpu/ScreenQuad.h"

#include "gpu/ObjectLabel.h"

namespace {

// Top-left, bottom-left, top-right, bottom-right: both strip triangles are counter-clockwise.
const GLfloat cornerPositions[12] = {
    -1.0f, 1.0f, 0.0f, -1.0f, -1.0f, 0.0f, 1.0f, 1.0f, 0.0f, 1.0f, -1.0f, 0.0f,
};

} // namespace

ScreenQuad* ScreenQuad::getInstance() {
    static ScreenQuad instance;
    return &instance;
}

// Leaves the quad's vertex array bound.
ScreenQuad::ScreenQuad() {
    createCornerArray(cornerPositions, vao, vbo, "screen quad");
}

void ScreenQuad::createCornerArray(const GLfloat (&corners)[12], GLuint& vao, GLuint& vbo,
                                   const std::string& label) {
    glGenVertexArrays(1, &vao);
    glBindVertexArray(vao);
    labelObject(GL_VERTEX_ARRAY, vao, label);
    glGenBuffers(1, &vbo);
    glBindBuffer(GL_ARRAY_BUFFER, vbo);
    labelObject(GL_BUFFER, vbo, label + " corners");
    glBufferData(GL_ARRAY_BUFFER, sizeof(corners), corners, GL_STATIC_DRAW);
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, 0, nullptr);
}

// Runs at process exit; the GL calls are skipped once the entry points or the context are gone.
ScreenQuad::~ScreenQuad() {
    if (glDeleteBuffers == nullptr || glfwGetCurrentContext() == nullptr) {
        return;
    }
    glDeleteBuffers(1, &vbo);
    glDeleteVertexArrays(1, &vao);
}

void ScreenQuad::draw() {
    glBindVertexArray(vao);
    glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
    glBindVertexArray(0);
}

void ScreenQuad::drawOverwriting() {
    glDisable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    draw();
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
}
