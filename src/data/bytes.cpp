#include "bytes.h"

namespace gx {

static unsigned char Upper(unsigned char c) { return (c >= 'a' && c <= 'z') ? c - 'a' + 'A' : c; }

std::string ReadText(TByteView bytes, std::size_t offset, std::size_t width) {
  const TByteView field = bytes.Field(offset, width > 0 ? width - 1 : 0);
  std::string text;
  for (std::size_t n = 0; n < field.Size() && field.At(n) != 0; ++n) text += static_cast<char>(field.At(n));
  return text;
}

bool SameTextIgnoringCase(TByteView bytes, std::size_t offset, std::size_t width, const char* expected) {
  const TByteView field = bytes.Field(offset, width);
  for (std::size_t i = 0;; ++i) {
    const unsigned char want = static_cast<unsigned char>(expected[i]);
    const unsigned char have = field.At(i);
    if (Upper(have) != Upper(want)) return false;
    if (want == 0) return true;
  }
}

}  // namespace gx
