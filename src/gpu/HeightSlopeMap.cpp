// HeightSlopeMap: reads a height texture's level 0 back once, takes its slopes on the CPU and
// uploads them beside it; cached by the height texture's name.
#include "gpu/HeightSlopeMap.h"

#include "gpu/Texture.h"

#include <map>
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

// Central differences: (dh/ds, dh/dt) per texel, interleaved.
std::vector<float> slopesOf(const Heights& h) {
    std::vector<float> slopes(size_t(h.width) * size_t(h.height) * 2);
    size_t i = 0;
    for (int y = 0; y < h.height; ++y) {
        for (int x = 0; x < h.width; ++x) {
            slopes[i++] = 0.5f * (h.at(x + 1, y) - h.at(x - 1, y));
            slopes[i++] = 0.5f * (h.at(x, y + 1) - h.at(x, y - 1));
        }
    }
    return slopes;
}

GLuint uploadSlopes(int width, int height, const std::vector<float>& slopes) {
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RG16F, width, height, 0, GL_RG, GL_FLOAT, slopes.data());
    glGenerateMipmap(GL_TEXTURE_2D);
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
        slopes = uploadSlopes(read.width, read.height, slopesOf(read));
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
