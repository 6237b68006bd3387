// ImageUpload: how a decoded image becomes an OpenGL texture. The still-image textures and every
// page of an animated texture are uploaded here, so all images share one format and one filter
// set-up, and one test of whether the driver can hold them.
#pragma once

#include "gpu/GL.h"

#include <string>

struct FIBITMAP;

// Whether the driver can hold an image of this size as a 2D texture (GL_MAX_TEXTURE_SIZE); a
// larger one would be refused by glTexImage2D with an error and leave a texture without storage.
bool fitsLargestTexture(unsigned width, unsigned height);

// Makes unit 0 active, generates a texture and uploads the 32-bit BGRA bitmap to it as RGBA8,
// bottom row first as FreeImage stores it (so image row 0 lies at t = 0), with a full mipmap
// chain, trilinear minification and linear magnification; wrap modes stay at the default.
// Labels it `label` (ObjectLabel.h). Returns the texture's name and leaves it bound to
// GL_TEXTURE_2D on unit 0.
GLuint uploadImageTexture(FIBITMAP* bitmap, const std::string& label);
