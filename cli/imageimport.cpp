#include "imageimport.h"

#include <QImage>
#include <QImageReader>
#include <cstring>

#include "fileio.h"

bool ImportTexture(const std::string& path, TTexturePixels& pixels, std::string& error) {
  const QString name = QString::fromStdString(path);
  if (!FileExists(path)) {
    error = path + ": no such file";
    return false;
  }
  QImageReader reader(name);
  // Look at the size first, so that an oversized image is refused before it is decoded.
  const QSize announced = reader.size();
  if (announced.isValid() && (announced.width() > kMaxTextureSide || announced.height() > kMaxTextureSide)) {
    error = path + ": " + std::to_string(announced.width()) + " x " + std::to_string(announced.height()) +
            " pixels; a texture may be at most " + std::to_string(kMaxTextureSide) + " pixels a side";
    return false;
  }
  QImage image = reader.read();
  if (image.isNull()) {
    error = path + ": cannot read the image (" + reader.errorString().toStdString() + ")";
    return false;
  }
  if (image.width() > kMaxTextureSide || image.height() > kMaxTextureSide) {
    error = path + ": " + std::to_string(image.width()) + " x " + std::to_string(image.height()) +
            " pixels; a texture may be at most " + std::to_string(kMaxTextureSide) + " pixels a side";
    return false;
  }
  const bool alpha = image.hasAlphaChannel();
  image = image.convertToFormat(alpha ? QImage::Format_RGBA8888 : QImage::Format_RGB888);
  pixels.Width = image.width();
  pixels.Height = image.height();
  pixels.Components = alpha ? 4 : 3;
  const std::size_t rowBytes = std::size_t(pixels.Width) * std::size_t(pixels.Components);
  pixels.Bytes.resize(rowBytes * std::size_t(pixels.Height));
  // The texture's first row is the image's bottom row.
  for (int y = 0; y < pixels.Height; ++y) {
    std::memcpy(pixels.Bytes.data() + std::size_t(y) * rowBytes, image.constScanLine(pixels.Height - 1 - y), rowBytes);
  }
  return true;
}

bool WriteTexturePng(const std::string& path, const TTexturePixels& pixels, std::string& error) {
  const int c = pixels.Components;
  if (pixels.Width <= 0 || pixels.Height <= 0 || c < 1 || c > 4 ||
      pixels.Bytes.size() != std::size_t(pixels.Width) * std::size_t(pixels.Height) * std::size_t(c)) {
    error = path + ": the stored image is not " + std::to_string(pixels.Width) + " x " +
            std::to_string(pixels.Height) + " x " + std::to_string(c) + " bytes";
    return false;
  }
  QImage image(pixels.Width, pixels.Height, c == 4 || c == 2 ? QImage::Format_RGBA8888 : QImage::Format_RGB888);
  if (image.isNull()) {
    error = path + ": out of memory for the image";
    return false;
  }
  const std::size_t rowBytes = std::size_t(pixels.Width) * std::size_t(c);
  for (int y = 0; y < pixels.Height; ++y) {
    const std::uint8_t* in = pixels.Bytes.data() + std::size_t(pixels.Height - 1 - y) * rowBytes;
    std::uint8_t* out = image.scanLine(y);
    for (int x = 0; x < pixels.Width; ++x, in += c) {
      // 1 = luminance, 2 = luminance and alpha, 3 = RGB, 4 = RGBA.
      const std::uint8_t r = in[0], g = c >= 3 ? in[1] : in[0], b = c >= 3 ? in[2] : in[0];
      const std::uint8_t a = c == 2 ? in[1] : (c == 4 ? in[3] : 255);
      *out++ = r;
      *out++ = g;
      *out++ = b;
      if (c == 4 || c == 2) *out++ = a;
    }
  }
  if (!image.save(QString::fromStdString(path), "PNG")) {
    error = path + ": cannot write the PNG";
    return false;
  }
  return true;
}
