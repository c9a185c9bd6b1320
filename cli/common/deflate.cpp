#include "deflate.h"

#include <zlib.h>

std::vector<std::uint8_t> DeflateBytes(const std::uint8_t* bytes, std::size_t length, std::string& error) {
  static const std::uint8_t kNothing = 0;
  if (bytes == nullptr) bytes = &kNothing;
  const uLong sourceLength = static_cast<uLong>(length);
  if (std::size_t(sourceLength) != length) {
    error = "too many bytes to compress";
    return {};
  }
  std::vector<std::uint8_t> packed(compressBound(sourceLength));
  uLongf packedLength = static_cast<uLongf>(packed.size());
  const int result = compress2(packed.data(), &packedLength, bytes, sourceLength, Z_BEST_COMPRESSION);
  if (result != Z_OK) {
    error = result == Z_MEM_ERROR ? "out of memory while compressing" : "compression failed";
    return {};
  }
  packed.resize(packedLength);
  packed.shrink_to_fit();
  return packed;
}
