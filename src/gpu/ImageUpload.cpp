// ImageUpload: the texture upload shared by the still-image and animated-texture loaders.
#include "gpu/ImageUpload.h"

#include "gpu/ObjectLabel.h"

#include <FreeImage.h>

bool fitsLargestTexture(unsigned width, unsigned height) {
    GLint largest = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &largest);
    return width <= static_cast<unsigned>(largest) && height <= static_cast<unsigned>(largest);
}

// 32-bit rows have no padding, so the default unpack state fits.
GLuint uploadImageTexture(FIBITMAP* bitmap, const std::string& label) {
    GLuint texture = 0;
    glActiveTexture(GL_TEXTURE0);
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    labelObject(GL_TEXTURE, texture, label);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, static_cast<GLsizei>(FreeImage_GetWidth(bitmap)),
                 static_cast<GLsizei>(FreeImage_GetHeight(bitmap)), 0, GL_BGRA, GL_UNSIGNED_BYTE,
                 FreeImage_GetBits(bitmap));
    glGenerateMipmap(GL_TEXTURE_2D);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    return texture;
}
