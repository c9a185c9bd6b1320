// libFuzzer target for the EXIF title reader: any bytes after the "Exif\0\0" header.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "import/imagetitle.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<std::uint8_t> block(6 + size);
  std::memcpy(block.data(), "Exif\0\0", 6);
  if (size != 0) std::memcpy(block.data() + 6, data, size);
  const std::string title = ExifTitle(block.data(), block.size());
  return title.size() > block.size() ? 1 : 0;  // a title is never longer than the block it came from
}
