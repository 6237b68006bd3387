// Animated textures from GIFs the test writes: one mipmapped texture per page, the shared cache
// and its console lines, the looping clock and the page it selects, and unreadable files.
#include "GLTestContext.h"
#include "TestGif.h"
#include "render/AnimatedTextureTechnique.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

int countOccurrences(const std::string& text, const std::string& what) {
    int count = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) {
        ++count;
    }
    return count;
}

GLuint boundTexture2D() {
    GLint name = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &name);
    return static_cast<GLuint>(name);
}

std::vector<GifBand> distinctColors(int count) {
    std::vector<GifBand> colors;
    for (int i = 0; i < count; ++i) {
        colors.push_back({0, static_cast<unsigned char>(8 * i), static_cast<unsigned char>(255 - i),
                          static_cast<unsigned char>(i % 2 ? 200 : 40), false});
    }
    return colors;
}

class AnimatedTexture : public GLTest {
protected:
    std::filesystem::path directory;

    void SetUp() override {
        GLTest::SetUp();
        AnimatedTextureTechnique::deleteAll();
        directory = std::filesystem::temp_directory_path() /
                    ("animated-texture-test-" + std::to_string(getpid()));
        std::filesystem::create_directories(directory);
        testing::internal::CaptureStdout();
    }

    void TearDown() override {
        const std::string output = testing::internal::GetCapturedStdout();
        EXPECT_EQ(countGLErrorLines(output), 0) << output;
        AnimatedTextureTechnique::deleteAll();
        std::filesystem::remove_all(directory);
    }

    std::string file(const std::string& name) { return (directory / name).string(); }

    // Ends the capture of the current step and starts a new one.
    std::string takeOutput() {
        std::string output = testing::internal::GetCapturedStdout();
        testing::internal::CaptureStdout();
        return output;
    }
};

} // namespace

TEST_F(AnimatedTexture, EveryPageBecomesItsOwnMipmappedTextureInPageOrder) {
    const std::string path = file("bands.gif");
    const std::vector<GifPage> pages = {
        {{4, 255, 0, 0, false}, {4, 0, 0, 255, false}},
        {{4, 0, 255, 0, false}, {4, 255, 255, 0, false}},
        {{4, 0, 0, 0, true}, {4, 255, 255, 255, false}},
    };
    ASSERT_TRUE(writeTestGif(path, pages, 8));
    takeOutput();

    AnimatedTextureTechnique* texture = AnimatedTextureTechnique::loadGif(path);
    EXPECT_EQ(takeOutput(),
              "Start loading Animated Textures\nall Animated Textures im memory: 1\n");
    ASSERT_NE(texture, nullptr);
    ASSERT_EQ(texture->frameCount, 3);
    EXPECT_FLOAT_EQ(texture->duration, 0.12f);
    EXPECT_EQ(texture->path, path);
    EXPECT_EQ(texture->elapsed, 0.0f);

    std::vector<GLuint> names;
    for (int i = 0; i < texture->frameCount; ++i) {
        const GLuint name = texture->frames[i];
        ASSERT_TRUE(glIsTexture(name));
        names.push_back(name);
        glBindTexture(GL_TEXTURE_2D, name);
        GLint width = 0;
        GLint mipWidth = 0;
        GLint minFilter = 0;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 3, GL_TEXTURE_WIDTH, &mipWidth);
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minFilter);
        EXPECT_EQ(width, 8);
        EXPECT_EQ(mipWidth, 1) << "page " << i << " has no mipmap chain";
        EXPECT_EQ(minFilter, GL_LINEAR_MIPMAP_LINEAR);

        // first texel row is the image bottom: the page's first band; the last row its top band
        std::vector<unsigned char> texels(8 * 8 * 4);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
        const GifBand& bottom = pages[i][0];
        const GifBand& top = pages[i][1];
        const unsigned char* first = &texels[0];
        const unsigned char* last = &texels[7 * 8 * 4];
        EXPECT_EQ(first[3], bottom.transparent ? 0 : 255) << "page " << i;
        if (!bottom.transparent) {
            EXPECT_EQ(first[0], bottom.red) << "page " << i;
            EXPECT_EQ(first[1], bottom.green) << "page " << i;
            EXPECT_EQ(first[2], bottom.blue) << "page " << i;
        }
        EXPECT_EQ(last[0], top.red) << "page " << i;
        EXPECT_EQ(last[1], top.green) << "page " << i;
        EXPECT_EQ(last[2], top.blue) << "page " << i;
        EXPECT_EQ(last[3], 255) << "page " << i;
    }
    EXPECT_NE(names[0], names[1]);
    EXPECT_NE(names[1], names[2]);

    AnimatedTextureTechnique::deleteAll();
    for (GLuint name : names) {
        EXPECT_FALSE(glIsTexture(name)) << "page texture " << name << " outlived its object";
    }
}

TEST_F(AnimatedTexture, RequestsForOnePathShareOneObjectAndOneClock) {
    const std::string path = file("fire.gif");
    const std::string other = file("other.gif");
    ASSERT_TRUE(writeSolidGif(path, distinctColors(4), 4));
    ASSERT_TRUE(writeSolidGif(other, distinctColors(2), 4));
    takeOutput();

    std::vector<AnimatedTextureTechnique*> requests;
    for (int i = 0; i < 7; ++i) {
        requests.push_back(AnimatedTextureTechnique::loadGif(path));
    }
    const std::string output = takeOutput();
    EXPECT_EQ(countOccurrences(output, "Start loading Animated Textures\n"), 7);
    EXPECT_EQ(countOccurrences(output, "Animated Texture already in memory. Get copy.\n"), 6);
    EXPECT_EQ(countOccurrences(output, "all Animated Textures im memory: 1\n"), 1);
    EXPECT_EQ(countOccurrences(output, "all Animated Textures im memory"), 1);
    for (AnimatedTextureTechnique* request : requests) {
        EXPECT_EQ(request, requests[0]);
    }
    // the key is the path alone, whatever format is asked for
    EXPECT_EQ(AnimatedTextureTechnique::loadTiff(path), requests[0]);

    AnimatedTextureTechnique* second = AnimatedTextureTechnique::loadGif(other);
    EXPECT_NE(second, requests[0]);
    EXPECT_NE(takeOutput().find("all Animated Textures im memory: 2\n"), std::string::npos);

    AnimatedTextureTechnique::updateAll(0.016f);
    EXPECT_FLOAT_EQ(requests[0]->elapsed, 0.016f);
    EXPECT_FLOAT_EQ(second->elapsed, 0.016f);
}

TEST_F(AnimatedTexture, ClockLoopsAndSelectsPagesByTruncation) {
    const std::string path = file("thirty.gif");
    ASSERT_TRUE(writeSolidGif(path, distinctColors(30), 2));
    AnimatedTextureTechnique* texture = AnimatedTextureTechnique::loadGif(path);
    ASSERT_EQ(texture->frameCount, 30);
    EXPECT_FLOAT_EQ(texture->duration, 1.2f);

    texture->elapsed = 1.19f;
    texture->advance(0.02f);
    EXPECT_NEAR(texture->elapsed, 0.01f, 1e-5f);
    texture->bind(0);
    EXPECT_EQ(boundTexture2D(), texture->frames[0]);

    texture->elapsed = 0.039f;
    texture->bind(0);
    EXPECT_EQ(boundTexture2D(), texture->frames[0]);
    texture->elapsed = 0.04f;
    texture->bind(0);
    EXPECT_EQ(boundTexture2D(), texture->frames[1]);
    texture->elapsed = 0.5f;
    texture->bind(0);
    EXPECT_EQ(boundTexture2D(), texture->frames[12]);

    // a clock at or past the end shows the last page, never beyond the array
    texture->elapsed = 1.2f;
    texture->bind(0);
    EXPECT_EQ(boundTexture2D(), texture->frames[29]);

    // the unit asked for becomes the active one
    texture->elapsed = 0.0f;
    texture->bind(3);
    GLint active = 0;
    glGetIntegerv(GL_ACTIVE_TEXTURE, &active);
    EXPECT_EQ(active, GL_TEXTURE3);
    EXPECT_EQ(boundTexture2D(), texture->frames[0]);
    glActiveTexture(GL_TEXTURE0);

    // a stalled frame longer than several loops still lands inside the loop
    texture->elapsed = 0.1f;
    texture->advance(5.0f);
    EXPECT_GE(texture->elapsed, 0.0f);
    EXPECT_LT(texture->elapsed, 1.2f);
    EXPECT_NEAR(texture->elapsed, 0.3f, 1e-4f);
}

// An unreadable file is reported once, keeps no frames, binds no texture and stays cached, so
// seven flames asking for it produce one report.
TEST_F(AnimatedTexture, UnreadableFilesAreReportedAndBindNoTexture) {
    const std::string missing = file("missing.gif");
    AnimatedTextureTechnique* texture = AnimatedTextureTechnique::loadGif(missing);
    std::string output = takeOutput();
    ASSERT_NE(texture, nullptr);
    EXPECT_NE(output.find(missing + " could not be opened as an animated image\n"),
              std::string::npos)
        << output;
    EXPECT_NE(output.find("all Animated Textures im memory: 1\n"), std::string::npos);
    EXPECT_EQ(texture->frameCount, 0);
    EXPECT_EQ(texture->duration, 0.0f);

    GLuint other = 0;
    glGenTextures(1, &other);
    glBindTexture(GL_TEXTURE_2D, other);
    texture->advance(0.5f);
    texture->bind(0);
    EXPECT_EQ(boundTexture2D(), 0u);
    glDeleteTextures(1, &other);

    EXPECT_EQ(AnimatedTextureTechnique::loadGif(missing), texture);
    output = takeOutput();
    EXPECT_EQ(output, "Start loading Animated Textures\n"
                      "Animated Texture already in memory. Get copy.\n");

    const std::string notAnImage = file("text.gif");
    FILE* text = std::fopen(notAnImage.c_str(), "w");
    ASSERT_NE(text, nullptr);
    std::fputs("this is not a picture\n", text);
    std::fclose(text);
    AnimatedTextureTechnique* broken = AnimatedTextureTechnique::loadGif(notAnImage);
    output = takeOutput();
    EXPECT_EQ(broken->frameCount, 0);
    EXPECT_EQ(countOccurrences(output, notAnImage), 1) << output;
    broken->bind(0);
    EXPECT_EQ(boundTexture2D(), 0u);
}
