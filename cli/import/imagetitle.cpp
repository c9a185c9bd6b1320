#include "imagetitle.h"

#include <QImageReader>
#include <QString>
#include <cstdio>
#include <cstring>
#include <memory>

namespace {

constexpr std::uint16_t kTagImageDescription = 0x010E;
constexpr std::uint16_t kTagXpTitle = 0x9C9B;
// Cameras fill the description with their own name ("KONICA MINOLTA DIGITAL CAMERA", "OLYMPUS
// DIGITAL CAMERA", "SONY DSC"); such a text is no title.
bool IsCameraBoilerplate(const std::string& text) {
  const QString t = QString::fromStdString(text).simplified().toUpper();
  return t.isEmpty() || t.contains("DIGITAL CAMERA") || t.endsWith(" DSC") || t == "DSC" || t.startsWith("DCIM") ||
         t == "DEFAULT" || t == "SCREENSHOT";
}


// Reads the TIFF structure inside an EXIF block, every read checked against its end.
class TTiffReader {
 public:
  TTiffReader(const std::uint8_t* data, std::size_t size) : Data(data), Size(size) {}

  bool U16(std::size_t at, std::uint16_t& v) const {
    if (at > Size || Size - at < 2) return false;
    v = Little ? std::uint16_t(Data[at] | Data[at + 1] << 8) : std::uint16_t(Data[at] << 8 | Data[at + 1]);
    return true;
  }
  bool U32(std::size_t at, std::uint32_t& v) const {
    if (at > Size || Size - at < 4) return false;
    v = Little ? std::uint32_t(Data[at]) | std::uint32_t(Data[at + 1]) << 8 | std::uint32_t(Data[at + 2]) << 16 |
                     std::uint32_t(Data[at + 3]) << 24
               : std::uint32_t(Data[at]) << 24 | std::uint32_t(Data[at + 1]) << 16 | std::uint32_t(Data[at + 2]) << 8 |
                     std::uint32_t(Data[at + 3]);
    return true;
  }

  std::string Title() {
    if (Size < 8) return std::string();
    if (Data[0] == 'I' && Data[1] == 'I') Little = true;
    else if (Data[0] == 'M' && Data[1] == 'M') Little = false;
    else return std::string();
    std::uint32_t ifd = 0;
    std::uint16_t count = 0;
    if (!U32(4, ifd) || !U16(ifd, count)) return std::string();
    std::string description, title;
    for (std::uint32_t i = 0; i < count; ++i) {
      const std::size_t entry = std::size_t(ifd) + 2 + std::size_t(i) * 12;
      std::uint16_t tag = 0, type = 0;
      std::uint32_t n = 0, offset = 0;
      if (!U16(entry, tag) || !U16(entry + 2, type) || !U32(entry + 4, n)) break;
      // Both tags hold bytes (ASCII 2, BYTE 1): inline when they fit in 4, elsewhere otherwise.
      if ((tag != kTagImageDescription && tag != kTagXpTitle) || (type != 1 && type != 2) || n == 0) continue;
      std::size_t at = entry + 8;
      if (n > 4) {
        if (!U32(entry + 8, offset)) break;
        at = offset;
      }
      if (at > Size || Size - at < n) continue;
      const char* bytes = reinterpret_cast<const char*>(Data + at);
      if (tag == kTagXpTitle) {
        QString text;
        for (std::uint32_t k = 0; k + 1 < n; k += 2) {
          const char16_t c = char16_t(std::uint8_t(bytes[k]) | std::uint8_t(bytes[k + 1]) << 8);
          if (c == 0) break;
          text += QChar(c);
        }
        title = text.simplified().toStdString();
      } else {
        const std::size_t length = strnlen(bytes, n);
        QString text = QString::fromUtf8(bytes, int(length));
        if (text.contains(QChar::ReplacementCharacter)) text = QString::fromLatin1(bytes, int(length));
        description = text.simplified().toStdString();
      }
    }
    if (!title.empty()) return title;
    return IsCameraBoilerplate(description) ? std::string() : description;
  }

 private:
  const std::uint8_t* Data;
  std::size_t Size;
  bool Little = true;
};

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};

// The EXIF block of a JPEG file (APP1 "Exif"), or nothing.
std::vector<std::uint8_t> JpegExif(const std::string& path) {
  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
  std::vector<std::uint8_t> block;
  if (!file || std::fgetc(file.get()) != 0xFF || std::fgetc(file.get()) != 0xD8) return block;
  for (int segments = 0; segments < 64; ++segments) {
    int marker = std::fgetc(file.get());
    while (marker == 0xFF) marker = std::fgetc(file.get());
    if (marker == EOF || marker == 0xDA || marker == 0xD9) break;  // the picture's data begins
    const int hi = std::fgetc(file.get()), lo = std::fgetc(file.get());
    if (hi == EOF || lo == EOF) break;
    const std::size_t length = std::size_t(hi << 8 | lo);
    if (length < 2) break;
    if (marker == 0xE1 && length > 8) {
      block.resize(length - 2);
      if (std::fread(block.data(), 1, block.size(), file.get()) != block.size()) block.clear();
      if (block.size() >= 6 && std::memcmp(block.data(), "Exif\0\0", 6) == 0) return block;
      block.clear();
      continue;
    }
    if (std::fseek(file.get(), long(length - 2), SEEK_CUR) != 0) break;
  }
  return block;
}

}  // namespace

std::string ExifTitle(const std::uint8_t* data, std::size_t size) {
  if (size < 6 || std::memcmp(data, "Exif\0\0", 6) != 0) return std::string();
  return TTiffReader(data + 6, size - 6).Title();
}

std::string PictureTitle(const std::string& path) {
  const std::vector<std::uint8_t> exif = JpegExif(path);
  if (!exif.empty()) {
    const std::string title = ExifTitle(exif.data(), exif.size());
    if (!title.empty()) return title;
  }
  QImageReader reader(QString::fromStdString(path));
  // Only a title proper: JPEG comments and descriptions are often the writing program's name.
  return reader.text("Title").simplified().toStdString();
}
