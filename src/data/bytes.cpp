#include "bytes.h"

namespace gx {

static unsigned char Upper(unsigned char c) { return (c >= 'a' && c <= 'z') ? c - 'a' + 'A' : c; }

bool SameTextIgnoringCase(const std::uint8_t* p, std::size_t available, const char* expected) {
  std::size_t i = 0;
  for (;; ++i) {
    const unsigned char want = static_cast<unsigned char>(expected[i]);
    const unsigned char have = i < available ? p[i] : 0;
    if (Upper(have) != Upper(want)) return false;
    if (want == 0) return true;
  }
}

}  // namespace gx
