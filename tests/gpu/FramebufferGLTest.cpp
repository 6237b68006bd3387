// Framebuffer against the GL state it really leaves: the draw-buffer list, what clear writes into
// each attachment, failed attachments, shared names between copies, and the binding helpers.
#include "gpu/Framebuffer.h"

#include "GLTestContext.h"
#include "GpuTestSupport.h"

#include <set>
#include <vector>

namespace {

class FramebufferGLTest : public GLTest {
protected:
    void TearDown() override {
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glClearColor(0, 0, 0, 0);
    }
};

const glm::vec4 black(0.0f);

void addFloatColor(Framebuffer& fb, GLenum attachment, glm::vec4 clearColor) {
    fb.addTexture(attachment, GL_RGBA16F, GL_RGBA, GL_FLOAT, clearColor, true);
}

// The draw-buffer list of the framebuffer bound for drawing, up to the first GL_NONE.
std::vector<GLint> drawBuffers() {
    std::vector<GLint> list;
    for (int i = 0; i < getInteger(GL_MAX_DRAW_BUFFERS); ++i) {
        GLint buffer = getInteger(GL_DRAW_BUFFER0 + i);
        if (buffer == GL_NONE) {
            break;
        }
        list.push_back(buffer);
    }
    return list;
}

glm::vec4 readPixel(GLenum attachment, int x, int y) {
    glm::vec4 pixel(-1.0f);
    glReadBuffer(attachment);
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_FLOAT, &pixel[0]);
    return pixel;
}

TEST_F(FramebufferGLTest, DrawBufferListIsTheColourAttachmentsInAscendingOrder) {
    Framebuffer fb(16, 8);
    addFloatColor(fb, GL_COLOR_ATTACHMENT0, black);
    EXPECT_EQ(getInteger(GL_FRAMEBUFFER_BINDING), 0) << "adding leaves framebuffer 0 bound";
    fb.bind();
    EXPECT_EQ(drawBuffers(), std::vector<GLint>({GL_COLOR_ATTACHMENT0}));

    addFloatColor(fb, GL_COLOR_ATTACHMENT2, black);
    addFloatColor(fb, GL_COLOR_ATTACHMENT1, black);
    fb.addRenderbuffer();
    fb.bind();
    EXPECT_EQ(drawBuffers(), std::vector<GLint>({GL_COLOR_ATTACHMENT0, GL_COLOR_ATTACHMENT1,
                                                 GL_COLOR_ATTACHMENT2}));
    EXPECT_EQ(glCheckFramebufferStatus(GL_FRAMEBUFFER), GLenum(GL_FRAMEBUFFER_COMPLETE));
    EXPECT_EQ(fb.textures.size(), 3u);
    EXPECT_NE(fb.depthRenderbuffer, 0u);
    fb.release();
}

TEST_F(FramebufferGLTest, ClearFillsEachColourAttachmentWithItsOwnColourAndDepthWithOne) {
    Framebuffer fb(8, 4);
    addFloatColor(fb, GL_COLOR_ATTACHMENT0, glm::vec4(0.25f, 0.5f, 0.75f, 1.0f));
    addFloatColor(fb, GL_COLOR_ATTACHMENT2, glm::vec4(0.0f, 0.0f, 1.0f, 0.5f));
    addFloatColor(fb, GL_COLOR_ATTACHMENT1, glm::vec4(1.0f, 0.0f, 0.0f, 0.0f));
    fb.addRenderbuffer();
    fb.bind();
    glClearDepth(0.5);
    glClear(GL_DEPTH_BUFFER_BIT);
    glClearDepth(1.0);
    // A pass left only one attachment as draw buffer (as the occlusion passes do): every
    // attachment is cleared all the same.
    const GLenum onlySecond = GL_COLOR_ATTACHMENT1;
    glDrawBuffers(1, &onlySecond);

    std::string output = captureOutput([&] { fb.clear(); });
    EXPECT_EQ(countGLErrorLines(output), 0) << output;
    glBindFramebuffer(GL_READ_FRAMEBUFFER, fb.getId());
    EXPECT_EQ(readPixel(GL_COLOR_ATTACHMENT0, 7, 3), glm::vec4(0.25f, 0.5f, 0.75f, 1.0f));
    EXPECT_EQ(readPixel(GL_COLOR_ATTACHMENT1, 0, 0), glm::vec4(1.0f, 0.0f, 0.0f, 0.0f));
    EXPECT_EQ(readPixel(GL_COLOR_ATTACHMENT2, 3, 2), glm::vec4(0.0f, 0.0f, 1.0f, 0.5f));
    float depth = 0.0f;
    glReadPixels(5, 1, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth);
    EXPECT_EQ(depth, 1.0f);

    glm::vec4 clearColor(-1.0f);
    glGetFloatv(GL_COLOR_CLEAR_VALUE, &clearColor[0]);
    EXPECT_EQ(clearColor, glm::vec4(0.0f, 0.0f, 1.0f, 0.5f)) << "highest attachment's colour";
    EXPECT_EQ(drawBuffers().size(), 3u) << "clear restores the draw-buffer list";
    fb.release();
}

TEST_F(FramebufferGLTest, DepthAttachmentsStayOutOfDrawBuffersAndColourClears) {
    Framebuffer depthOnly(4, 4);
    depthOnly.addTexture(GL_DEPTH_ATTACHMENT, GL_DEPTH_COMPONENT24, GL_DEPTH_COMPONENT, GL_FLOAT,
                         glm::vec4(0.5f), false);
    ASSERT_NE(depthOnly.getTexture(GL_DEPTH_ATTACHMENT), 0u);
    depthOnly.bind();
    EXPECT_EQ(getInteger(GL_DRAW_BUFFER0), GL_NONE);
    glClearColor(0.1f, 0.2f, 0.3f, 0.4f);
    std::string output = captureOutput([&] { depthOnly.clear(); });
    EXPECT_EQ(countGLErrorLines(output), 0) << output;
    glm::vec4 clearColor(-1.0f);
    glGetFloatv(GL_COLOR_CLEAR_VALUE, &clearColor[0]);
    EXPECT_EQ(clearColor, glm::vec4(0.1f, 0.2f, 0.3f, 0.4f)) << "depth's colour was used";
    std::vector<float> depth(16, 0.0f);
    depthOnly.bindTexture(GL_DEPTH_ATTACHMENT, 0);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_DEPTH_COMPONENT, GL_FLOAT, depth.data());
    EXPECT_EQ(depth, std::vector<float>(16, 1.0f));
    depthOnly.release();

    Framebuffer withStencil(4, 4);
    addFloatColor(withStencil, GL_COLOR_ATTACHMENT0, glm::vec4(1.0f));
    withStencil.addTexture(GL_DEPTH_STENCIL_ATTACHMENT, GL_DEPTH24_STENCIL8, GL_DEPTH_STENCIL,
                           GL_UNSIGNED_INT_24_8, glm::vec4(0.5f), true);
    EXPECT_NE(withStencil.getTexture(GL_DEPTH_STENCIL_ATTACHMENT), 0u);
    withStencil.bind();
    EXPECT_EQ(drawBuffers(), std::vector<GLint>({GL_COLOR_ATTACHMENT0}));
    output = captureOutput([&] { withStencil.clear(); });
    EXPECT_EQ(countGLErrorLines(output), 0) << output;
    glGetFloatv(GL_COLOR_CLEAR_VALUE, &clearColor[0]);
    EXPECT_EQ(clearColor, glm::vec4(1.0f));
    withStencil.release();
}

// Depth and stencil bits of a framebuffer's depth buffer; framebuffer 0 is the window's.
glm::ivec2 depthStencilBits(GLuint framebuffer) {
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glm::ivec2 bits(-1);
    glGetFramebufferAttachmentParameteriv(GL_FRAMEBUFFER,
                                          framebuffer == 0 ? GL_DEPTH : GL_DEPTH_ATTACHMENT,
                                          GL_FRAMEBUFFER_ATTACHMENT_DEPTH_SIZE, &bits.x);
    glGetFramebufferAttachmentParameteriv(GL_FRAMEBUFFER,
                                          framebuffer == 0 ? GL_STENCIL : GL_STENCIL_ATTACHMENT,
                                          GL_FRAMEBUFFER_ATTACHMENT_STENCIL_SIZE, &bits.y);
    return bits;
}

// The forward pass blits the G-buffer's depth into the window. OpenGL refuses a depth blit between
// different depth/stencil formats (some drivers tolerate it), so the formats must match.
TEST_F(FramebufferGLTest, RenderbufferDepthBlitsIntoTheWindowsDepthBuffer) {
    Framebuffer fb(8, 8);
    addFloatColor(fb, GL_COLOR_ATTACHMENT0, black);
    fb.addRenderbuffer();
    std::string output = captureOutput([&] {
        EXPECT_EQ(depthStencilBits(fb.getId()), depthStencilBits(0));
        fb.bind();
        glClearDepth(0.25);
        glClear(GL_DEPTH_BUFFER_BIT);
        glClearDepth(1.0);
        fb.unbind();
        glClear(GL_DEPTH_BUFFER_BIT);
        fb.bindForReading();
        glBlitFramebuffer(0, 0, 8, 8, 2, 2, 10, 10, GL_DEPTH_BUFFER_BIT, GL_NEAREST);
    });
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    EXPECT_EQ(countGLErrorLines(output), 0) << output;

    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    float depth[3] = {-1.0f, -1.0f, -1.0f};
    glReadPixels(2, 2, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth[0]);
    glReadPixels(9, 9, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth[1]);
    glReadPixels(10, 10, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth[2]);
    EXPECT_NEAR(depth[0], 0.25f, 1e-6f);
    EXPECT_NEAR(depth[1], 0.25f, 1e-6f);
    EXPECT_EQ(depth[2], 1.0f) << "outside the blit's rectangle";
    fb.release();
}

// Texture names in a window after the last one made before the framebuffer: every live one must
// be recorded by the framebuffer, so a failed attachment's texture must be gone.
std::set<GLuint> liveTexturesAfter(GLuint before) {
    std::set<GLuint> live;
    for (GLuint name = before + 1; name < before + 32; ++name) {
        if (glIsTexture(name)) {
            live.insert(name);
        }
    }
    return live;
}

TEST_F(FramebufferGLTest, FailedAttachmentIsReportedAndLeavesNothingBehind) {
    GLuint before = 0;
    glGenTextures(1, &before);
    Framebuffer fb(8, 8);
    addFloatColor(fb, GL_COLOR_ATTACHMENT0, glm::vec4(1.0f));
    std::string output = captureOutput([&] {
        fb.addTexture(GL_COLOR_ATTACHMENT1, GL_DEPTH_COMPONENT24, GL_DEPTH_COMPONENT, GL_FLOAT,
                      glm::vec4(0.5f), true);
    });
    EXPECT_NE(output.find("Failed to add Texture to  Framebuffer\n"), std::string::npos) << output;
    EXPECT_EQ(fb.getTexture(GL_COLOR_ATTACHMENT1), 0u);
    EXPECT_EQ(fb.clearColors.count(GL_COLOR_ATTACHMENT1), 0u);
    EXPECT_EQ(liveTexturesAfter(before), std::set<GLuint>({fb.getTexture(GL_COLOR_ATTACHMENT0)}));

    fb.bind();
    EXPECT_EQ(glCheckFramebufferStatus(GL_FRAMEBUFFER), GLenum(GL_FRAMEBUFFER_COMPLETE))
        << "the framebuffer stays usable with what was recorded";
    EXPECT_EQ(drawBuffers(), std::vector<GLint>({GL_COLOR_ATTACHMENT0}));
    fb.clear();
    glBindFramebuffer(GL_READ_FRAMEBUFFER, fb.getId());
    EXPECT_EQ(readPixel(GL_COLOR_ATTACHMENT0, 1, 1), glm::vec4(1.0f));

    addFloatColor(fb, GL_COLOR_ATTACHMENT0, glm::vec4(0.5f));
    EXPECT_EQ(liveTexturesAfter(before), std::set<GLuint>({fb.getTexture(GL_COLOR_ATTACHMENT0)}))
        << "a replaced attachment's texture is deleted";
    fb.release();
    EXPECT_TRUE(liveTexturesAfter(before).empty());
    glDeleteTextures(1, &before);
}

TEST_F(FramebufferGLTest, CopiesShareNamesAndOnlyReleaseDeletes) {
    Framebuffer held;
    EXPECT_EQ(held.getId(), 0u);
    EXPECT_EQ(held.width, 0);
    EXPECT_TRUE(held.textures.empty());

    Framebuffer original(8, 8);
    addFloatColor(original, GL_COLOR_ATTACHMENT0, black);
    original.addRenderbuffer();
    GLuint fbo = original.getId();
    GLuint texture = original.getTexture(GL_COLOR_ATTACHMENT0);
    GLuint renderbuffer = original.depthRenderbuffer;
    { Framebuffer temporary = original; }
    held = original;
    EXPECT_TRUE(glIsFramebuffer(fbo)) << "destroying a copy deleted the framebuffer";
    EXPECT_TRUE(glIsTexture(texture));
    EXPECT_EQ(held.getId(), fbo);
    EXPECT_EQ(held.getTexture(GL_COLOR_ATTACHMENT0), texture);

    held.release();
    EXPECT_FALSE(glIsFramebuffer(fbo));
    EXPECT_FALSE(glIsTexture(texture));
    EXPECT_FALSE(glIsRenderbuffer(renderbuffer));
    EXPECT_TRUE(held.textures.empty());
    EXPECT_TRUE(held.clearColors.empty());
    EXPECT_EQ(original.getTexture(GL_COLOR_ATTACHMENT0), texture) << "the other copy keeps names";
}

TEST_F(FramebufferGLTest, BindingHelpersSelectTargetsViewportAndTextureUnit) {
    Framebuffer source(8, 4);
    addFloatColor(source, GL_COLOR_ATTACHMENT0, glm::vec4(0.0f, 1.0f, 0.0f, 1.0f));
    Framebuffer target(8, 4);
    addFloatColor(target, GL_COLOR_ATTACHMENT0, black);

    source.bind();
    glm::ivec4 viewport(-1);
    glGetIntegerv(GL_VIEWPORT, &viewport[0]);
    EXPECT_EQ(viewport, glm::ivec4(0, 0, 8, 4));
    source.clear();
    target.bind();
    target.clear();
    target.unbind();
    EXPECT_EQ(getInteger(GL_FRAMEBUFFER_BINDING), 0);
    glGetIntegerv(GL_VIEWPORT, &viewport[0]);
    EXPECT_EQ(viewport, glm::ivec4(0, 0, 8, 4)) << "unbind keeps the viewport";

    source.bindForReading();
    EXPECT_EQ(getInteger(GL_READ_FRAMEBUFFER_BINDING), GLint(source.getId()));
    EXPECT_EQ(getInteger(GL_DRAW_FRAMEBUFFER_BINDING), 0);
    target.bindForDrawing();
    EXPECT_EQ(getInteger(GL_DRAW_FRAMEBUFFER_BINDING), GLint(target.getId()));
    EXPECT_EQ(getInteger(GL_READ_FRAMEBUFFER_BINDING), GLint(source.getId()));
    glBlitFramebuffer(0, 0, 8, 4, 0, 0, 8, 4, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, target.getId());
    EXPECT_EQ(readPixel(GL_COLOR_ATTACHMENT0, 6, 2), glm::vec4(0.0f, 1.0f, 0.0f, 1.0f));
    glBindFramebuffer(GL_FRAMEBUFFER, 0);

    source.bindTexture(GL_COLOR_ATTACHMENT0, 3);
    EXPECT_EQ(getInteger(GL_ACTIVE_TEXTURE), GL_TEXTURE3);
    EXPECT_EQ(getInteger(GL_TEXTURE_BINDING_2D), GLint(source.getTexture(GL_COLOR_ATTACHMENT0)));
    source.bindTexture(GL_COLOR_ATTACHMENT0, 2);
    source.bindTexture(GL_COLOR_ATTACHMENT5, 2);
    EXPECT_EQ(getInteger(GL_ACTIVE_TEXTURE), GL_TEXTURE2);
    EXPECT_EQ(getInteger(GL_TEXTURE_BINDING_2D), 0) << "a missing attachment binds texture 0";
    EXPECT_EQ(source.getTexture(GL_DEPTH_ATTACHMENT), 0u);
    glActiveTexture(GL_TEXTURE0);
    source.release();
    target.release();
}

} // namespace
