// Little-endian field access and fixed-width text fields, always bounded by the bytes that exist.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

namespace gx {

inline std::int32_t ReadI32(const std::uint8_t* p) {
  const std::uint32_t v = std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) |
                          (std::uint32_t(p[3]) << 24);
  return static_cast<std::int32_t>(v);
}

inline void WriteI32(std::uint8_t* p, std::int32_t value) {
  const auto v = static_cast<std::uint32_t>(value);
  p[0] = std::uint8_t(v);
  p[1] = std::uint8_t(v >> 8);
  p[2] = std::uint8_t(v >> 16);
  p[3] = std::uint8_t(v >> 24);
}

inline double ReadF64(const std::uint8_t* p) {
  std::uint64_t v = 0;
  for (int i = 7; i >= 0; --i) v = (v << 8) | p[i];
  double d;
  std::memcpy(&d, &v, sizeof d);
  return d;
}

inline void WriteF64(std::uint8_t* p, double value) {
  std::uint64_t v;
  std::memcpy(&v, &value, sizeof v);
  for (int i = 0; i < 8; ++i) p[i] = std::uint8_t(v >> (8 * i));
}

// A text field of `width` bytes holds at most width - 1 characters before its terminator.
// A field without a terminator yields its first width - 1 bytes.
inline std::string ReadText(const std::uint8_t* p, std::size_t width) {
  const std::size_t limit = width > 0 ? width - 1 : 0;
  std::size_t n = 0;
  while (n < limit && p[n] != 0) ++n;
  return std::string(reinterpret_cast<const char*>(p), n);
}

// Writes text into a zero-filled field, cut to width - 1 characters.
inline void WriteText(std::uint8_t* p, std::size_t width, const std::string& text) {
  std::memset(p, 0, width);
  const std::size_t n = text.size() < width ? text.size() : width - 1;
  std::memcpy(p, text.data(), n);
}

// Case-insensitive comparison of a 0-terminated text at p (at most `available` bytes) with `expected`.
// The texts must agree up to and including the terminator of `expected`.
bool SameTextIgnoringCase(const std::uint8_t* p, std::size_t available, const char* expected);

}  // namespace gx
