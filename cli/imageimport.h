// Texture images as a texture node takes them: rows bottom first, 3 or 4 bytes per pixel.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

constexpr int kMaxTextureSide = 32767;

struct TTexturePixels {
  int Width = 0;
  int Height = 0;
  int Components = 0;  // 3 (RGB) or 4 (RGBA, when the image has alpha)
  std::vector<std::uint8_t> Bytes;
};

// Reads a PNG or JPEG (anything QImage reads); false with "path: reason" in error.
bool ImportTexture(const std::string& path, TTexturePixels& pixels, std::string& error);

// Writes stored pixel bytes (bottom row first, 1 to 4 components) as a PNG.
bool WriteTexturePng(const std::string& path, const TTexturePixels& pixels, std::string& error);
