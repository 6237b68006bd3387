// AnimatedTextureTechnique: every page of a multi-page image (an animated GIF) as its own
// mipmapped 2D texture, played at 25 pages per second. A process-wide cache keyed by path hands
// every requester the same object, and updateAll advances each cached clock once per frame.
#pragma once

#include "gpu/GL.h"

#include <map>
#include <string>

class AnimatedTextureTechnique {
public:
    std::string path;         // the cache key
    GLuint* frames = nullptr; // one texture per page, frameCount entries, owned
    int frameCount = 0;
    float duration = 0.0f;   // frameCount * frameTime, seconds
    float frameTime = 0.04f; // seconds per page
    float elapsed = 0.0f;    // seconds into the current loop

    AnimatedTextureTechnique() = default;
    ~AnimatedTextureTechnique();
    AnimatedTextureTechnique(const AnimatedTextureTechnique&) = delete;
    AnimatedTextureTechnique& operator=(const AnimatedTextureTechnique&) = delete;

    // The cached object for the path, or a newly loaded one (format: a FREE_IMAGE_FORMAT code).
    // A file that cannot be read gives an object without frames, cached like any other.
    static AnimatedTextureTechnique* load(int format, std::string path);
    static AnimatedTextureTechnique* loadGif(std::string path);
    static AnimatedTextureTechnique* loadIco(std::string path);
    static AnimatedTextureTechnique* loadTiff(std::string path);
    // Advances every cached animation once, in path order.
    static void updateAll(float dt);
    // Deletes every cached object and empties the cache.
    static void deleteAll();

    // Makes GL_TEXTURE0 + unit active and binds the current page (texture 0 without frames).
    void bind(int unit);
    void advance(float dt);
    // Index of the page shown now: elapsed / frameTime truncated, limited to the last page.
    int currentFrame() const;

private:
    static std::map<std::string, AnimatedTextureTechnique*>& cache();
};
