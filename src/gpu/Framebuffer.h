// Framebuffer: one off-screen framebuffer object of a fixed size, the 2D textures attached to it,
// a clear colour per attachment and an optional depth renderbuffer. The render targets of the
// passes (G-buffer, HDR target, SSAO, blur, light shafts) are built on it.
#pragma once

#include "gpu/GL.h"

#include <glm/glm.hpp>

#include <map>
#include <string>
#include <vector>

// A value: copies share the GL names and create or delete nothing. Only release() deletes the GL
// objects; the owner calls it once on the one copy it keeps.
class Framebuffer {
public:
    GLuint fbo = 0;
    // attachment point -> texture name, iterated in ascending attachment order
    std::map<GLenum, GLuint> textures;
    // attachment point -> colour used by clear()
    std::map<GLenum, glm::vec4> clearColors;
    GLuint depthRenderbuffer = 0;
    int width = 0;
    int height = 0;
    // The target's name in frame debuggers ("G-buffer"); each attachment's label starts with it
    // ("G-buffer world position"). Empty: no object of this framebuffer is labelled.
    std::string label;

    // An empty 0 x 0 framebuffer that names no GL object, to be assigned later.
    Framebuffer() = default;
    // Generates the framebuffer object (not bound) and reports an incomplete bound framebuffer.
    Framebuffer(int width, int height, std::string label = "");

    // Creates a texture of the framebuffer's size, attaches it and records it when the
    // framebuffer is complete afterwards. The texture is labelled with the framebuffer's label and
    // `attachmentName`, by default the attachment point's ("colour 0", "depth"). Leaves
    // framebuffer 0 bound.
    void addTexture(GLenum attachment, GLint internalFormat, GLenum format, GLenum type,
                    glm::vec4 clearColor, bool drawBuffer, const std::string& attachmentName = "");
    // Creates and attaches the depth renderbuffer (24-bit depth, 8-bit stencil, like the window's,
    // so its depth can be blitted there), labelled "<label> depth-stencil". Leaves framebuffer 0
    // bound and the viewport at this framebuffer's size.
    void addRenderbuffer();

    // Binds to GL_FRAMEBUFFER and sets the viewport to the framebuffer's size.
    void bind();
    // Binds framebuffer 0 to GL_FRAMEBUFFER; the viewport is unchanged.
    void unbind();
    // Binds to GL_READ_FRAMEBUFFER only (source of a blit).
    void bindForReading();
    // Binds to GL_DRAW_FRAMEBUFFER only (target of a blit).
    void bindForDrawing();
    // Activates GL_TEXTURE0 + unit and binds the attachment's texture (0 when never added).
    void bindTexture(GLenum attachment, int unit);
    // Clears the framebuffer bound for drawing: each colour attachment with its clear colour,
    // then depth once. Leaves the GL clear colour at the last colour attachment's clear colour.
    void clear();
    // Deletes the framebuffer object, the renderbuffer and the textures; empties both maps.
    void release();

    // Texture attached at the point, 0 when never added.
    GLuint getTexture(GLenum attachment) const;
    GLuint getId() const;

    // The largest side a framebuffer of textures and a renderbuffer can have on this driver: the
    // smallest of its viewport, texture and renderbuffer limits. Needs a current context.
    static int largestSize();

private:
    static bool isColorAttachment(GLenum attachment);
    static bool isComplete();
    // Labels the framebuffer object (which exists once bound) and an attachment's object.
    void labelAttachment(GLenum identifier, GLuint name, const std::string& attachmentName) const;
    std::vector<GLenum> drawBufferList() const;
    void restoreDrawBuffers() const;
};
