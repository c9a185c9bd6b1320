#include "rtfpicture.h"

#include <QBuffer>
#include <QImageReader>
#include <QPainter>

#include <cstdint>

namespace {
std::uint32_t Le32(const QByteArray& bytes, int offset) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData()) + offset;
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}
std::uint16_t Le16(const QByteArray& bytes, int offset) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData()) + offset;
  return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}
void PutLe32(QByteArray& bytes, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes.append(static_cast<char>((value >> (8 * i)) & 0xFF));
}
}  // namespace

QByteArray RtfBmpFromDib(const QByteArray& dib) {
  constexpr int FileHeaderSize = 14;
  if (dib.size() < 40) return QByteArray();
  const std::uint32_t headerSize = Le32(dib, 0);
  if (headerSize < 40 || headerSize > 124 || headerSize > static_cast<std::uint32_t>(dib.size())) return QByteArray();
  const std::uint16_t bitCount = Le16(dib, 14);
  const std::uint32_t compression = Le32(dib, 16);
  const std::uint32_t colorsUsed = Le32(dib, 32);
  if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 16 && bitCount != 24 && bitCount != 32)
    return QByteArray();
  if (colorsUsed > 256) return QByteArray();
  // The colour table follows the header: the colours in use, or all of them up to 8 bits; a
  // 40-byte header with bit-field compression keeps its three masks there too.
  std::uint32_t tableSize = 4 * (colorsUsed != 0 ? colorsUsed : (bitCount <= 8 ? 1u << bitCount : 0u));
  if (headerSize == 40 && compression == 3) tableSize += 12;
  const std::uint64_t pixelsOffset = static_cast<std::uint64_t>(FileHeaderSize) + headerSize + tableSize;
  if (pixelsOffset > static_cast<std::uint64_t>(dib.size()) + FileHeaderSize) return QByteArray();

  QByteArray file;
  file.reserve(FileHeaderSize + dib.size());
  file.append("BM", 2);
  PutLe32(file, static_cast<std::uint32_t>(FileHeaderSize + dib.size()));
  PutLe32(file, 0);
  PutLe32(file, static_cast<std::uint32_t>(pixelsOffset));
  file.append(dib);
  return file;
}

QImage RtfDecodePicture(TRtfPictureFormat format, const QByteArray& data, long long maxPixels) {
  QByteArray bytes;
  const char* decoder = nullptr;
  switch (format) {
    case TRtfPictureFormat::Png: decoder = "png"; bytes = data; break;
    case TRtfPictureFormat::Jpeg: decoder = "jpeg"; bytes = data; break;
    case TRtfPictureFormat::Dib: decoder = "bmp"; bytes = RtfBmpFromDib(data); break;
    case TRtfPictureFormat::Metafile:
    case TRtfPictureFormat::Unknown: return QImage();
  }
  if (bytes.isEmpty()) return QImage();
  QBuffer buffer(&bytes);
  if (!buffer.open(QIODevice::ReadOnly)) return QImage();
  QImageReader reader(&buffer, decoder);
  reader.setAutoDetectImageFormat(false);  // only the decoder the picture names
  const QSize size = reader.size();
  if (!size.isValid() || size.isEmpty()) return QImage();
  if (static_cast<long long>(size.width()) * size.height() > maxPixels) return QImage();
  return reader.read();
}

QImage RtfEmptyBox(QSize size) {
  QImage box(size, QImage::Format_RGB32);
  if (box.isNull()) return box;
  box.fill(QColor(0xF4, 0xF4, 0xF4));
  QPainter painter(&box);
  painter.setPen(QColor(0xA0, 0xA0, 0xA0));
  painter.drawRect(0, 0, size.width() - 1, size.height() - 1);
  return box;
}
