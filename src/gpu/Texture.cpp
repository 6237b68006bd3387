// Texture: FreeImage decoding and the process-wide cache keyed by the path string byte for byte.
// Every image is converted to 32-bit BGRA and uploaded bottom row first, as FreeImage stores it,
// so image row 0 lies at t = 0. Failed loads are not cached; a later request tries again.
#include "gpu/Texture.h"

#include "base/Console.h"
#include "gpu/HeightSlopeMap.h"
#include "gpu/ImageHeader.h"
#include "gpu/ImageUpload.h"

#include <FreeImage.h>

#include <map>

namespace {

// Owns the textures. Never destroyed, so what it holds at exit stays reachable instead of being
// lost with the map (GL is not touched at exit: the context is gone by then).
std::map<std::string, Texture*>& textureCache = *new std::map<std::string, Texture*>();

// Whether the size the file's header claims fits the largest texture; false when the header
// cannot be read. A format whose size is known only after decoding passes here and is checked
// after decoding.
bool headerFitsTexture(FREE_IMAGE_FORMAT type, const std::string& path) {
    std::optional<std::vector<ImageSize>> claimed = claimedPageSizes(type, path, false);
    if (!claimed) {
        return true;
    }
    return !claimed->empty() && fitsLargestTexture(claimed->front().width, claimed->front().height);
}

// The decoded image as a 32-bit bitmap, or null when the file's type is unknown, decoding or
// conversion fails, or the image is larger than the driver's largest texture (refused from its
// header, before anything is allocated for its pixels, wherever the format allows).
FIBITMAP* decode32Bits(const std::string& path) {
    FREE_IMAGE_FORMAT type = FreeImage_GetFileType(path.c_str(), 0);
    if (type == FIF_UNKNOWN || !headerFitsTexture(type, path)) {
        return nullptr;
    }
    FIBITMAP* decoded = FreeImage_Load(type, path.c_str(), 0);
    if (decoded == nullptr) {
        return nullptr;
    }
    FIBITMAP* converted = FreeImage_ConvertTo32Bits(decoded);
    FreeImage_Unload(decoded);
    if (converted != nullptr &&
        (FreeImage_GetWidth(converted) == 0 || FreeImage_GetHeight(converted) == 0 ||
         !fitsLargestTexture(FreeImage_GetWidth(converted), FreeImage_GetHeight(converted)))) {
        FreeImage_Unload(converted);
        return nullptr;
    }
    return converted;
}

} // namespace

Texture* Texture::load(std::string path) {
    auto cached = textureCache.find(path);
    if (cached != textureCache.end()) {
        return cached->second;
    }
    printLine("Loading Texture from: " + path);
    FIBITMAP* bitmap = decode32Bits(path);
    if (bitmap == nullptr) {
        printLine(path + " not found or unable to read!");
        return nullptr;
    }

    Texture* texture = new Texture();
    texture->id = uploadImageTexture(bitmap, path);
    FreeImage_Unload(bitmap);

    texture->path = path;
    textureCache[path] = texture;
    printLine("all Textures im memory: " + std::to_string(textureCache.size()));
    return texture;
}

void Texture::deleteAll() {
    HeightSlopeMap::deleteAll();
    for (auto& entry : textureCache) {
        delete entry.second;
    }
    textureCache.clear();
}

void Texture::bind(int unit) {
    glActiveTexture(GL_TEXTURE0 + static_cast<GLenum>(unit));
    glBindTexture(GL_TEXTURE_2D, id);
}

Texture::~Texture() {
    glDeleteTextures(1, &id);
}
