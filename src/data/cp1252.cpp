#include "cp1252.h"

#include <cstdint>

namespace {

// The code points of bytes 0x80 to 0x9F; 0 marks the five positions without a character.
constexpr char32_t kHighControls[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (c >> 6)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (c >> 12)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (c >> 18)));
    out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

// The next code point of valid UTF-8 at position i (advanced past it); false on a broken, overlong
// or surrogate sequence.
bool NextCodePoint(const std::string& text, std::size_t& i, char32_t& c) {
  const auto byte = [&](std::size_t k) { return static_cast<std::uint8_t>(text[k]); };
  const std::uint8_t lead = byte(i);
  int extra = 0;
  char32_t minimum = 0;
  if (lead < 0x80) {
    c = lead;
    ++i;
    return true;
  } else if ((lead & 0xE0) == 0xC0) {
    extra = 1, c = lead & 0x1F, minimum = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    extra = 2, c = lead & 0x0F, minimum = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    extra = 3, c = lead & 0x07, minimum = 0x10000;
  } else {
    return false;
  }
  if (text.size() - i <= static_cast<std::size_t>(extra)) return false;
  for (int k = 1; k <= extra; ++k) {
    const std::uint8_t next = byte(i + k);
    if ((next & 0xC0) != 0x80) return false;
    c = (c << 6) | (next & 0x3F);
  }
  if (c < minimum || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return false;
  i += static_cast<std::size_t>(extra) + 1;
  return true;
}

bool EncodeOne(char32_t c, char& out) {
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

}  // namespace

bool Utf8ToCp1252(const std::string& utf8, std::string& bytes) {
  std::string result;
  result.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size();) {
    char32_t c = 0;
    char encoded = 0;
    if (!NextCodePoint(utf8, i, c) || !EncodeOne(c, encoded)) return false;
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
    if (!NextCodePoint(bytes, i, c)) return false;
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
    if (!NextCodePoint(utf8, i, c)) return false;
  }
  bytes = utf8;
  return true;
}
