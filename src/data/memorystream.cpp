#include "memorystream.h"

#include <algorithm>
#include <cstring>

std::size_t TMemoryStream::Write(const void* data, std::size_t count) {
  if (count == 0) return 0;
  if (Position + count > Bytes.size()) Bytes.resize(Position + count);
  std::memcpy(Bytes.data() + Position, data, count);
  Position += count;
  return count;
}

std::size_t TMemoryStream::Read(void* data, std::size_t count) {
  if (Position >= Bytes.size()) return 0;
  const std::size_t n = std::min(count, Bytes.size() - Position);
  std::memcpy(data, Bytes.data() + Position, n);
  Position += n;
  return n;
}

std::vector<std::uint8_t> TMemoryStream::TakeBuffer() {
  Position = 0;
  return std::move(Bytes);
}
