// FrameCapture: RGBA8 read-back into a FreeImage bitmap, saved without its alpha.
#include "gpu/FrameCapture.h"

#include "gpu/GL.h"

#include <FreeImage.h>

#include <vector>

bool saveFramebufferPng(const std::string& path, int width, int height) {
    std::vector<unsigned char> pixels(static_cast<size_t>(width) * static_cast<size_t>(height) * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_BGRA, GL_UNSIGNED_BYTE, pixels.data());
    FIBITMAP* bitmap =
        FreeImage_ConvertFromRawBits(pixels.data(), width, height, width * 4, 32, FI_RGBA_RED_MASK,
                                     FI_RGBA_GREEN_MASK, FI_RGBA_BLUE_MASK, FALSE);
    if (!bitmap) {
        return false;
    }
    // The alpha is whatever the passes left there; pictures are opaque.
    FIBITMAP* opaque = FreeImage_ConvertTo24Bits(bitmap);
    FreeImage_Unload(bitmap);
    if (!opaque) {
        return false;
    }
    bool saved = FreeImage_Save(FIF_PNG, opaque, path.c_str(), 0) != 0;
    FreeImage_Unload(opaque);
    return saved;
}
