// UTF-8 as the program and the tool read it: strictly (no overlong forms, no surrogates, nothing
// beyond U+10FFFF), one code point at a time.
#pragma once

#include <cstddef>
#include <string>

// The code point that starts at bytes[at], with at moved past it; false, at unchanged, when the
// bytes there are no valid UTF-8 (cut short by the end included).
bool NextUtf8(const char* bytes, std::size_t size, std::size_t& at, char32_t& c);
inline bool NextUtf8(const std::string& text, std::size_t& at, char32_t& c) {
  return NextUtf8(text.data(), text.size(), at, c);
}

// Appends a code point as UTF-8.
void AppendUtf8(std::string& out, char32_t c);
