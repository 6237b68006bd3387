// Writes small animated GIFs for the tests: every page is a stack of horizontal bands, each a
// solid colour or transparent, listed from the image's bottom row upwards.
#pragma once

#include <FreeImage.h>

#include <string>
#include <vector>

struct GifBand {
    int rows;
    unsigned char red, green, blue;
    bool transparent;
};

using GifPage = std::vector<GifBand>;

// Palette index 0 is the transparent colour; each opaque band gets its own index.
inline bool writeTestGif(const std::string& path, const std::vector<GifPage>& pages, int width) {
    FIMULTIBITMAP* gif = FreeImage_OpenMultiBitmap(FIF_GIF, path.c_str(), TRUE, FALSE, TRUE, 0);
    if (gif == nullptr) {
        return false;
    }
    for (const GifPage& bands : pages) {
        int height = 0;
        for (const GifBand& band : bands) {
            height += band.rows;
        }
        FIBITMAP* page = FreeImage_Allocate(width, height, 8);
        RGBQUAD* palette = FreeImage_GetPalette(page);
        palette[0] = RGBQUAD{0, 0, 0, 0};
        int row = 0;
        BYTE index = 1;
        for (const GifBand& band : bands) {
            palette[index] = RGBQUAD{band.blue, band.green, band.red, 0};
            for (int r = 0; r < band.rows; ++r, ++row) {
                BYTE* line = FreeImage_GetScanLine(page, row); // row 0 is the bottom
                for (int x = 0; x < width; ++x) {
                    line[x] = band.transparent ? 0 : index;
                }
            }
            ++index;
        }
        FreeImage_SetTransparentIndex(page, 0);
        FreeImage_AppendPage(gif, page);
        FreeImage_Unload(page);
    }
    return FreeImage_CloseMultiBitmap(gif, 0) != FALSE;
}

// One solid opaque page per colour.
inline bool writeSolidGif(const std::string& path, const std::vector<GifBand>& colors, int size) {
    std::vector<GifPage> pages;
    for (GifBand color : colors) {
        color.rows = size;
        color.transparent = false;
        pages.push_back({color});
    }
    return writeTestGif(path, pages, size);
}
