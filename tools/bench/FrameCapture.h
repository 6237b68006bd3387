// Saving a frame as PNG: the window's back buffer is read before the swap (so the picture is the
// frame just rendered, whatever the compositor does with the front buffer) and written through
// FreeImage at the window's size.
#pragma once

#include <string>

// Reads width x height pixels of the default framebuffer's back buffer and writes them as PNG.
// Leaves GL_READ_FRAMEBUFFER bound to 0. False when the file could not be written.
bool captureBackBuffer(const std::string& path, int width, int height);
