// The packed bytes of a list's picture chunks, left in the data file when the list was read and
// inflated from there by whoever wants the pixels. The file is read in small pieces as the
// inflating goes, on any number of threads at once, so the packed pictures are never held in
// memory and reading them is shared out like the inflating.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <mutex>
#include <unordered_map>

#include "tzlib.h"

class TGXChunk;

class TPackedOnDisk {
 public:
  // Keeps a handle of its own on the open file (the caller may close its own).
  explicit TPackedOnDisk(std::FILE* file);
  ~TPackedOnDisk();
  TPackedOnDisk(const TPackedOnDisk&) = delete;
  TPackedOnDisk& operator=(const TPackedOnDisk&) = delete;

  // Whether the handle could be taken; without it nothing is left here.
  bool IsOpen() const { return Fd >= 0; }
  // Notes that the chunk's data is `length` bytes at `offset` in the file.
  void Leave(const TGXChunk* chunk, long long offset, std::size_t length);
  // Whether the chunk's data was left here, and its length then.
  bool Holds(const TGXChunk* chunk) const;
  std::size_t Length(const TGXChunk* chunk) const;
  // Inflates the chunk's data from the file as InflateInto does with bytes in memory; bytes past
  // the end of the file read as zeros, as they do for a list read whole.
  TInflateInto Inflate(const TGXChunk* chunk, std::uint8_t* destination, std::size_t capacity) const;

 private:
  struct TRange {
    long long offset = 0;
    std::size_t length = 0;
  };
  const TRange* Find(const TGXChunk* chunk) const;

  int Fd = -1;
  mutable std::mutex Lock;  // the table only: reads of the file share nothing
  std::unordered_map<const TGXChunk*, TRange> Ranges;
};
