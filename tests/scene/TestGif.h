// Writes small animated GIFs for the tests: every page is a stack of horizontal bands, each a
// solid colour or transparent, listed from the image's bottom row upwards.
#pragma once

#include <FreeImage.h>

#include <string>
#include <vector>

struct GifBand {
    int rows;
    BYTE red, green, blue;
    bool transparent;
};

// Palette index 0 is the transparent colour; each band gets its own index.
inline bool writeTestGif(const std::string& path, const std::vector<std::vector<GifBand>>& pages,
                         int width) {
    FIMULTIBITMAP* gif = FreeImage_OpenMultiBitmap(FIF_GIF, path.c_str(), TRUE, FALSE, TRUE, 0);
    if (gif == nullptr) {
        return false;
    }
    for (const std::vector<GifBand>& bands : pages) {
        int height = 0;
        for (const GifBand& band : bands) {
            height += band.rows;
        }
        FIBITMAP* page = FreeImage_Allocate(width, height, 8);
        RGBQUAD* palette = FreeImage_GetPalette(page);
        palette[0] = RGBQUAD{0, 0, 0, 0};
        for (int b = 0, row = 0; b < static_cast<int>(bands.size()); ++b) {
            palette[b + 1] = RGBQUAD{bands[b].blue, bands[b].green, bands[b].red, 0};
            for (int r = 0; r < bands[b].rows; ++r, ++row) {
                BYTE* line = FreeImage_GetScanLine(page, row); // row 0 is the bottom
                for (int x = 0; x < width; ++x) {
                    line[x] = bands[b].transparent ? 0 : static_cast<BYTE>(b + 1);
                }
            }
        }
        FreeImage_SetTransparentIndex(page, 0);
        FreeImage_AppendPage(gif, page);
        FreeImage_Unload(page);
    }
    return FreeImage_CloseMultiBitmap(gif, 0) != FALSE;
}

// `count` opaque square pages, page i coloured (i, 255 - i, 128).
inline bool writeNumberedGif(const std::string& path, int count, int size) {
    std::vector<std::vector<GifBand>> pages;
    for (int i = 0; i < count; ++i) {
        pages.push_back({{size, static_cast<BYTE>(i), static_cast<BYTE>(255 - i), 128, false}});
    }
    return writeTestGif(path, pages, size);
}
