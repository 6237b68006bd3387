// Texture: one 2D OpenGL texture made from one image file, shared through a process-wide cache
// keyed by the path string. Each path is decoded and uploaded once (RGBA8, full mipmap chain,
// trilinear filtering); the material images of imported meshes are loaded through it.
#pragma once

#include "gpu/GL.h"

#include <string>

class Texture {
public:
    GLuint id = 0;
    // the path the image was loaded from, exactly as passed to load()
    std::string path;

    // The cached texture for the path, or a newly decoded and uploaded one; null when the file
    // cannot be read or decoded. Leaves unit 0 active with the new texture bound.
    static Texture* load(std::string path);
    // Deletes every cached texture (and its GL texture), the slope maps derived from them
    // (HeightSlopeMap), and empties the cache.
    static void deleteAll();

    // Activates GL_TEXTURE0 + unit and binds the texture to GL_TEXTURE_2D; the unit stays active.
    void bind(int unit);

    Texture() = default;
    // Deletes the GL texture.
    ~Texture();

    Texture(const Texture&) = delete;
    Texture& operator=(const Texture&) = delete;
};
