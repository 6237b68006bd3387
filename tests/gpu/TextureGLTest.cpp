// Texture and its cache against what the GPU holds: texels read back with glGetTexImage for
// images of several bit depths and containers, the mipmap chain, one upload per path string,
// and failed loads that print, return null and leave neither a cache entry nor a GL object; the
// slope maps derived from height textures.
#include "gpu/Texture.h"

#include "gpu/HeightSlopeMap.h"

#include "GLTestContext.h"
#include "GpuTestSupport.h"
#include "PeakMemory.h"

#include <FreeImage.h>

#include <filesystem>
#include <vector>

namespace {

class TextureGLTest : public GLTest {
protected:
    void TearDown() override { Texture::deleteAll(); }
    ScratchDirectory scratch;
};

// A colour that differs per column and per row, so a flip or a transposition shows.
RGBQUAD pixelColor(unsigned x, unsigned y) {
    RGBQUAD color;
    color.rgbRed = static_cast<BYTE>(10 + 40 * x);
    color.rgbGreen = static_cast<BYTE>(20 + 100 * y);
    color.rgbBlue = static_cast<BYTE>(200 - 30 * x);
    color.rgbReserved = static_cast<BYTE>(255 - 50 * y - x);
    return color;
}

// FreeImage row y = 0 is the bottom row of the picture.
FIBITMAP* trueColorImage(unsigned width, unsigned height, unsigned bpp) {
    FIBITMAP* bitmap = FreeImage_Allocate(width, height, bpp);
    for (unsigned y = 0; y < height; ++y) {
        for (unsigned x = 0; x < width; ++x) {
            RGBQUAD color = pixelColor(x, y);
            FreeImage_SetPixelColor(bitmap, x, y, &color);
        }
    }
    return bitmap;
}

// Index (x + y * width) of a palette of distinct colours, or of a grey ramp.
FIBITMAP* palettedImage(unsigned width, unsigned height, bool grey) {
    FIBITMAP* bitmap = FreeImage_Allocate(width, height, 8);
    RGBQUAD* palette = FreeImage_GetPalette(bitmap);
    for (unsigned i = 0; i < 256; ++i) {
        BYTE level = static_cast<BYTE>(i);
        palette[i].rgbRed = level;
        palette[i].rgbGreen = grey ? level : static_cast<BYTE>(255 - i);
        palette[i].rgbBlue = grey ? level : static_cast<BYTE>(i * 7);
        palette[i].rgbReserved = 0;
    }
    for (unsigned y = 0; y < height; ++y) {
        for (unsigned x = 0; x < width; ++x) {
            BYTE index = static_cast<BYTE>(x + y * width);
            FreeImage_SetPixelIndex(bitmap, x, y, &index);
        }
    }
    return bitmap;
}

void save(FIBITMAP* bitmap, FREE_IMAGE_FORMAT format, const std::string& path) {
    ASSERT_TRUE(FreeImage_Save(format, bitmap, path.c_str(), 0)) << path;
    FreeImage_Unload(bitmap);
}

// Expected texels in BGRA, bottom row first.
std::vector<BYTE> expectedTrueColor(unsigned width, unsigned height, bool alpha) {
    std::vector<BYTE> texels;
    for (unsigned y = 0; y < height; ++y) {
        for (unsigned x = 0; x < width; ++x) {
            RGBQUAD c = pixelColor(x, y);
            texels.insert(texels.end(),
                          {c.rgbBlue, c.rgbGreen, c.rgbRed, alpha ? c.rgbReserved : BYTE(255)});
        }
    }
    return texels;
}

std::vector<BYTE> expectedPaletted(unsigned width, unsigned height, bool grey) {
    std::vector<BYTE> texels;
    for (unsigned i = 0; i < width * height; ++i) {
        BYTE level = static_cast<BYTE>(i);
        BYTE green = grey ? level : static_cast<BYTE>(255 - i);
        BYTE blue = grey ? level : static_cast<BYTE>(i * 7);
        texels.insert(texels.end(), {blue, green, level, BYTE(255)});
    }
    return texels;
}

std::vector<BYTE> level0Texels(Texture* texture, unsigned width, unsigned height) {
    std::vector<BYTE> texels(width * height * 4, 0);
    texture->bind(0);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_BGRA, GL_UNSIGNED_BYTE, texels.data());
    return texels;
}

// True when no name after `before` in a small window is a texture object.
bool noTextureAfter(GLuint before) {
    for (GLuint name = before + 1; name < before + 16; ++name) {
        if (glIsTexture(name)) {
            return false;
        }
    }
    return true;
}

TEST_F(TextureGLTest, EveryBitDepthArrivesAsBgraBottomRowFirst) {
    save(trueColorImage(3, 2, 24), FIF_PNG, scratch.file("rgb.png"));
    save(trueColorImage(5, 3, 32), FIF_PNG, scratch.file("rgba.png"));
    save(trueColorImage(3, 4, 24), FIF_BMP, scratch.file("rgb.bmp"));
    save(palettedImage(4, 3, false), FIF_BMP, scratch.file("palette.bmp"));
    save(palettedImage(5, 2, true), FIF_PNG, scratch.file("grey.png"));
    save(trueColorImage(2, 3, 24), FIF_PNG, scratch.file("actually-png.jpg"));

    struct Case {
        std::string name;
        unsigned width, height;
        std::vector<BYTE> texels;
    };
    const Case cases[] = {
        {"rgb.png", 3, 2, expectedTrueColor(3, 2, false)},
        {"rgba.png", 5, 3, expectedTrueColor(5, 3, true)},
        {"rgb.bmp", 3, 4, expectedTrueColor(3, 4, false)},
        {"palette.bmp", 4, 3, expectedPaletted(4, 3, false)},
        {"grey.png", 5, 2, expectedPaletted(5, 2, true)},
        {"actually-png.jpg", 2, 3, expectedTrueColor(2, 3, false)},
    };
    for (const Case& c : cases) {
        Texture* texture = Texture::load(scratch.file(c.name));
        ASSERT_NE(texture, nullptr) << c.name;
        GLint width = 0, height = 0;
        texture->bind(0);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
        EXPECT_EQ(width, GLint(c.width)) << c.name;
        EXPECT_EQ(height, GLint(c.height)) << c.name;
        EXPECT_EQ(level0Texels(texture, c.width, c.height), c.texels) << c.name;
    }
}

TEST_F(TextureGLTest, UploadHasFullMipmapChainAndTrilinearFiltering) {
    save(trueColorImage(6, 3, 32), FIF_PNG, scratch.file("mips.png"));
    std::string output;
    Texture* texture = nullptr;
    output = captureOutput([&] { texture = Texture::load(scratch.file("mips.png")); });
    ASSERT_NE(texture, nullptr);
    EXPECT_EQ(countGLErrorLines(output), 0) << output;
    EXPECT_EQ(getInteger(GL_ACTIVE_TEXTURE), GL_TEXTURE0);
    EXPECT_EQ(getInteger(GL_TEXTURE_BINDING_2D), GLint(texture->id));
    const GLint widths[] = {6, 3, 1};
    for (GLint level = 0; level < 3; ++level) {
        GLint width = 0;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_WIDTH, &width);
        EXPECT_EQ(width, widths[level]) << "level " << level;
    }
    GLint value = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &value);
    EXPECT_EQ(value, GL_LINEAR_MIPMAP_LINEAR);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &value);
    EXPECT_EQ(value, GL_LINEAR);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, &value);
    EXPECT_EQ(value, GL_REPEAT);

    texture->bind(4);
    EXPECT_EQ(getInteger(GL_ACTIVE_TEXTURE), GL_TEXTURE4);
    EXPECT_EQ(getInteger(GL_TEXTURE_BINDING_2D), GLint(texture->id));
    glActiveTexture(GL_TEXTURE0);
}

TEST_F(TextureGLTest, CacheUploadsEachPathStringOnce) {
    save(trueColorImage(2, 2, 24), FIF_PNG, scratch.file("once.png"));
    std::string path = scratch.file("once.png");
    Texture* first = nullptr;
    std::string output = captureOutput([&] { first = Texture::load(path); });
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(output, "Loading Texture from: " + path + "\nall Textures im memory: 1\n");
    EXPECT_EQ(first->path, path);

    Texture* again = nullptr;
    output = captureOutput([&] { again = Texture::load(path); });
    EXPECT_EQ(again, first);
    EXPECT_EQ(output, "") << "a cache hit prints nothing";

    std::string otherSpelling = scratch.path + "//once.png";
    Texture* second = nullptr;
    output = captureOutput([&] { second = Texture::load(otherSpelling); });
    ASSERT_NE(second, nullptr);
    EXPECT_NE(second, first);
    EXPECT_NE(second->id, first->id);
    EXPECT_NE(output.find("all Textures im memory: 2\n"), std::string::npos) << output;

    GLuint ids[] = {first->id, second->id};
    Texture::deleteAll();
    EXPECT_FALSE(glIsTexture(ids[0]));
    EXPECT_FALSE(glIsTexture(ids[1]));
    output = captureOutput([&] { first = Texture::load(path); });
    EXPECT_EQ(output, "Loading Texture from: " + path + "\nall Textures im memory: 1\n");
}

TEST_F(TextureGLTest, UnreadableFilesReturnNullAndAreRetriedEveryTime) {
    save(trueColorImage(32, 32, 24), FIF_PNG, scratch.file("whole.png"));
    std::filesystem::copy_file(scratch.file("whole.png"), scratch.file("truncated.png"));
    std::filesystem::resize_file(scratch.file("truncated.png"),
                                 std::filesystem::file_size(scratch.file("whole.png")) / 2);
    scratch.write("text.png", "not an image at all");

    GLuint before = 0;
    glGenTextures(1, &before);
    for (const char* name : {"missing.png", "truncated.png", "text.png"}) {
        std::string path = scratch.file(name);
        std::string expected =
            "Loading Texture from: " + path + "\n" + path + " not found or unable to read!\n";
        for (int attempt = 0; attempt < 2; ++attempt) {
            Texture* texture = reinterpret_cast<Texture*>(1);
            std::string output = captureOutput([&] { texture = Texture::load(path); });
            EXPECT_EQ(texture, nullptr) << name;
            EXPECT_EQ(output, expected) << name << " attempt " << attempt;
        }
    }
    EXPECT_TRUE(noTextureAfter(before)) << "a failed load created a GL texture";
    glDeleteTextures(1, &before);

    std::string output = captureOutput([&] { Texture::load(scratch.file("whole.png")); });
    EXPECT_NE(output.find("all Textures im memory: 1\n"), std::string::npos)
        << "failed loads were counted: " << output;
}

// A 30-byte TGA whose header claims one column more than the largest texture and 16384 rows,
// 32 bits each: decoding it would allocate (and clear) a gigabyte before the size could be
// checked. The header alone must refuse it, so the peak memory of the process hardly moves.
TEST_F(TextureGLTest, ImageLargerThanTheLargestTextureIsRefusedFromItsHeader) {
    const unsigned width = static_cast<unsigned>(getInteger(GL_MAX_TEXTURE_SIZE)) + 1;
    ASSERT_LT(width, 65536u) << "a TGA cannot claim more";
    const unsigned char header[18] = {0,
                                      0,
                                      2,
                                      0,
                                      0,
                                      0,
                                      0,
                                      0,
                                      0,
                                      0,
                                      0,
                                      0,
                                      static_cast<unsigned char>(width & 0xFF),
                                      static_cast<unsigned char>(width >> 8),
                                      0,
                                      0x40,
                                      32,
                                      8};
    scratch.write("huge.tga",
                  std::string(reinterpret_cast<const char*>(header), 18) + std::string(12, '\x7f'));
    const std::string path = scratch.file("huge.tga");
    ASSERT_EQ(FreeImage_GetFileType(path.c_str(), 0), FIF_TARGA);

    const long peakBefore = peakResidentMiB();
    Texture* texture = reinterpret_cast<Texture*>(1);
    std::string output = captureOutput([&] { texture = Texture::load(path); });
    EXPECT_EQ(texture, nullptr);
    EXPECT_EQ(output,
              "Loading Texture from: " + path + "\n" + path + " not found or unable to read!\n");
    EXPECT_LT(peakResidentMiB() - peakBefore, 128) << "the image was decoded before it was refused";
}

} // namespace

// Heights 60 x + 20 y (red) on a 4 x 3 image: the slopes are central differences that wrap at the
// edges (the bump images tile), in height per texel, bottom row first like the heights.
TEST_F(TextureGLTest, SlopeMapHoldsWrappedCentralDifferencesAndGoesWithItsTexture) {
    const int width = 4, height = 3;
    FIBITMAP* bitmap = FreeImage_Allocate(width, height, 24);
    auto heightAt = [&](int x, int y) {
        return float(60 * ((x + width) % width) + 20 * ((y + height) % height));
    };
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            RGBQUAD color{0, 0, static_cast<BYTE>(heightAt(x, y)), 0};
            FreeImage_SetPixelColor(bitmap, unsigned(x), unsigned(y), &color);
        }
    }
    save(bitmap, FIF_PNG, scratch.file("heights.png"));
    Texture* heights = Texture::load(scratch.file("heights.png"));
    ASSERT_NE(heights, nullptr);

    GLuint slopes = HeightSlopeMap::of(*heights);
    ASSERT_NE(slopes, 0u);
    EXPECT_EQ(HeightSlopeMap::of(*heights), slopes) << "built once per texture";
    std::vector<float> texels(width * height * 2);
    glBindTexture(GL_TEXTURE_2D, slopes);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RG, GL_FLOAT, texels.data());
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            float ds = 0.5f * (heightAt(x + 1, y) - heightAt(x - 1, y)) / 255.0f;
            float dt = 0.5f * (heightAt(x, y + 1) - heightAt(x, y - 1)) / 255.0f;
            EXPECT_NEAR(texels[size_t(2 * (y * width + x))], ds, 1e-3) << x << ", " << y;
            EXPECT_NEAR(texels[size_t(2 * (y * width + x) + 1)], dt, 1e-3) << x << ", " << y;
        }
    }
    GLint smallest = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 2, GL_TEXTURE_WIDTH, &smallest);
    EXPECT_EQ(smallest, 1) << "full mipmap chain";

    Texture::deleteAll();
    EXPECT_FALSE(glIsTexture(slopes)) << "deleted with the textures";
}
