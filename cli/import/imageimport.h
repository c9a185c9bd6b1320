// Texture images as a texture node takes them: rows bottom first, 1 to 4 bytes per pixel.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

constexpr int kMaxTextureSide = 32767;
// Larger pictures cost a kiosk memory and gain nothing on its screen.
constexpr int kDefaultMaxTexture = 2048;

struct TTextureOptions {
  int MaxSide = kDefaultMaxTexture;  // longer sides are scaled down to this, keeping the aspect
};

struct TTexturePixels {
  int Width = 0;
  int Height = 0;
  int Components = 0;  // 1 grey, 2 grey and alpha, 3 RGB, 4 RGBA
  std::vector<std::uint8_t> Bytes;
};

// Reads any picture Qt's image plugins read (PNG, JPEG, TIFF, WebP, BMP, GIF ...), turned as its
// EXIF orientation says, and scaled down smoothly when a side is over options.MaxSide (notice then
// says so). False with "path: reason" in error.
bool ImportTexture(const std::string& path, const TTextureOptions& options, TTexturePixels& pixels, std::string& error,
                   std::string* notice = nullptr);
// The same with the default options.
bool ImportTexture(const std::string& path, TTexturePixels& pixels, std::string& error);

// Writes stored pixel bytes (bottom row first, 1 to 4 components) as a PNG.
bool WriteTexturePng(const std::string& path, const TTexturePixels& pixels, std::string& error);
