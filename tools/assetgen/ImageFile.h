// ImageFile: reads an image file as RGBA texels in 0..1 (display values, rows from the bottom as
// the texture coordinates run), for the asset tools that sample the generated material images.
#pragma once

#include <FreeImage.h>
#include <glm/glm.hpp>

#include <string>
#include <vector>

inline bool readImageFile(const std::string& path, int& width, int& height,
                          std::vector<glm::vec4>& texels) {
    FREE_IMAGE_FORMAT format = FreeImage_GetFileType(path.c_str(), 0);
    FIBITMAP* raw = format == FIF_UNKNOWN ? nullptr : FreeImage_Load(format, path.c_str(), 0);
    if (raw == nullptr) {
        return false;
    }
    FIBITMAP* bitmap = FreeImage_ConvertTo32Bits(raw);
    FreeImage_Unload(raw);
    if (bitmap == nullptr) {
        return false;
    }
    width = int(FreeImage_GetWidth(bitmap));
    height = int(FreeImage_GetHeight(bitmap));
    texels.clear();
    for (int y = 0; y < height; ++y) {
        BYTE* line = FreeImage_GetScanLine(bitmap, y);
        for (int x = 0; x < width; ++x) {
            BYTE* px = line + x * 4;
            texels.emplace_back(px[FI_RGBA_RED] / 255.0f, px[FI_RGBA_GREEN] / 255.0f,
                                px[FI_RGBA_BLUE] / 255.0f, px[FI_RGBA_ALPHA] / 255.0f);
        }
    }
    FreeImage_Unload(bitmap);
    return true;
}
