// HeightSlopeMap: reads a height texture's level 0 back once, takes its slopes on the CPU and
// uploads them with their mipmap chain beside it; cached by the height texture's name.
#include "gpu/HeightSlopeMap.h"

#include "gpu/ObjectLabel.h"
#include "gpu/Texture.h"

#include <algorithm>
#include <map>
#include <string>
#include <vector>

namespace {

// Slope textures by height-texture name. Never destroyed, like the texture cache.
std::map<GLuint, GLuint>& slopeCache = *new std::map<GLuint, GLuint>();

struct Heights {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> red; // row 0 at t = 0

    float at(int x, int y) const {
        x = (x + width) % width;
        y = (y + height) % height;
        return float(red[size_t(y) * size_t(width) + size_t(x)]) / 255.0f;
    }
};

Heights readHeights(GLuint texture) {
    Heights heights;
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, texture);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &heights.width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &heights.height);
    if (heights.width > 0 && heights.height > 0) {
        heights.red.resize(size_t(heights.width) * size_t(heights.height));
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RED, GL_UNSIGNED_BYTE, heights.red.data());
        glPixelStorei(GL_PACK_ALIGNMENT, 4);
    }
    glBindTexture(GL_TEXTURE_2D, 0);
    return heights;
}

// One level of slopes, (dh/ds, dh/dt) interleaved.
struct SlopeLevel {
    int width = 0;
    int height = 0;
    std::vector<float> texels;
};

// Level 0: central differences of the heights.
SlopeLevel slopesOf(const Heights& h) {
    SlopeLevel level;
    level.width = h.width;
    level.height = h.height;
    level.texels.resize(size_t(h.width) * size_t(h.height) * 2);
    size_t i = 0;
    for (int y = 0; y < h.height; ++y) {
        for (int x = 0; x < h.width; ++x) {
            level.texels[i++] = 0.5f * (h.at(x + 1, y) - h.at(x - 1, y));
            level.texels[i++] = 0.5f * (h.at(x, y + 1) - h.at(x, y - 1));
        }
    }
    return level;
}

// The next smaller level: each texel the mean of the 2 x 2 below it (the last row or column
// repeated where a size is odd), the box filter a driver's mipmap generation applies. Built here
// because Mesa's generation for float textures keeps a little heap per call.
SlopeLevel halve(const SlopeLevel& level) {
    SlopeLevel next;
    next.width = std::max(1, level.width / 2);
    next.height = std::max(1, level.height / 2);
    next.texels.resize(size_t(next.width) * size_t(next.height) * 2);
    auto at = [&](int x, int y, int channel) {
        x = std::min(x, level.width - 1);
        y = std::min(y, level.height - 1);
        return level.texels[(size_t(y) * size_t(level.width) + size_t(x)) * 2 + size_t(channel)];
    };
    for (int y = 0; y < next.height; ++y) {
        for (int x = 0; x < next.width; ++x) {
            for (int channel = 0; channel < 2; ++channel) {
                next.texels[(size_t(y) * size_t(next.width) + size_t(x)) * 2 + size_t(channel)] =
                    0.25f * (at(2 * x, 2 * y, channel) + at(2 * x + 1, 2 * y, channel) +
                             at(2 * x, 2 * y + 1, channel) + at(2 * x + 1, 2 * y + 1, channel));
            }
        }
    }
    return next;
}

GLuint uploadSlopes(SlopeLevel level, const std::string& label) {
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, texture);
    labelObject(GL_TEXTURE, texture, label);
    for (int mip = 0;; ++mip) {
        glTexImage2D(GL_TEXTURE_2D, mip, GL_RG16F, level.width, level.height, 0, GL_RG, GL_FLOAT,
                     level.texels.data());
        if (level.width == 1 && level.height == 1) {
            break;
        }
        level = halve(level);
    }
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glBindTexture(GL_TEXTURE_2D, 0);
    return texture;
}

} // namespace

GLuint HeightSlopeMap::of(const Texture& heights) {
    auto cached = slopeCache.find(heights.id);
    if (cached != slopeCache.end()) {
        return cached->second;
    }
    Heights read = readHeights(heights.id);
    GLuint slopes = 0;
    if (!read.red.empty()) {
        slopes = uploadSlopes(slopesOf(read), heights.path + " slopes");
    }
    slopeCache[heights.id] = slopes;
    return slopes;
}

void HeightSlopeMap::deleteAll() {
    for (auto& entry : slopeCache) {
        glDeleteTextures(1, &entry.second);
    }
    slopeCache.clear();
}
