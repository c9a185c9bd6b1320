// Little-endian field access and fixed-width text fields, always bounded by the bytes that exist.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace gx {

// The bytes that exist at one place: every read names its offset in the view and is checked
// against the view's end. Bytes past the end read as zero, so a number there reads as 0 and a text
// ends where the bytes do.
class TByteView {
 public:
  TByteView() = default;
  TByteView(const std::uint8_t* data, std::size_t size) : Data(data), Length(data != nullptr ? size : 0) {}
  TByteView(const std::vector<std::uint8_t>& bytes) : TByteView(bytes.data(), bytes.size()) {}
  template <std::size_t N>
  TByteView(const std::array<std::uint8_t, N>& bytes) : TByteView(bytes.data(), N) {}

  std::size_t Size() const { return Length; }
  // Whether count bytes from offset all exist.
  bool Holds(std::size_t offset, std::size_t count) const { return offset <= Length && count <= Length - offset; }
  // The byte at offset, or 0 past the end.
  std::uint8_t At(std::size_t offset) const { return offset < Length ? Data[offset] : 0; }
  // The bytes of [offset, offset + count) that exist.
  TByteView Field(std::size_t offset, std::size_t count) const {
    if (offset >= Length) return TByteView();
    return TByteView(Data + offset, count < Length - offset ? count : Length - offset);
  }
  // Copies count bytes from offset, zero where they do not exist.
  void CopyTo(std::size_t offset, std::uint8_t* destination, std::size_t count) const {
    const TByteView field = Field(offset, count);
    if (field.Length > 0) std::memcpy(destination, field.Data, field.Length);
    std::memset(destination + field.Length, 0, count - field.Length);
  }

 private:
  const std::uint8_t* Data = nullptr;
  std::size_t Length = 0;
};

inline std::int32_t ReadI32(TByteView bytes, std::size_t offset) {
  if (!bytes.Holds(offset, 4)) return 0;
  std::uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | bytes.At(offset + std::size_t(i));
  return static_cast<std::int32_t>(v);
}

inline double ReadF64(TByteView bytes, std::size_t offset) {
  if (!bytes.Holds(offset, 8)) return 0;
  std::uint64_t v = 0;
  for (int i = 7; i >= 0; --i) v = (v << 8) | bytes.At(offset + std::size_t(i));
  double d;
  std::memcpy(&d, &v, sizeof d);
  return d;
}

// A text field of `width` bytes at offset holds at most width - 1 characters before its terminator.
// A field without a terminator yields its first width - 1 bytes; the text also ends where the
// bytes do.
std::string ReadText(TByteView bytes, std::size_t offset, std::size_t width);

// Case-insensitive comparison of the 0-terminated text in the field of `width` bytes at offset with
// `expected`. The texts must agree up to and including the terminator of `expected`.
bool SameTextIgnoringCase(TByteView bytes, std::size_t offset, std::size_t width, const char* expected);

inline void WriteI32(std::uint8_t* p, std::int32_t value) {
  const auto v = static_cast<std::uint32_t>(value);
  p[0] = std::uint8_t(v);
  p[1] = std::uint8_t(v >> 8);
  p[2] = std::uint8_t(v >> 16);
  p[3] = std::uint8_t(v >> 24);
}

inline void WriteF64(std::uint8_t* p, double value) {
  std::uint64_t v;
  std::memcpy(&v, &value, sizeof v);
  for (int i = 0; i < 8; ++i) p[i] = std::uint8_t(v >> (8 * i));
}

// Writes text into a zero-filled field, cut to width - 1 characters.
inline void WriteText(std::uint8_t* p, std::size_t width, const std::string& text) {
  std::memset(p, 0, width);
  const std::size_t n = text.size() < width ? text.size() : width - 1;
  std::memcpy(p, text.data(), n);
}

}  // namespace gx
