#include "imageimport.h"

#include <QImage>
#include <QImageReader>
#include <QString>
#include <algorithm>
#include <cstring>
#include <mutex>
#include <unistd.h>
#include <vector>

#include "common/fileio.h"

namespace {

std::string SizeText(int width, int height) { return std::to_string(width) + " x " + std::to_string(height); }

// The decoders (libjpeg, libpng, libtiff, libwebp through Qt's plugins) tell of damage as Qt
// warnings, or print it on standard error themselves, with no file name. While a picture is read
// both are caught; at any other time, or on another thread, Qt's messages go where they went before.
thread_local std::vector<std::string>* CaughtMessages = nullptr;
QtMessageHandler PreviousHandler = nullptr;

void CatchDecoderMessage(QtMsgType type, const QMessageLogContext& context, const QString& text) {
  if (CaughtMessages != nullptr && type != QtFatalMsg) {
    CaughtMessages->push_back(text.trimmed().toStdString());
    return;
  }
  if (PreviousHandler != nullptr) PreviousHandler(type, context, text);
}

// Remarks of a decoder about a sound picture: colour profiles that libpng finds unusual.
bool IsHarmless(const std::string& message) {
  return message.find("iCCP") != std::string::npos || message.find("sRGB") != std::string::npos ||
         message.find("cHRM") != std::string::npos || message.find("gAMA") != std::string::npos;
}

}  // namespace

TDecoderMessages::TDecoderMessages() {
  static std::once_flag installed;
  std::call_once(installed, [] { PreviousHandler = qInstallMessageHandler(CatchDecoderMessage); });
  CaughtMessages = &Messages;
  std::fflush(stderr);
  Sink = std::tmpfile();
  if (Sink != nullptr) SavedError = dup(2);
  if (SavedError >= 0 && dup2(fileno(Sink), 2) < 0) {
    close(SavedError);
    SavedError = -1;
  }
}

TDecoderMessages::~TDecoderMessages() { Stop(); }

void TDecoderMessages::Stop() {
  CaughtMessages = nullptr;
  if (Sink == nullptr) return;
  std::fflush(stderr);
  if (SavedError >= 0) {
    dup2(SavedError, 2);
    close(SavedError);
    SavedError = -1;
    std::rewind(Sink);
    char line[512];
    while (std::fgets(line, sizeof line, Sink) != nullptr) {
      std::string text(line);
      while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
      if (!text.empty()) Messages.push_back(text);
    }
  }
  std::fclose(Sink);
  Sink = nullptr;
}

std::string TDecoderMessages::Faults() {
  Stop();
  std::string faults;
  for (const std::string& message : Messages) {
    if (IsHarmless(message)) continue;
    // libjpeg says "Corrupt JPEG data: ..." once per fault; each different one is kept once.
    if (faults.find(message) != std::string::npos) continue;
    faults += (faults.empty() ? "" : "; ") + message;
  }
  return faults;
}

QImage ReadPicture(QImageReader& reader, std::string& faults) {
  TDecoderMessages messages;
  QImage image = reader.read();
  faults = messages.Faults();
  return image;
}

bool ImportTexture(const std::string& path, TTexturePixels& pixels, std::string& error) {
  return ImportTexture(path, TTextureOptions(), pixels, error, nullptr);
}

bool ImportTexture(const std::string& path, const TTextureOptions& options, TTexturePixels& pixels, std::string& error,
                   std::string* notice) {
  const QString name = QString::fromStdString(path);
  if (!FileExists(path)) {
    error = path + ": no such file";
    return false;
  }
  QImageReader reader(name);
  // Phone and camera pictures are stored as the sensor saw them, with the turn in their EXIF data.
  reader.setAutoTransform(true);
  // Look at the size first, so that an oversized image is refused before it is decoded.
  std::string faults;
  QSize announced;
  {
    TDecoderMessages messages;
    announced = reader.size();
    faults = messages.Faults();
  }
  if (announced.isValid() && (announced.width() > kMaxTextureSide || announced.height() > kMaxTextureSide)) {
    error = path + ": " + SizeText(announced.width(), announced.height()) + " pixels; a texture may be at most " +
            std::to_string(kMaxTextureSide) + " pixels a side";
    return false;
  }
  std::string more;
  QImage image = ReadPicture(reader, more);
  if (!more.empty()) faults += (faults.empty() ? "" : "; ") + more;
  if (image.isNull()) {
    error = path + (faults.empty() ? ": cannot read the image (" + reader.errorString().toStdString() + ")"
                                   : ": cannot read the picture, it is damaged (" + faults + ")");
    return false;
  }
  if (!faults.empty() && !options.KeepDamaged) {
    error = path + ": the picture is damaged (" + faults +
            "); replace it with a sound copy, or --force keeps what can be read of it";
    return false;
  }
  std::string damage;
  if (!faults.empty()) damage = path + ": the picture is damaged (" + faults + "); kept as far as it reads, as --force asks";
  if (image.width() > kMaxTextureSide || image.height() > kMaxTextureSide) {
    error = path + ": " + SizeText(image.width(), image.height()) + " pixels; a texture may be at most " +
            std::to_string(kMaxTextureSide) + " pixels a side";
    return false;
  }
  const int limit = std::max(1, std::min(options.MaxSide, kMaxTextureSide));
  if (image.width() > limit || image.height() > limit) {
    const QSize original = image.size();
    image = image.scaled(limit, limit, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    if (notice != nullptr) {
      *notice = path + ": " + SizeText(original.width(), original.height()) + " pixels, scaled down to " +
                SizeText(image.width(), image.height()) + " (--max-texture " + std::to_string(limit) + ")";
    }
  }
  if (notice != nullptr && !damage.empty()) {
    *notice = damage + (notice->empty() ? std::string() : "; " + notice->substr(path.size() + 2));
  }
  // Grey pictures keep one byte a pixel (two with alpha); colour ones three (four with alpha).
  const bool alpha = image.hasAlphaChannel();
  const bool grey = image.format() == QImage::Format_Grayscale8 || image.format() == QImage::Format_Grayscale16 ||
                    image.format() == QImage::Format_Mono || image.format() == QImage::Format_MonoLSB ||
                    (image.format() == QImage::Format_Indexed8 && image.isGrayscale());
  pixels.Width = image.width();
  pixels.Height = image.height();
  if (grey && !alpha) {
    image = image.convertToFormat(QImage::Format_Grayscale8);
    pixels.Components = 1;
  } else if (grey && alpha) {
    image = image.convertToFormat(QImage::Format_RGBA8888);
    pixels.Components = 2;
  } else {
    image = image.convertToFormat(alpha ? QImage::Format_RGBA8888 : QImage::Format_RGB888);
    pixels.Components = alpha ? 4 : 3;
  }
  if (image.isNull()) {
    error = path + ": out of memory for the image";
    return false;
  }
  const std::size_t rowBytes = std::size_t(pixels.Width) * std::size_t(pixels.Components);
  pixels.Bytes.resize(rowBytes * std::size_t(pixels.Height));
  // The texture's first row is the image's bottom row.
  for (int y = 0; y < pixels.Height; ++y) {
    std::uint8_t* out = pixels.Bytes.data() + std::size_t(y) * rowBytes;
    const std::uint8_t* in = image.constScanLine(pixels.Height - 1 - y);
    if (pixels.Components != 2) {
      std::memcpy(out, in, rowBytes);
      continue;
    }
    for (int x = 0; x < pixels.Width; ++x, in += 4) {  // luminance and alpha from grey RGBA
      *out++ = in[0];
      *out++ = in[3];
    }
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
