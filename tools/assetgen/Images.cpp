// Images: tileable value noise, block and tile patterns, glass designs and the flame. Pixels are
// computed as floats in [0, 1] and quantised once when written.
#include "Images.h"

#include "Shapes.h"

#include <FreeImage.h>
#include <glm/glm.hpp>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <vector>

namespace {

uint32_t hash(uint32_t x, uint32_t y, uint32_t seed) {
    uint32_t h = x * 374761393u + y * 668265263u + seed * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return h ^ (h >> 16);
}

float random01(uint32_t x, uint32_t y, uint32_t seed) {
    return float(hash(x, y, seed) & 0xFFFFFF) / float(0xFFFFFF);
}

// Value noise on a lattice that wraps every `period` cells, so images tile.
float valueNoise(float x, float y, int period, uint32_t seed) {
    int xi = int(std::floor(x)), yi = int(std::floor(y));
    float fx = x - float(xi), fy = y - float(yi);
    auto at = [&](int i, int j) {
        return random01(uint32_t(((i % period) + period) % period),
                        uint32_t(((j % period) + period) % period), seed);
    };
    float sx = fx * fx * (3 - 2 * fx), sy = fy * fy * (3 - 2 * fy);
    float a = at(xi, yi) + (at(xi + 1, yi) - at(xi, yi)) * sx;
    float b = at(xi, yi + 1) + (at(xi + 1, yi + 1) - at(xi, yi + 1)) * sx;
    return a + (b - a) * sy;
}

// Fractal sum of tileable octaves; u, v in [0, 1) over the whole image.
float fbm(float u, float v, int basePeriod, int octaves, uint32_t seed) {
    float sum = 0, amp = 0.5f, norm = 0;
    int period = basePeriod;
    for (int o = 0; o < octaves; ++o) {
        sum += amp * valueNoise(u * float(period), v * float(period), period, seed + uint32_t(o));
        norm += amp;
        amp *= 0.5f;
        period *= 2;
    }
    return sum / norm;
}

struct Image {
    int width, height;
    std::vector<glm::vec4> pixels; // row 0 is the bottom row
    Image(int w, int h) : width(w), height(h), pixels(size_t(w) * size_t(h), glm::vec4(1.0f)) {}
    glm::vec4& at(int x, int y) { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
};

uint8_t toByte(float v) {
    return uint8_t(std::lround(std::clamp(v, 0.0f, 1.0f) * 255.0f));
}

bool savePng(const Image& img, const std::string& path, bool alpha) {
    FIBITMAP* bmp = FreeImage_Allocate(img.width, img.height, alpha ? 32 : 24);
    if (bmp == nullptr) {
        return false;
    }
    int bytes = alpha ? 4 : 3;
    for (int y = 0; y < img.height; ++y) {
        BYTE* line = FreeImage_GetScanLine(bmp, y);
        for (int x = 0; x < img.width; ++x) {
            const glm::vec4& p = img.pixels[size_t(y) * size_t(img.width) + size_t(x)];
            line[x * bytes + FI_RGBA_RED] = toByte(p.r);
            line[x * bytes + FI_RGBA_GREEN] = toByte(p.g);
            line[x * bytes + FI_RGBA_BLUE] = toByte(p.b);
            if (alpha) {
                line[x * bytes + FI_RGBA_ALPHA] = toByte(p.a);
            }
        }
    }
    bool ok = FreeImage_Save(FIF_PNG, bmp, path.c_str(), PNG_Z_DEFAULT_COMPRESSION) != 0;
    FreeImage_Unload(bmp);
    return ok;
}

bool saveHeight(const std::vector<float>& h, int w, int hgt, const std::string& path) {
    FIBITMAP* bmp = FreeImage_Allocate(w, hgt, 8);
    if (bmp == nullptr) {
        return false;
    }
    RGBQUAD* pal = FreeImage_GetPalette(bmp);
    for (int i = 0; i < 256; ++i) {
        pal[i].rgbRed = pal[i].rgbGreen = pal[i].rgbBlue = BYTE(i);
    }
    for (int y = 0; y < hgt; ++y) {
        BYTE* line = FreeImage_GetScanLine(bmp, y);
        for (int x = 0; x < w; ++x) {
            line[x] = toByte(h[size_t(y) * size_t(w) + size_t(x)]);
        }
    }
    bool ok = FreeImage_Save(FIF_PNG, bmp, path.c_str(), PNG_Z_DEFAULT_COMPRESSION) != 0;
    FreeImage_Unload(bmp);
    return ok;
}

// A colour image and its height map, filled by one function per pixel.
struct Material {
    Image colour;
    std::vector<float> height;
    explicit Material(int size) : colour(size, size), height(size_t(size) * size_t(size), 0.5f) {}
};

using Shader = std::function<void(float u, float v, glm::vec3& colour, float& height)>;

Material render(int size, const Shader& shade) {
    Material m(size);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            glm::vec3 c;
            float h;
            shade((float(x) + 0.5f) / float(size), (float(y) + 0.5f) / float(size), c, h);
            m.colour.at(x, y) = glm::vec4(c, 1.0f);
            m.height[size_t(y) * size_t(size) + size_t(x)] = h;
        }
    }
    return m;
}

bool save(const Material& m, const std::string& dir, const std::string& name) {
    return savePng(m.colour, dir + "/" + name + ".png", false) &&
           saveHeight(m.height, m.colour.width, m.colour.height, dir + "/" + name + "_height.png");
}

// Ashlar courses: `rows` courses and `cols` blocks per course across the tile, every other
// course shifted by half a block; mortar is `joint` wide in tile units.
Shader ashlar(int rows, int cols, float joint, glm::vec3 base, float variation, uint32_t seed) {
    return [=](float u, float v, glm::vec3& c, float& h) {
        float fy = v * float(rows);
        int row = int(fy);
        float fx = u * float(cols) + ((row % 2) ? 0.5f : 0.0f);
        int col = int(std::floor(fx)) % cols;
        float ex = std::min(fx - std::floor(fx), std::ceil(fx) - fx) / float(cols);
        float ey = std::min(fy - float(row), float(row + 1) - fy) / float(rows);
        float edge = std::min(ex, ey);
        float block = random01(uint32_t(col), uint32_t(row), seed);
        float grain = fbm(u, v, 8, 5, seed + 11);
        float speck = fbm(u, v, 64, 2, seed + 23);
        glm::vec3 stone = base * (1.0f + variation * (block - 0.5f)) * (0.88f + 0.24f * grain);
        stone *= speck > 0.8f ? 0.85f : 1.0f;
        float bevel = std::clamp((edge - joint) / (joint * 1.5f), 0.0f, 1.0f);
        glm::vec3 mortar = base * 0.72f;
        c = glm::mix(mortar, stone, bevel);
        h = 0.15f + 0.7f * bevel * (0.85f + 0.15f * grain);
    };
}

Shader floorTiles() {
    return [](float u, float v, glm::vec3& c, float& h) {
        const int n = 2;
        float fx = u * n, fy = v * n;
        int ix = int(fx), iy = int(fy);
        float edge =
            std::min({fx - float(ix), float(ix + 1) - fx, fy - float(iy), float(iy + 1) - fy});
        bool dark = ((ix + iy) % 2) == 1;
        float veins = std::fabs(fbm(u, v, 4, 6, 71) - 0.5f);
        float vein = std::clamp(1.0f - veins * 14.0f, 0.0f, 1.0f);
        glm::vec3 light(0.86f, 0.82f, 0.74f), darkC(0.48f, 0.33f, 0.28f);
        glm::vec3 t = dark ? darkC : light;
        t *= 0.92f + 0.1f * fbm(u, v, 16, 3, 5) +
             0.04f * (random01(uint32_t(ix), uint32_t(iy), 9) - 0.5f);
        t = glm::mix(t, dark ? glm::vec3(0.75f, 0.68f, 0.6f) : glm::vec3(0.6f, 0.56f, 0.5f),
                     0.35f * vein);
        float g = std::clamp((edge - 0.015f) / 0.02f, 0.0f, 1.0f);
        c = glm::mix(glm::vec3(0.3f, 0.28f, 0.25f), t, g);
        h = 0.2f + 0.7f * g;
    };
}

Shader columnStone() {
    return [](float u, float v, glm::vec3& c, float& h) {
        float streak = fbm(u * 0.25f, v, 16, 5, 31);
        float drum = std::fmod(v * 2.0f, 1.0f);
        float joint = std::clamp(std::min(drum, 1.0f - drum) / 0.012f, 0.0f, 1.0f);
        glm::vec3 base(0.83f, 0.80f, 0.74f);
        c = base * (0.86f + 0.22f * streak) * (0.75f + 0.25f * joint);
        h = 0.3f + 0.5f * joint + 0.1f * streak;
    };
}

Shader wood() {
    return [](float u, float v, glm::vec3& c, float& h) {
        float n = fbm(u, v * 0.125f, 8, 4, 41);
        float rings = 0.5f + 0.5f * std::sin((u * 24.0f + n * 6.0f) * 2.0f * pi);
        glm::vec3 a(0.45f, 0.28f, 0.15f), b(0.30f, 0.18f, 0.09f);
        c = glm::mix(a, b, rings * 0.7f) * (0.9f + 0.2f * n);
        h = 0.4f + 0.3f * rings + 0.2f * n;
    };
}

Shader iron() {
    return [](float u, float v, glm::vec3& c, float& h) {
        float n = fbm(u, v, 8, 5, 53);
        float rust = std::clamp((fbm(u, v, 4, 4, 59) - 0.55f) * 4.0f, 0.0f, 1.0f);
        c = glm::mix(glm::vec3(0.2f, 0.19f, 0.18f), glm::vec3(0.36f, 0.2f, 0.1f), rust) *
            (0.8f + 0.4f * n);
        h = n;
    };
}

// Stained glass palette: deep blue, ruby, emerald, gold, violet.
glm::vec3 glassColour(uint32_t i) {
    const glm::vec3 colours[] = {{0.10f, 0.22f, 0.75f}, {0.80f, 0.10f, 0.12f},
                                 {0.12f, 0.60f, 0.25f}, {0.95f, 0.72f, 0.15f},
                                 {0.45f, 0.15f, 0.65f}, {0.15f, 0.45f, 0.85f}};
    return colours[i % 6];
}

// Lead lines are dark and opaque; glass is coloured and lets light through.
glm::vec4 glassPixel(glm::vec3 colour, float lead, float u, float v, uint32_t seed) {
    float streak = 0.85f + 0.3f * fbm(u, v, 8, 3, seed);
    glm::vec4 glass(colour * streak, 0.55f);
    glm::vec4 leadC(0.05f, 0.05f, 0.06f, 0.95f);
    return glm::mix(glass, leadC, lead);
}

float leadLine(float distance, float width) {
    return std::clamp(1.0f - (distance - width) / (width * 0.6f), 0.0f, 1.0f);
}

Image lancetGlass() {
    Image img(256, 512);
    for (int y = 0; y < img.height; ++y) {
        for (int x = 0; x < img.width; ++x) {
            float u = (x + 0.5f) / img.width, v = (y + 0.5f) / img.height;
            // Border band.
            float border = std::min({u, 1.0f - u, v, 1.0f - v * 0.98f});
            if (border < 0.09f) {
                float lead = leadLine(std::fabs(border - 0.09f), 0.008f);
                lead = std::max(lead, leadLine(std::fmod(v * 24.0f, 1.0f) * 0.04f, 0.004f));
                img.at(x, y) = glassPixel(glassColour(1), lead, u, v, 3);
                continue;
            }
            // Medallions along the centre line over a diamond quarry field.
            float my = std::fmod(v * 3.0f, 1.0f), cy = v * 3.0f - my;
            glm::vec2 d((u - 0.5f) * 2.0f, (my - 0.5f) * 2.0f * (1.0f / 3.0f) * 2.0f);
            float r = glm::length(glm::vec2(d.x * 0.9f, d.y * 1.5f));
            if (r < 0.62f) {
                float lead = leadLine(std::fabs(r - 0.62f), 0.02f);
                float petal = std::atan2(d.y, d.x) / (2 * pi) * 8.0f;
                lead = std::max(lead,
                                leadLine(std::fabs(petal - std::round(petal)) * r * 0.8f, 0.012f));
                lead = std::max(lead, leadLine(std::fabs(r - 0.25f), 0.015f));
                uint32_t ci =
                    r < 0.25f ? 3u : (uint32_t(cy) + uint32_t(std::floor(petal + 8)) % 2 + 1);
                img.at(x, y) = glassPixel(glassColour(ci == 1 ? 4 : ci), lead, u, v, 7);
                continue;
            }
            float a = u * 6.0f + v * 12.0f, b = u * 6.0f - v * 12.0f;
            float da = std::fabs(a - std::round(a)), db = std::fabs(b - std::round(b));
            float lead = leadLine(std::min(da, db) * 0.08f, 0.006f);
            uint32_t cell = uint32_t(std::floor(a) * 7 + std::floor(b) * 13 + 1000);
            glm::vec3 col = (hash(cell, 1, 5) % 5 == 0) ? glassColour(hash(cell, 2, 5) % 6)
                                                        : glassColour(0) * 0.9f + glm::vec3(0.05f);
            img.at(x, y) = glassPixel(col, lead, u, v, 9);
        }
    }
    return img;
}

Image roseGlass() {
    Image img(512, 512);
    for (int y = 0; y < img.height; ++y) {
        for (int x = 0; x < img.width; ++x) {
            float u = (x + 0.5f) / img.width, v = (y + 0.5f) / img.height;
            glm::vec2 d(u * 2 - 1, v * 2 - 1);
            float r = glm::length(d);
            float ang = std::atan2(d.y, d.x) / (2 * pi) + 0.5f;
            float sector = ang * 16.0f;
            float sd = std::fabs(sector - std::round(sector)) * r * 0.4f;
            const float rings[] = {0.18f, 0.45f, 0.72f, 0.93f};
            float lead = 0;
            for (float ring : rings) {
                lead = std::max(lead, leadLine(std::fabs(r - ring), 0.012f));
            }
            if (r > 0.18f) {
                lead = std::max(lead, leadLine(sd, 0.006f));
            }
            // Petal arcs between the rings.
            float petal = std::fabs(std::fmod(sector, 1.0f) - 0.5f);
            lead = std::max(
                lead, leadLine(std::fabs(r - (0.45f + 0.25f * (1 - petal * 2) * 0.8f)), 0.008f));
            uint32_t band = r < 0.18f   ? 3u
                            : r < 0.45f ? 1u
                            : r < 0.72f ? (uint32_t(sector) % 2 ? 0u : 4u)
                                        : 5u;
            glm::vec4 p = glassPixel(glassColour(band), lead, u, v, 13);
            if (r > 0.99f) {
                p = glm::vec4(0.05f, 0.05f, 0.06f, 0.95f);
            }
            img.at(x, y) = p;
        }
    }
    return img;
}

} // namespace

bool writeMaterialImages(const std::string& dir) {
    bool ok = save(render(512, ashlar(3, 1, 0.006f, {0.84f, 0.79f, 0.70f}, 0.16f, 101)), dir,
                   "stone_wall");
    ok = save(render(512, ashlar(4, 1, 0.005f, {0.88f, 0.85f, 0.78f}, 0.08f, 202)), dir,
              "stone_vault") &&
         ok;
    ok = save(render(256, columnStone()), dir, "stone_column") && ok;
    ok = save(render(512, floorTiles()), dir, "floor_tiles") && ok;
    ok = save(render(256, wood()), dir, "wood") && ok;
    ok = save(render(128, iron()), dir, "iron") && ok;
    ok = savePng(lancetGlass(), dir + "/glass_lancet.png", true) && ok;
    ok = savePng(roseGlass(), dir + "/glass_rose.png", true) && ok;
    return ok;
}

namespace {

// Flame brightness at (x, y) of a page (x in [-0.5, 0.5], y in [0, 1] from the bottom) and loop
// phase `phase` in [0, 2 pi). Only whole multiples of the phase appear, so the loop is seamless.
float flameIntensity(float x, float y, float phase) {
    const float base = 0.05f;
    float height = 0.6f + 0.05f * std::sin(phase) + 0.025f * std::sin(2 * phase + 1.3f);
    float t = (y - base) / height;
    if (t <= 0.0f || t >= 1.0f) {
        return 0.0f;
    }
    float sway = (0.035f * std::sin(phase + 0.4f) + 0.015f * std::sin(3 * phase)) * t * t;
    float ripple = 0.012f * std::sin(18.0f * t - 2 * phase) * t;
    float width = 0.13f * std::pow(t, 0.45f) * std::pow(1.0f - t, 0.9f) * 2.3f;
    float d = std::fabs(x - sway - ripple) / std::max(width, 1e-4f);
    float core = 1.0f - d * d;
    if (core <= 0.0f) {
        return 0.0f;
    }
    float vertical = std::pow(1.0f - t, 0.6f) * std::min(1.0f, t * 6.0f + 0.35f);
    return std::clamp(core * vertical * 1.25f, 0.0f, 1.0f);
}

// Colour ramp from dark red through orange and yellow to a white core.
glm::vec3 flameColour(float i) {
    const glm::vec3 stops[] = {{0.18f, 0.02f, 0.01f}, {0.65f, 0.12f, 0.02f}, {0.95f, 0.45f, 0.08f},
                               {1.0f, 0.78f, 0.25f},  {1.0f, 0.95f, 0.75f},  {1.0f, 1.0f, 0.95f}};
    float f = std::clamp(i, 0.0f, 1.0f) * 5.0f;
    int k = std::min(4, int(f));
    return glm::mix(stops[k], stops[k + 1], f - float(k));
}

void setAnimationTag(FIBITMAP* bmp, const char* key, FREE_IMAGE_MDTYPE type, DWORD bytes,
                     const void* value) {
    FITAG* tag = FreeImage_CreateTag();
    FreeImage_SetTagKey(tag, key);
    FreeImage_SetTagType(tag, type);
    FreeImage_SetTagCount(tag, 1);
    FreeImage_SetTagLength(tag, bytes);
    FreeImage_SetTagValue(tag, value);
    FreeImage_SetMetadata(FIMD_ANIMATION, bmp, key, tag);
    FreeImage_DeleteTag(tag);
}

// One 8-bit page: index 0 is the transparent background, 1..255 the colour ramp.
FIBITMAP* flamePage(int size, float phase, bool first) {
    FIBITMAP* bmp = FreeImage_Allocate(size, size, 8);
    RGBQUAD* pal = FreeImage_GetPalette(bmp);
    pal[0].rgbRed = pal[0].rgbGreen = pal[0].rgbBlue = 0;
    for (int i = 1; i < 256; ++i) {
        glm::vec3 c = flameColour(float(i - 1) / 254.0f);
        pal[i].rgbRed = toByte(c.r);
        pal[i].rgbGreen = toByte(c.g);
        pal[i].rgbBlue = toByte(c.b);
    }
    BYTE alpha[256];
    std::fill(alpha, alpha + 256, BYTE(255));
    alpha[0] = 0;
    FreeImage_SetTransparencyTable(bmp, alpha, 256);
    for (int y = 0; y < size; ++y) {
        BYTE* line = FreeImage_GetScanLine(bmp, y);
        for (int x = 0; x < size; ++x) {
            float fi = flameIntensity((x + 0.5f) / size - 0.5f, (y + 0.5f) / size, phase);
            line[x] = fi < 0.03f ? BYTE(0) : BYTE(1 + std::lround((fi - 0.03f) / 0.97f * 254.0f));
        }
    }
    LONG frameTime = 40;
    setAnimationTag(bmp, "FrameTime", FIDT_LONG, 4, &frameTime);
    BYTE disposal = 2; // restore the background before the next page
    setAnimationTag(bmp, "DisposalMethod", FIDT_BYTE, 1, &disposal);
    if (first) {
        LONG loop = 0; // forever
        setAnimationTag(bmp, "Loop", FIDT_LONG, 4, &loop);
    }
    return bmp;
}

} // namespace

bool writeFlameAnimation(const std::string& path, int pages) {
    std::remove(path.c_str());
    FIMULTIBITMAP* gif = FreeImage_OpenMultiBitmap(FIF_GIF, path.c_str(), TRUE, FALSE, TRUE, 0);
    if (gif == nullptr) {
        return false;
    }
    for (int p = 0; p < pages; ++p) {
        FIBITMAP* page = flamePage(128, 2.0f * pi * float(p) / float(pages), p == 0);
        FreeImage_AppendPage(gif, page);
        FreeImage_Unload(page);
    }
    return FreeImage_CloseMultiBitmap(gif, 0) != 0;
}
