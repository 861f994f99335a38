// Writes 24-bit RGB pictures as PNG files, for looking at what a test drew.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Rgb holds Height rows of Width pixels, top row first, 3 bytes (R, G, B) a pixel.
bool WritePng(const std::string& FileName, int Width, int Height, const std::vector<uint8_t>& Rgb);
