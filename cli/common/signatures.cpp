#include "signatures.h"

#include <cstring>

namespace {

// Bytes at a place in the file; a signature may need two of them (RIFF's form after "RIFF").
struct TMark {
  std::size_t At;
  std::size_t Length;
  const char* Bytes;
};

struct TSignature {
  TMark First, Second;  // Second.Bytes null when one mark is enough
  TFileKind Kind;
};

#define MARK(at, bytes) TMark{at, sizeof(bytes) - 1, bytes}
#define NONE TMark{0, 0, nullptr}
const char kSaveAs[] = "save the text as DOCX, ODT or RTF";
const TSignature kSignatures[] = {
    {MARK(0, "\x89PNG\r\n\x1A\n"), NONE, {"a PNG picture", nullptr, nullptr}},
    {MARK(0, "\xFF\xD8\xFF"), NONE, {"a JPEG picture", nullptr, nullptr}},
    {MARK(0, "GIF8"), NONE, {"a GIF picture", nullptr, nullptr}},
    {MARK(0, "II*\0"), NONE, {"a TIFF picture", nullptr, nullptr}},
    {MARK(0, "MM\0*"), NONE, {"a TIFF picture", nullptr, nullptr}},
    // "BM" alone starts words too; a bitmap's reserved header bytes are zero.
    {MARK(0, "BM"), MARK(6, "\0\0\0\0"), {"a BMP picture", nullptr, nullptr}},
    {MARK(0, "RIFF"), MARK(8, "WEBP"), {"a WebP picture", nullptr, nullptr}},
    {MARK(0, "RIFF"), MARK(8, "WAVE"), {"a WAV sound", nullptr, nullptr}},
    {MARK(0, "RIFF"), MARK(8, "AVI "), {"an AVI movie", "AVI", nullptr}},
    {MARK(0, "OggS"), NONE, {"an Ogg sound or movie", nullptr, nullptr}},
    {MARK(0, "fLaC"), NONE, {"a FLAC sound", nullptr, nullptr}},
    {MARK(0, "ID3"), NONE, {"an MP3 sound", nullptr, nullptr}},
    {MARK(4, "ftyp"), NONE, {"an MP4 or QuickTime movie", "MP4", nullptr}},
    {MARK(4, "moov"), NONE, {"an MP4 or QuickTime movie", "MP4", nullptr}},
    {MARK(4, "mdat"), NONE, {"an MP4 or QuickTime movie", "MP4", nullptr}},
    {MARK(0, "\x1A\x45\xDF\xA3"), NONE, {"a Matroska or WebM movie", "Matroska/WebM", nullptr}},
    {MARK(0, "\x30\x26\xB2\x75\x8E\x66\xCF\x11"), NONE, {"a Windows Media (ASF) movie", "ASF", nullptr}},
    {MARK(0, "\0\0\1\xBA"), NONE, {"an MPEG movie", "MPEG", nullptr}},
    {MARK(0, "\0\0\1\xB3"), NONE, {"an MPEG movie", "MPEG", nullptr}},
    {MARK(0, "%PDF"), NONE, {"a PDF document", nullptr, kSaveAs}},
    {MARK(0, "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1"), NONE,
     {"an old Microsoft Office (.doc) file", nullptr, "save it as DOCX, ODT or RTF"}},
    {MARK(0, "PK\x03\x04"), NONE, {"a ZIP archive (an ODT or DOCX document is one)", nullptr, nullptr}},
    {MARK(0, "\x1F\x8B"), NONE, {"a gzip archive", nullptr, nullptr}},
    {MARK(0, "7z\xBC\xAF"), NONE, {"a 7-Zip archive", nullptr, nullptr}},
    {MARK(0, "Rar!"), NONE, {"a RAR archive", nullptr, nullptr}},
    {MARK(0, "\x7F" "ELF"), NONE, {"a program", nullptr, nullptr}},
    {MARK(0, "#Inventor"), NONE, {"a 3D model", nullptr, nullptr}},
    {MARK(0, "#VRML"), NONE, {"a 3D model", nullptr, nullptr}},
    // A transport stream has no header, only a sync byte every 188 bytes.
    {MARK(0, "\x47"), MARK(188, "\x47"), {"an MPEG transport stream", "MPEG transport stream", nullptr}},
};
#undef NONE
#undef MARK

bool Holds(const std::vector<std::uint8_t>& bytes, const TMark& mark) {
  return mark.Bytes == nullptr || BytesAt(bytes, mark.At, mark.Bytes, mark.Length);
}

}  // namespace

bool BytesAt(const std::vector<std::uint8_t>& bytes, std::size_t at, const char* text, std::size_t length) {
  return bytes.size() >= at + length && std::memcmp(bytes.data() + at, text, length) == 0;
}

const TFileKind* KindOfBytes(const std::vector<std::uint8_t>& bytes) {
  for (const TSignature& signature : kSignatures) {
    if (Holds(bytes, signature.First) && Holds(bytes, signature.Second)) return &signature.Kind;
  }
  return nullptr;
}

std::string MovieContainer(const std::vector<std::uint8_t>& bytes) {
  const TFileKind* kind = KindOfBytes(bytes);
  return kind != nullptr && kind->Container != nullptr ? kind->Container : std::string();
}

bool HasSceneHeader(const std::string& text) {
  return text.compare(0, 10, "#Inventor ") == 0 || text.compare(0, 6, "#VRML ") == 0;
}
