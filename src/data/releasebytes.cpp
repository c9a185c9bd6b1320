#include "releasebytes.h"

#include <sys/mman.h>
#include <unistd.h>

void ReleaseBytes(std::vector<std::uint8_t>& bytes) {
  static const std::uintptr_t page = std::uintptr_t(::sysconf(_SC_PAGESIZE));
  // Only whole pages strictly inside the buffer: the allocator's own bookkeeping lies outside it.
  const std::uintptr_t begin = (reinterpret_cast<std::uintptr_t>(bytes.data()) + page - 1) & ~(page - 1);
  const std::uintptr_t end = (reinterpret_cast<std::uintptr_t>(bytes.data()) + bytes.capacity()) & ~(page - 1);
  if (bytes.data() != nullptr && end > begin) ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_DONTNEED);
  std::vector<std::uint8_t>().swap(bytes);
}
