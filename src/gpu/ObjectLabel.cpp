// ObjectLabel: the per-context switch and the label and group calls behind it.
#include "gpu/ObjectLabel.h"

#include <algorithm>

namespace {

bool offered = false;
// The longest label and group name the driver takes, without the terminating zero.
GLsizei longestLabel = 0;

GLsizei cutLength(const std::string& text) {
    return std::min(static_cast<GLsizei>(text.size()), longestLabel);
}

} // namespace

// Both limits count the terminating zero. A group's name is a debug message, bounded by
// GL_MAX_DEBUG_MESSAGE_LENGTH, a label by GL_MAX_LABEL_LENGTH: the smaller one serves both.
void setObjectLabelsOffered(bool isOffered) {
    offered = isOffered;
    longestLabel = 0;
    if (offered) {
        GLint labelLimit = 0;
        GLint messageLimit = 0;
        glGetIntegerv(GL_MAX_LABEL_LENGTH, &labelLimit);
        glGetIntegerv(GL_MAX_DEBUG_MESSAGE_LENGTH, &messageLimit);
        longestLabel = static_cast<GLsizei>(std::max(0, std::min(labelLimit, messageLimit) - 1));
    }
}

bool objectLabelsOffered() {
    return offered;
}

void labelObject(GLenum identifier, GLuint name, const std::string& label) {
    if (offered && name != 0) {
        glObjectLabel(identifier, name, cutLength(label), label.c_str());
    }
}

void pushDebugGroup(const std::string& name) {
    if (offered) {
        glPushDebugGroup(GL_DEBUG_SOURCE_APPLICATION, 0, cutLength(name), name.c_str());
    }
}

void popDebugGroup() {
    if (offered) {
        glPopDebugGroup();
    }
}
