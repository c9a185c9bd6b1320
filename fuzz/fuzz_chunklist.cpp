// A list blob from untrusted bytes: parse, describe, and check that whatever parsed and can be
// written again parses to the same description.
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <string>

#include "data/gxchunklist.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > std::size_t(std::numeric_limits<std::int32_t>::max())) return 0;
  TGXChunkList list;
  list.ReadFromBuffer(data, static_cast<std::int32_t>(size));
  std::string text;
  list.Dump(text);
  for (std::int32_t i = 0; i < list.GetCount(); ++i) {
    if (list.GetChunk(i) == nullptr) std::abort();
  }
  if (list.GetChunk(-1) != nullptr || list.GetChunk(list.GetCount()) != nullptr) std::abort();

  const std::vector<std::uint8_t> blob = list.WriteToBlob();
  if (!blob.empty()) {
    TGXChunkList again;
    again.ReadFromBuffer(blob.data(), static_cast<std::int32_t>(blob.size()));
    std::string textAgain;
    again.Dump(textAgain);
    if (text != textAgain || again.GetCount() != list.GetCount()) std::abort();
  }
  return 0;
}
