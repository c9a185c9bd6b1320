// Texture images as a texture node takes them: rows bottom first, 1 to 4 bytes per pixel.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

constexpr int kMaxTextureSide = 32767;
// Larger pictures cost a kiosk memory and gain nothing on its screen.
constexpr int kDefaultMaxTexture = 2048;

struct TTextureOptions {
  int MaxSide = kDefaultMaxTexture;  // longer sides are scaled down to this, keeping the aspect
  bool KeepDamaged = false;          // a picture its decoder finds damaged is kept as far as it reads
};

class QImage;
class QImageReader;

// While one lives, what picture decoders say is caught instead of shown: Qt's warnings, and the
// lines libpng and libtiff print on standard error themselves. Not to be nested.
class TDecoderMessages {
 public:
  TDecoderMessages();
  ~TDecoderMessages();
  TDecoderMessages(const TDecoderMessages&) = delete;
  TDecoderMessages& operator=(const TDecoderMessages&) = delete;
  // Stops catching; what was said, each fault once, joined by "; " (empty for a sound picture).
  // Harmless remarks (a PNG's colour profile) are no faults.
  std::string Faults();

 private:
  void Stop();
  std::vector<std::string> Messages;
  int SavedError = -1;
  std::FILE* Sink = nullptr;
};

// Reads the reader's picture with its decoder's messages caught (see above) into faults.
QImage ReadPicture(QImageReader& reader, std::string& faults);

struct TTexturePixels {
  int Width = 0;
  int Height = 0;
  int Components = 0;  // 1 grey, 2 grey and alpha, 3 RGB, 4 RGBA
  std::vector<std::uint8_t> Bytes;
};

// Reads any picture Qt's image plugins read (PNG, JPEG, TIFF, WebP, BMP, GIF ...), turned as its
// EXIF orientation says, and scaled down smoothly when a side is over options.MaxSide (notice then
// says so). A picture its decoder finds damaged (cut short, a bad checksum) is refused naming the
// fault, unless options.KeepDamaged (notice then names it). False with "path: reason" in error.
bool ImportTexture(const std::string& path, const TTextureOptions& options, TTexturePixels& pixels, std::string& error,
                   std::string* notice = nullptr);
// The same with the default options.
bool ImportTexture(const std::string& path, TTexturePixels& pixels, std::string& error);

// Writes stored pixel bytes (bottom row first, 1 to 4 components) as a PNG.
bool WriteTexturePng(const std::string& path, const TTexturePixels& pixels, std::string& error);
