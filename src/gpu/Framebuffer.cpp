// Framebuffer: bookkeeping of the attachments of one framebuffer object. Every attachment is
// checked for completeness as it is added; the draw-buffer list is always rebuilt from the
// recorded colour attachments in ascending order, so the order of the add calls never matters.
#include "gpu/Framebuffer.h"

#include <algorithm>
#include <string>
#include <utility>

#include "base/Console.h"
#include "gpu/ObjectLabel.h"

Framebuffer::Framebuffer(int width, int height, std::string label)
    : width(width), height(height), label(std::move(label)) {
    glGenFramebuffers(1, &fbo);
    if (!isComplete()) {
        printLine("Failed to build Framebuffer");
    }
}

namespace {

bool isDepthOrStencilAttachment(GLenum attachment) {
    return attachment == GL_DEPTH_ATTACHMENT || attachment == GL_STENCIL_ATTACHMENT ||
           attachment == GL_DEPTH_STENCIL_ATTACHMENT;
}

// How a texture label names the attachment point when its caller gives no name.
std::string attachmentWord(GLenum attachment) {
    switch (attachment) {
    case GL_DEPTH_ATTACHMENT:
        return "depth";
    case GL_STENCIL_ATTACHMENT:
        return "stencil";
    case GL_DEPTH_STENCIL_ATTACHMENT:
        return "depth-stencil";
    default:
        return "colour " + std::to_string(attachment - GL_COLOR_ATTACHMENT0);
    }
}

// Allocates storage of the given size on the texture bound to GL_TEXTURE_2D, linear filtering,
// no mipmaps, default wrap modes.
void allocateAttachmentStorage(GLint internalFormat, int width, int height, GLenum format,
                               GLenum type) {
    glTexImage2D(GL_TEXTURE_2D, 0, internalFormat, width, height, 0, format, type, nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
}

} // namespace

// The driver's limit is asked once; a query without a context (0) is asked again next time.
bool Framebuffer::isColorAttachment(GLenum attachment) {
    static GLint maxColorAttachments = 0;
    if (maxColorAttachments == 0) {
        glGetIntegerv(GL_MAX_COLOR_ATTACHMENTS, &maxColorAttachments);
    }
    return attachment >= GL_COLOR_ATTACHMENT0 &&
           attachment < GL_COLOR_ATTACHMENT0 + static_cast<GLenum>(maxColorAttachments);
}

bool Framebuffer::isComplete() {
    return glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
}

void Framebuffer::labelAttachment(GLenum identifier, GLuint name,
                                  const std::string& attachmentName) const {
    if (!label.empty()) {
        labelObject(GL_FRAMEBUFFER, fbo, label);
        labelObject(identifier, name, label + " " + attachmentName);
    }
}

std::vector<GLenum> Framebuffer::drawBufferList() const {
    std::vector<GLenum> list;
    for (const auto& entry : textures) {
        if (isColorAttachment(entry.first)) {
            list.push_back(entry.first);
        }
    }
    return list;
}

// Applies to the framebuffer bound for drawing; an empty list leaves its draw buffers as they are.
void Framebuffer::restoreDrawBuffers() const {
    std::vector<GLenum> list = drawBufferList();
    if (!list.empty()) {
        glDrawBuffers(static_cast<GLsizei>(list.size()), list.data());
    }
}

// A point that is neither a colour attachment nor depth/stencil is refused before any GL object
// is made. A texture that leaves the framebuffer incomplete is detached (the attachment's earlier
// texture, if any, is put back) and deleted, so the framebuffer stays as it was and nothing leaks.
// A texture that replaces an earlier one at the same point deletes the earlier one.
void Framebuffer::addTexture(GLenum attachment, GLint internalFormat, GLenum format, GLenum type,
                             glm::vec4 clearColor, bool drawBuffer,
                             const std::string& attachmentName) {
    if (!isColorAttachment(attachment) && !isDepthOrStencilAttachment(attachment)) {
        printLine("Failed to add Texture to  Framebuffer");
        return;
    }
    glBindFramebuffer(GL_FRAMEBUFFER, fbo);

    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    allocateAttachmentStorage(internalFormat, width, height, format, type);
    labelAttachment(GL_TEXTURE, texture,
                    attachmentName.empty() ? attachmentWord(attachment) : attachmentName);
    glFramebufferTexture2D(GL_FRAMEBUFFER, attachment, GL_TEXTURE_2D, texture, 0);
    if (!drawBuffer) {
        glDrawBuffer(GL_NONE);
    }

    if (isComplete()) {
        GLuint replaced = getTexture(attachment);
        if (replaced != 0) {
            glDeleteTextures(1, &replaced);
        }
        textures[attachment] = texture;
        clearColors[attachment] = clearColor;
    } else {
        printLine("Failed to add Texture to  Framebuffer");
        glFramebufferTexture2D(GL_FRAMEBUFFER, attachment, GL_TEXTURE_2D, getTexture(attachment),
                               0);
        glDeleteTextures(1, &texture);
    }

    restoreDrawBuffers();
    unbind();
}

// 24-bit depth with 8-bit stencil, the format of the window's own depth buffer: a depth blit
// between two framebuffers requires identical depth and stencil formats.
void Framebuffer::addRenderbuffer() {
    bind();
    glGenRenderbuffers(1, &depthRenderbuffer);
    glBindRenderbuffer(GL_RENDERBUFFER, depthRenderbuffer);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH24_STENCIL8, width, height);
    labelAttachment(GL_RENDERBUFFER, depthRenderbuffer,
                    attachmentWord(GL_DEPTH_STENCIL_ATTACHMENT));
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER,
                              depthRenderbuffer);
    if (!isComplete()) {
        printLine("Failed to add Renderbuffer to Framebuffer");
    }
    unbind();
}

void Framebuffer::bind() {
    glBindFramebuffer(GL_FRAMEBUFFER, fbo);
    glViewport(0, 0, width, height);
}

void Framebuffer::unbind() {
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
}

void Framebuffer::bindForReading() {
    glBindFramebuffer(GL_READ_FRAMEBUFFER, fbo);
}

void Framebuffer::bindForDrawing() {
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, fbo);
}

void Framebuffer::bindTexture(GLenum attachment, int unit) {
    glActiveTexture(GL_TEXTURE0 + static_cast<GLenum>(unit));
    glBindTexture(GL_TEXTURE_2D, getTexture(attachment));
}

// The draw-buffer list is put in place once, then each colour attachment is cleared alone through
// its slot in it, so attachments with different clear colours never overwrite each other; depth
// is cleared once. The clear colour is left at the last colour attachment's, as a glClear of each
// would leave it.
void Framebuffer::clear() {
    std::vector<GLenum> list = drawBufferList();
    if (!list.empty()) {
        glDrawBuffers(static_cast<GLsizei>(list.size()), list.data());
    }
    for (size_t slot = 0; slot < list.size(); ++slot) {
        glClearBufferfv(GL_COLOR, static_cast<GLint>(slot), &clearColors[list[slot]][0]);
    }
    glClear(GL_DEPTH_BUFFER_BIT);
    if (!list.empty()) {
        const glm::vec4& last = clearColors[list.back()];
        glClearColor(last.r, last.g, last.b, last.a);
    }
}

// The names are zeroed afterwards, so a second release of this copy deletes nothing (GL may
// already have handed the freed names to other objects). Other copies still hold the old names.
void Framebuffer::release() {
    glDeleteFramebuffers(1, &fbo);
    if (depthRenderbuffer != 0) {
        glDeleteRenderbuffers(1, &depthRenderbuffer);
    }
    for (const auto& entry : textures) {
        glDeleteTextures(1, &entry.second);
    }
    textures.clear();
    clearColors.clear();
    fbo = 0;
    depthRenderbuffer = 0;
}

GLuint Framebuffer::getTexture(GLenum attachment) const {
    auto found = textures.find(attachment);
    return found == textures.end() ? 0 : found->second;
}

GLuint Framebuffer::getId() const {
    return fbo;
}

int Framebuffer::largestSize() {
    GLint viewport[2] = {0, 0};
    GLint texture = 0;
    GLint renderbuffer = 0;
    glGetIntegerv(GL_MAX_VIEWPORT_DIMS, viewport);
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &texture);
    glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &renderbuffer);
    return std::min({viewport[0], viewport[1], texture, renderbuffer});
}
