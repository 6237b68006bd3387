// ImageHeader: page sizes from FreeImage's header-only loads, and from a walk over a GIF's blocks
// that reads each frame's descriptor and skips everything else.
#include "gpu/ImageHeader.h"

#include <FreeImage.h>

#include <cstring>
#include <fstream>

namespace {

unsigned littleEndian16(const unsigned char* bytes) {
    return bytes[0] | (bytes[1] << 8);
}

// A colour table follows a GIF screen or frame descriptor when bit 7 of its packed byte is set;
// it holds 2^(size + 1) RGB entries.
void skipColorTable(std::ifstream& file, unsigned char packed) {
    if (packed & 0x80) {
        file.ignore(3 << ((packed & 0x07) + 1));
    }
}

// Data sub-blocks: a length byte and that many bytes each, up to a zero length.
void skipSubBlocks(std::ifstream& file) {
    for (int length = file.get(); length > 0; length = file.get()) {
        file.ignore(length);
    }
}

// FreeImage decodes a GIF page at the size of its frame's descriptor. The walk stops at the
// trailer or at the first byte that is no block; pages it did not reach are not listed.
std::vector<ImageSize> gifFrameSizes(const std::string& path, bool allPages) {
    std::vector<ImageSize> frames;
    std::ifstream file(path, std::ios::binary);
    unsigned char screen[13];
    if (!file.read(reinterpret_cast<char*>(screen), sizeof(screen)) ||
        std::memcmp(screen, "GIF", 3) != 0) {
        return frames;
    }
    skipColorTable(file, screen[10]);
    for (int block = file.get(); file && (allPages || frames.empty()); block = file.get()) {
        if (block == 0x21) { // extension: label, then sub-blocks
            file.get();
            skipSubBlocks(file);
        } else if (block == 0x2C) { // frame: position, size, packed byte, palette, image data
            unsigned char descriptor[9];
            if (!file.read(reinterpret_cast<char*>(descriptor), sizeof(descriptor))) {
                break;
            }
            frames.push_back({littleEndian16(descriptor + 4), littleEndian16(descriptor + 6)});
            skipColorTable(file, descriptor[8]);
            file.get(); // LZW minimum code size
            skipSubBlocks(file);
        } else {
            break;
        }
    }
    return frames;
}

ImageSize sizeOf(FIBITMAP* bitmap) {
    return {FreeImage_GetWidth(bitmap), FreeImage_GetHeight(bitmap)};
}

std::vector<ImageSize> headerPageSizes(FREE_IMAGE_FORMAT format, const std::string& path) {
    std::vector<ImageSize> pages;
    FIMULTIBITMAP* multiBitmap =
        FreeImage_OpenMultiBitmap(format, path.c_str(), FALSE, TRUE, FALSE, FIF_LOAD_NOPIXELS);
    if (multiBitmap == nullptr) {
        return pages;
    }
    for (int i = 0; i < FreeImage_GetPageCount(multiBitmap); ++i) {
        FIBITMAP* page = FreeImage_LockPage(multiBitmap, i);
        pages.push_back(page != nullptr ? sizeOf(page) : ImageSize{});
        if (page != nullptr) {
            FreeImage_UnlockPage(multiBitmap, page, FALSE);
        }
    }
    FreeImage_CloseMultiBitmap(multiBitmap, 0);
    return pages;
}

std::vector<ImageSize> headerSize(FREE_IMAGE_FORMAT format, const std::string& path) {
    FIBITMAP* header = FreeImage_Load(format, path.c_str(), FIF_LOAD_NOPIXELS);
    if (header == nullptr) {
        return {};
    }
    std::vector<ImageSize> size = {sizeOf(header)};
    FreeImage_Unload(header);
    return size;
}

} // namespace

std::optional<std::vector<ImageSize>> claimedPageSizes(int format, const std::string& path,
                                                       bool allPages) {
    const auto type = static_cast<FREE_IMAGE_FORMAT>(format);
    if (type == FIF_GIF) {
        return gifFrameSizes(path, allPages);
    }
    if (!FreeImage_FIFSupportsNoPixels(type)) {
        return std::nullopt;
    }
    return allPages ? headerPageSizes(type, path) : headerSize(type, path);
}
