// A seekable, growable in-memory byte stream with one position for reading and writing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class TMemoryStream {
 public:
  TMemoryStream() = default;
  explicit TMemoryStream(std::vector<std::uint8_t> bytes) : Bytes(std::move(bytes)) {}

  // Writes count bytes at the position, growing the stream; answers the count written.
  std::size_t Write(const void* data, std::size_t count);
  // Reads up to count bytes from the position; answers the count read.
  std::size_t Read(void* data, std::size_t count);

  void SetPosition(std::size_t position) { Position = position; }
  std::size_t GetPosition() const { return Position; }
  std::size_t GetSize() const { return Bytes.size(); }
  void Reserve(std::size_t count) { Bytes.reserve(count); }

  const std::uint8_t* Data() const { return Bytes.data(); }
  const std::vector<std::uint8_t>& Buffer() const { return Bytes; }
  std::vector<std::uint8_t> TakeBuffer();

 private:
  std::vector<std::uint8_t> Bytes;
  std::size_t Position = 0;
};
