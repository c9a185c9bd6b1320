// A zlib stream from untrusted bytes, through both entry points with a small output cap; they
// must agree, and the buffer form must never pass its cap.
#include <cstdint>
#include <cstdlib>
#include <limits>

#include "data/tzlib.h"

namespace {
constexpr std::size_t kCap = std::size_t(1) << 20;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > std::size_t(std::numeric_limits<std::int32_t>::max())) return 0;
  std::int32_t length = static_cast<std::int32_t>(size);
  int result = 0;
  const std::vector<std::uint8_t> plain = InflateBuffer(data, length, kCap, &result);
  if (length < 0 || std::size_t(length) != plain.size() || plain.size() > kCap) std::abort();

  TMemoryStream source(std::vector<std::uint8_t>(data, data + size));
  TMemoryStream destination;
  const int streamResult = InflateStream(source, destination, kCap);
  if (streamResult != result) std::abort();
  if (result == kInflateOk && destination.Buffer() != plain) std::abort();
  if (result == kInflateOk && destination.GetPosition() != 0) std::abort();
  return 0;
}
