// Images: procedural material images (tileable colour and height maps, stained glass with
// alpha) and the animated flame, written through FreeImage. All noise is hashed from fixed
// seeds, so every run writes the same pixels.
#pragma once

#include <string>

// Writes every material image of the cathedral, its windows and the chandelier into `dir`.
bool writeMaterialImages(const std::string& dir);

// Writes the looping flame animation (multi-page GIF, transparent background) to `path`.
bool writeFlameAnimation(const std::string& path, int pages);
