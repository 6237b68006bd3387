// AnimatedTextureTechnique: decodes every page of a multi-page image once, uploads each as a
// mipmapped texture and plays them on a looping clock. Objects live in the cache below, which
// owns them until deleteAll.
#include "render/AnimatedTextureTechnique.h"

#include "base/Console.h"
#include "gpu/ImageHeader.h"
#include "gpu/ImageUpload.h"

#include <FreeImage.h>

#include <algorithm>
#include <cmath>

namespace {

// Constructed before main; keyed by path byte for byte. Never destroyed, so what it holds at exit
// stays reachable instead of being lost with the map.
std::map<std::string, AnimatedTextureTechnique*>& animatedTextureCache =
    *new std::map<std::string, AnimatedTextureTechnique*>();

// Locks the page only as long as the conversion takes; the caller unloads the copy. Null for a
// page that cannot be decoded or is larger than the driver's largest texture.
FIBITMAP* convertPage(FIMULTIBITMAP* multiBitmap, int index) {
    FIBITMAP* locked = FreeImage_LockPage(multiBitmap, index);
    if (locked == nullptr) {
        return nullptr;
    }
    FIBITMAP* converted = FreeImage_ConvertTo32Bits(locked);
    FreeImage_UnlockPage(multiBitmap, locked, FALSE);
    if (converted != nullptr &&
        !fitsLargestTexture(FreeImage_GetWidth(converted), FreeImage_GetHeight(converted))) {
        FreeImage_Unload(converted);
        return nullptr;
    }
    return converted;
}

// Whether the size page `index` claims in its header fits the largest texture. A page whose
// header could not be read beforehand passes here and is checked after decoding.
bool pageHeaderFits(const std::optional<std::vector<ImageSize>>& claimed, int index) {
    if (!claimed || index >= static_cast<int>(claimed->size())) {
        return true;
    }
    const ImageSize& size = (*claimed)[static_cast<std::size_t>(index)];
    return fitsLargestTexture(size.width, size.height);
}

// One texture per page, in page order. A page that cannot be decoded, or whose header claims more
// than the largest texture (then it is never decoded), keeps the name 0.
void uploadPages(AnimatedTextureTechnique& texture, FIMULTIBITMAP* multiBitmap, int format) {
    const std::optional<std::vector<ImageSize>> claimed =
        claimedPageSizes(format, texture.path, true);
    texture.frameCount = FreeImage_GetPageCount(multiBitmap);
    texture.duration = static_cast<float>(texture.frameCount) * texture.frameTime;
    texture.frames = new GLuint[texture.frameCount]();
    for (int i = 0; i < texture.frameCount; ++i) {
        FIBITMAP* page = pageHeaderFits(claimed, i) ? convertPage(multiBitmap, i) : nullptr;
        if (page == nullptr) {
            printLine(texture.path + ": page " + intToString(i) + " could not be decoded");
            continue;
        }
        texture.frames[i] = uploadImageTexture(page, texture.path + " page " + intToString(i));
        FreeImage_Unload(page);
    }
}

} // namespace

std::map<std::string, AnimatedTextureTechnique*>& AnimatedTextureTechnique::cache() {
    return animatedTextureCache;
}

AnimatedTextureTechnique::~AnimatedTextureTechnique() {
    for (int i = 0; i < frameCount; ++i) {
        glDeleteTextures(1, &frames[i]);
    }
    delete[] frames;
    frames = nullptr;
}

// A file that cannot be opened, or has no pages, is reported once and cached as an object
// without frames, so every later request shares that result instead of retrying the file.
AnimatedTextureTechnique* AnimatedTextureTechnique::load(int format, std::string path) {
    printLine("Start loading Animated Textures");
    auto found = cache().find(path);
    if (found != cache().end()) {
        printLine("Animated Texture already in memory. Get copy.");
        return found->second;
    }
    FIMULTIBITMAP* multiBitmap = FreeImage_OpenMultiBitmap(static_cast<FREE_IMAGE_FORMAT>(format),
                                                           path.c_str(), FALSE, TRUE, FALSE, 0);
    AnimatedTextureTechnique* texture = new AnimatedTextureTechnique();
    texture->path = path;
    if (multiBitmap == nullptr) {
        printLine(path + " could not be opened as an animated image");
    } else if (FreeImage_GetPageCount(multiBitmap) <= 0) {
        printLine(path + " holds no image pages");
    } else {
        uploadPages(*texture, multiBitmap, format);
    }
    cache()[path] = texture;
    printLine("all Animated Textures im memory: " + std::to_string(cache().size()));
    if (multiBitmap != nullptr) {
        FreeImage_CloseMultiBitmap(multiBitmap, 0);
    }
    return texture;
}

AnimatedTextureTechnique* AnimatedTextureTechnique::loadGif(std::string path) {
    return load(FIF_GIF, path);
}

AnimatedTextureTechnique* AnimatedTextureTechnique::loadIco(std::string path) {
    return load(FIF_ICO, path);
}

AnimatedTextureTechnique* AnimatedTextureTechnique::loadTiff(std::string path) {
    return load(FIF_TIFF, path);
}

void AnimatedTextureTechnique::updateAll(float dt) {
    for (auto& entry : cache()) {
        entry.second->advance(dt);
    }
}

void AnimatedTextureTechnique::deleteAll() {
    for (auto& entry : cache()) {
        delete entry.second;
    }
    cache().clear();
}

void AnimatedTextureTechnique::bind(int unit) {
    glActiveTexture(GL_TEXTURE0 + static_cast<GLenum>(unit));
    const GLuint name = frameCount > 0 ? frames[currentFrame()] : 0;
    glBindTexture(GL_TEXTURE_2D, name);
}

// Loops the clock; a step longer than a whole loop (a stalled frame) wraps fully so the
// animation carries on from the right page instead of sitting on the last one.
void AnimatedTextureTechnique::advance(float dt) {
    elapsed += dt;
    const float loopLength = static_cast<float>(frameCount) * frameTime;
    if (loopLength <= 0.0f) {
        return;
    }
    if (elapsed >= loopLength) {
        elapsed -= loopLength;
    }
    if (elapsed >= loopLength) {
        elapsed = std::fmod(elapsed, loopLength);
    }
}

int AnimatedTextureTechnique::currentFrame() const {
    if (frameCount <= 0) {
        return 0;
    }
    const int page = static_cast<int>(elapsed / frameTime);
    return std::clamp(page, 0, frameCount - 1);
}
