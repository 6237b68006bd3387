// Animated textures from GIFs the test writes: one mipmapped texture per page, the shared cache
// and its console lines, the looping clock and the page it selects, and unreadable files.
#include "GLTestContext.h"
#include "OutputCapture.h"
#include "PeakMemory.h"
#include "ScratchDirectory.h"
#include "TestGif.h"
#include "render/AnimatedTextureTechnique.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace {

GLuint boundTexture2D() {
    GLint name = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &name);
    return static_cast<GLuint>(name);
}

class AnimatedTexture : public GLTest {
protected:
    ScratchDirectory directory;
    std::unique_ptr<OutputCapture> capture;

    void SetUp() override {
        GLTest::SetUp();
        AnimatedTextureTechnique::deleteAll();
        capture = std::make_unique<OutputCapture>();
    }

    void TearDown() override {
        const std::string output = capture->finish();
        EXPECT_EQ(countGLErrorLines(output), 0) << output;
        AnimatedTextureTechnique::deleteAll();
    }

    std::string file(const std::string& name) { return directory.file(name); }

    std::string takeOutput() {
        std::string output = capture->finish();
        capture = std::make_unique<OutputCapture>();
        return output;
    }
};

} // namespace

TEST_F(AnimatedTexture, EveryPageBecomesItsOwnMipmappedTextureInPageOrder) {
    ASSERT_TRUE(writeNumberedGif(file("pages.gif"), 3, 8));
    takeOutput();
    AnimatedTextureTechnique* texture = AnimatedTextureTechnique::loadGif(file("pages.gif"));
    EXPECT_EQ(takeOutput(),
              "Start loading Animated Textures\nall Animated Textures im memory: 1\n");
    ASSERT_EQ(texture->frameCount, 3);
    EXPECT_FLOAT_EQ(texture->duration, 0.12f);
    for (int i = 0; i < 3; ++i) {
        glBindTexture(GL_TEXTURE_2D, texture->frames[i]);
        GLint mipWidth = 0;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 3, GL_TEXTURE_WIDTH, &mipWidth);
        EXPECT_EQ(mipWidth, 1) << "page " << i << " has no full mipmap chain";
        unsigned char texels[8 * 8 * 4];
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels);
        EXPECT_EQ(texels[0], i) << "pages out of order";
        EXPECT_EQ(texels[1], 255 - i);
        EXPECT_EQ(texels[3], 255);
    }
    const GLuint first = texture->frames[0];
    AnimatedTextureTechnique::deleteAll();
    EXPECT_FALSE(glIsTexture(first)) << "page textures must die with their object";
}

TEST_F(AnimatedTexture, RequestsForOnePathShareOneObjectAndOneClock) {
    ASSERT_TRUE(writeNumberedGif(file("fire.gif"), 4, 4));
    ASSERT_TRUE(writeNumberedGif(file("other.gif"), 2, 4));
    takeOutput();
    AnimatedTextureTechnique* shared = AnimatedTextureTechnique::loadGif(file("fire.gif"));
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(AnimatedTextureTechnique::loadGif(file("fire.gif")), shared);
    }
    const std::string output = takeOutput();
    EXPECT_EQ(countOccurrences(output, "Start loading Animated Textures\n"), 7);
    EXPECT_EQ(countOccurrences(output, "Animated Texture already in memory. Get copy.\n"), 6);
    EXPECT_EQ(countOccurrences(output, "all Animated Textures im memory: 1\n"), 1);
    EXPECT_EQ(countOccurrences(output, "all Animated"), 1);
    EXPECT_EQ(AnimatedTextureTechnique::loadTiff(file("fire.gif")), shared) << "key is the path";

    AnimatedTextureTechnique* other = AnimatedTextureTechnique::loadGif(file("other.gif"));
    EXPECT_NE(takeOutput().find("all Animated Textures im memory: 2\n"), std::string::npos);
    AnimatedTextureTechnique::updateAll(0.016f);
    EXPECT_FLOAT_EQ(shared->elapsed, 0.016f);
    EXPECT_FLOAT_EQ(other->elapsed, 0.016f);
}

TEST_F(AnimatedTexture, ClockLoopsAndSelectsPagesByTruncation) {
    ASSERT_TRUE(writeNumberedGif(file("thirty.gif"), 30, 2));
    AnimatedTextureTechnique* texture = AnimatedTextureTechnique::loadGif(file("thirty.gif"));
    ASSERT_EQ(texture->frameCount, 30);
    EXPECT_FLOAT_EQ(texture->duration, 1.2f);
    texture->elapsed = 1.19f;
    texture->advance(0.02f);
    EXPECT_NEAR(texture->elapsed, 0.01f, 1e-5f);
    // elapsed -> page: truncation, and the last page for a clock at the very end
    const std::pair<float, int> pages[] = {
        {0.01f, 0}, {0.039f, 0}, {0.04f, 1}, {0.5f, 12}, {1.2f, 29}};
    for (const auto& [elapsed, page] : pages) {
        texture->elapsed = elapsed;
        texture->bind(0);
        EXPECT_EQ(boundTexture2D(), texture->frames[page]) << "elapsed " << elapsed;
    }
    texture->bind(3);
    GLint active = 0;
    glGetIntegerv(GL_ACTIVE_TEXTURE, &active);
    EXPECT_EQ(active, GL_TEXTURE3);
    glActiveTexture(GL_TEXTURE0);
    // a stalled frame several loops long still lands inside the loop
    texture->elapsed = 0.1f;
    texture->advance(5.0f);
    EXPECT_NEAR(texture->elapsed, 0.3f, 1e-4f);
}

// An unreadable file is reported once, keeps no frames, binds no texture and stays cached, so
// seven flames asking for it produce one report.
TEST_F(AnimatedTexture, UnreadableFilesAreReportedAndBindNoTexture) {
    std::ofstream(file("text.gif")) << "this is not a picture\n";
    for (const std::string& path : {file("missing.gif"), file("text.gif")}) {
        takeOutput();
        AnimatedTextureTechnique* texture = AnimatedTextureTechnique::loadGif(path);
        const std::string output = takeOutput();
        EXPECT_EQ(countOccurrences(output, path), 1) << "no report for " << path;
        EXPECT_EQ(path != file("missing.gif") ||
                      output.find(path + " could not be opened as an animated image\n") !=
                          std::string::npos,
                  true)
            << output;
        EXPECT_EQ(texture->frameCount, 0);
        GLuint other = 0;
        glGenTextures(1, &other);
        glBindTexture(GL_TEXTURE_2D, other);
        texture->advance(0.5f);
        texture->bind(0);
        EXPECT_EQ(boundTexture2D(), 0u);
        glDeleteTextures(1, &other);
        EXPECT_EQ(AnimatedTextureTechnique::loadGif(path), texture);
        EXPECT_EQ(takeOutput(), "Start loading Animated Textures\n"
                                "Animated Texture already in memory. Get copy.\n");
    }
}

// A 40-byte GIF whose only frame claims one column more than the largest texture and 16384 rows:
// decoding it would allocate a quarter of a gigabyte for the page and four times that for its
// 32-bit copy. The frame's descriptor alone must refuse it, so the peak memory hardly moves.
TEST_F(AnimatedTexture, PageLargerThanTheLargestTextureIsRefusedFromItsHeader) {
    GLint largest = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &largest);
    ASSERT_LT(largest, 65535) << "a GIF cannot claim more";
    const auto low = static_cast<char>((largest + 1) & 0xFF);
    const auto high = static_cast<char>((largest + 1) >> 8);
    const char gif[] = {
        'G',    'I', 'F',  '8',  '9', 'a', low,    high,   0,      0x40,
        '\x80', 0,   0,    0,    0,   0,   '\xff', '\xff', '\xff',    // two-colour global palette
        0x2C,   0,   0,    0,    0,   low, high,   0,      0x40,   0, // the frame's descriptor
        2,      2,   0x4C, 0x01, 0,   0x3B};
    std::ofstream(file("huge.gif"), std::ios::binary).write(gif, sizeof(gif));
    takeOutput();

    const long peakBefore = peakResidentMiB();
    AnimatedTextureTechnique* texture = AnimatedTextureTechnique::loadGif(file("huge.gif"));
    const std::string output = takeOutput();
    EXPECT_NE(output.find(file("huge.gif") + ": page 0 could not be decoded\n"), std::string::npos)
        << output;
    ASSERT_EQ(texture->frameCount, 1);
    EXPECT_EQ(texture->frames[0], 0u);
    EXPECT_LT(peakResidentMiB() - peakBefore, 64) << "the page was decoded before it was refused";
}
