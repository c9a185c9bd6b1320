#include "cp1252.h"

#include <cstdint>

#include "utf8.h"

namespace {

// The code points of bytes 0x80 to 0x9F; 0 marks the five positions without a character.
constexpr char32_t kHighControls[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

}  // namespace

bool EncodeCp1252(char32_t c, char& out) {
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
    out = static_cast<char>(c);
    return true;
  }
  for (int k = 0; k < 32; ++k) {
    if (kHighControls[k] != 0 && kHighControls[k] == c) {
      out = static_cast<char>(0x80 + k);
      return true;
    }
  }
  return false;
}

bool Utf8ToCp1252(const std::string& utf8, std::string& bytes) {
  std::string result;
  result.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size();) {
    char32_t c = 0;
    char encoded = 0;
    if (!NextUtf8(utf8, i, c) || !EncodeCp1252(c, encoded)) return false;
    result.push_back(encoded);
  }
  bytes = std::move(result);
  return true;
}

std::string Cp1252ToUtf8(const std::string& bytes) {
  std::string out;
  out.reserve(bytes.size() + bytes.size() / 4);
  for (const char ch : bytes) {
    const auto b = static_cast<std::uint8_t>(ch);
    char32_t c = b;
    if (b >= 0x80 && b <= 0x9F && kHighControls[b - 0x80] != 0) c = kHighControls[b - 0x80];
    AppendUtf8(out, c);
  }
  return out;
}

bool LooksLikeUtf8(const std::string& bytes) {
  bool wide = false;
  for (std::size_t i = 0; i < bytes.size();) {
    const std::size_t start = i;
    char32_t c = 0;
    if (!NextUtf8(bytes, i, c)) return false;
    wide = wide || i - start > 1;
  }
  return wide;
}

std::string DecodeName(const std::string& bytes) { return LooksLikeUtf8(bytes) ? bytes : Cp1252ToUtf8(bytes); }

bool EncodeName(const std::string& utf8, std::string& bytes) {
  std::string narrow;
  // A Windows-1252 name whose bytes happen to be UTF-8 ("Ã©" is C3 A9) would read back as another
  // name ("é"), so it is kept as UTF-8 too.
  if (Utf8ToCp1252(utf8, narrow) && !LooksLikeUtf8(narrow)) {
    bytes = std::move(narrow);
    return true;
  }
  std::size_t i = 0;
  char32_t c = 0;
  while (i < utf8.size()) {
    if (!NextUtf8(utf8, i, c)) return false;
  }
  bytes = utf8;
  return true;
}
