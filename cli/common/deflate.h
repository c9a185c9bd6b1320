// Compression for writing data files: the program only inflates, the tool deflates.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// One complete zlib stream (header, deflate data, Adler-32) holding bytes. Empty on failure,
// with the reason in error.
std::vector<std::uint8_t> DeflateBytes(const std::uint8_t* bytes, std::size_t length, std::string& error);
inline std::vector<std::uint8_t> DeflateBytes(const std::vector<std::uint8_t>& bytes, std::string& error) {
  return DeflateBytes(bytes.data(), bytes.size(), error);
}
