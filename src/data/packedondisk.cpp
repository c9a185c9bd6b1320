#include "packedondisk.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <unistd.h>

namespace {
// Small enough to stay in the processor's cache while zlib reads it.
constexpr std::size_t kReadPiece = std::size_t(256) << 10;
}  // namespace

TPackedOnDisk::TPackedOnDisk(std::FILE* file) {
  if (file != nullptr) Fd = ::fcntl(::fileno(file), F_DUPFD_CLOEXEC, 0);
}

TPackedOnDisk::~TPackedOnDisk() {
  if (Fd >= 0) ::close(Fd);
}

void TPackedOnDisk::Leave(const TGXChunk* chunk, long long offset, std::size_t length) {
  const std::lock_guard<std::mutex> hold(Lock);
  Ranges[chunk] = TRange{offset, length};
}

const TPackedOnDisk::TRange* TPackedOnDisk::Find(const TGXChunk* chunk) const {
  const std::lock_guard<std::mutex> hold(Lock);
  const auto found = Ranges.find(chunk);
  return found == Ranges.end() ? nullptr : &found->second;  // entries never move or go
}

bool TPackedOnDisk::Holds(const TGXChunk* chunk) const { return Find(chunk) != nullptr; }

std::size_t TPackedOnDisk::Length(const TGXChunk* chunk) const {
  const TRange* range = Find(chunk);
  return range == nullptr ? 0 : range->length;
}

TInflateInto TPackedOnDisk::Inflate(const TGXChunk* chunk, std::uint8_t* destination, std::size_t capacity) const {
  const TRange* range = Find(chunk);
  if (range == nullptr || Fd < 0) {
    TInflateInto nothing;
    nothing.code = kInflateDataError;
    return nothing;
  }
  const std::unique_ptr<std::uint8_t[]> buffer(new std::uint8_t[kReadPiece]);
  std::size_t done = 0;
  const TInflatePieces pieces = [&](const std::uint8_t*& piece) -> std::size_t {
    const std::size_t count = std::min(kReadPiece, range->length - done);
    std::size_t got = 0;
    while (got < count) {
      const ssize_t n = ::pread(Fd, buffer.get() + got, count - got, off_t(range->offset + (long long)(done + got)));
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;  // the end of the file, or a read error: the rest reads as zeros
      got += std::size_t(n);
    }
    std::memset(buffer.get() + got, 0, count - got);
    done += count;
    piece = buffer.get();
    return count;
  };
  return InflateInto(pieces, destination, capacity);
}
