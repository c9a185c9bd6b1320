// A note file from untrusted bytes, under any of the names a curator gives notes: the sniffing and
// the text decoders must never read outside the bytes, and whatever they take must be RTF.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "import/noteimport.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // Documents would go to pandoc; without it on PATH they stop at the message that names it.
  setenv("PATH", "/nonexistent", 1);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  static const char* const kNames[] = {"note.txt", "note.rtf", "note.md", "note.html"};
  const std::vector<std::uint8_t> bytes(data + 1, data + size);
  std::vector<std::uint8_t> rtf;
  std::string error, notice;
  if (NoteBytesToRtf(bytes, kNames[data[0] % 4], rtf, error, &notice)) {
    static const char kStart[] = "{\\rtf";
    if (rtf.size() < 5 || std::string(rtf.begin(), rtf.begin() + 5) != kStart) std::abort();
  } else if (error.empty()) {
    std::abort();
  }
  return 0;
}
