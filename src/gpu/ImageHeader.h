// ImageHeader: the size an image file claims, read before anything is decoded. Decoders allocate
// whatever a header asks for, so a loader checks the claim first and refuses an image that could
// never become a texture without ever allocating it.
#pragma once

#include <optional>
#include <string>
#include <vector>

struct ImageSize {
    unsigned width = 0;
    unsigned height = 0;
};

// The sizes the file's pages claim, in page order (one entry for a single-page format), read
// from their headers without decoding any pixels: FreeImage reads them where its decoder for the
// format can (FIF_LOAD_NOPIXELS); GIF pages, which FreeImage only decodes whole, are read from
// the frames' own descriptors. Empty when the headers cannot be read (the file will not decode
// either); nullopt for a format whose size is only known after decoding. `format` is a
// FREE_IMAGE_FORMAT; `allPages` false reads only the first page.
std::optional<std::vector<ImageSize>> claimedPageSizes(int format, const std::string& path,
                                                       bool allPages);
