// Saving what was rendered as a PNG picture, for the benchmark's captures and the tests' frames.
// The pixels are read from the colour buffer currently bound for reading.
#pragma once

#include <string>

// Reads width x height pixels (from the lower-left corner) of the read framebuffer's read
// buffer and writes them as an opaque 24-bit PNG through FreeImage. Rows come back bottom
// first, which is also how FreeImage stores them. False when the file could not be written.
bool saveFramebufferPng(const std::string& path, int width, int height);
