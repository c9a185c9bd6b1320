// One stored list of the data file in memory: its header fields and its chunks in blob order.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "gxchunk.h"

// Where the bytes of a list blob come from: memory, or a region of an open file.
class TBlobSource {
 public:
  virtual ~TBlobSource() = default;
  // The blob's length in bytes.
  virtual std::size_t Length() const = 0;
  // Copies count bytes from position; the parser asks only within Length().
  virtual void Read(std::size_t position, std::uint8_t* destination, std::size_t count) = 0;
  // Fills a chunk's data vector with count bytes from position.
  virtual void ReadData(std::size_t position, std::size_t count, std::vector<std::uint8_t>& data);
  // Asked for each chunk that has data, once its header and fixed block are read: true when the
  // source keeps the data where it is and answers for it (the chunk then holds none).
  virtual bool LeavesData(const TGXChunk& /*chunk*/, std::size_t /*position*/, std::size_t /*count*/) {
    return false;
  }
};

class TGXChunkList {
 public:
  TGXChunkList() = default;
  TGXChunkList(const TGXChunkList&) = delete;
  TGXChunkList& operator=(const TGXChunkList&) = delete;
  ~TGXChunkList() { Clear(); }

  // Fills an empty list from a list blob; answers the bytes consumed, or 0 when the blob ended
  // (or held a malformed record) before ChunkCount records were read. The records read before
  // that point stay in the list.
  std::int32_t ReadFromBuffer(const std::uint8_t* bytes, std::int32_t length);
  // The same parse over any source of blob bytes; a reader that streams from the file gives each
  // chunk its data without holding the whole blob in memory.
  std::int32_t ReadFrom(TBlobSource& source);

  std::int32_t GetCount() const { return static_cast<std::int32_t>(Chunks.size()); }
  // The chunk at index, or null when the index is out of range. It lives as long as the list.
  TGXChunk* GetChunk(std::int32_t index) const;
  std::uint8_t GetType() const { return Type; }
  void Clear() { Chunks.clear(); }
  // Appends the list's description to text.
  void Dump(std::string& text) const;

  // Writers: appends a chunk (the list owns it) and serializes the whole blob (header and records;
  // ChunkCount and the header type follow the list). Answers an empty blob when a chunk refuses.
  void Append(std::unique_ptr<TGXChunk> chunk) { Chunks.push_back(std::move(chunk)); }
  std::vector<std::uint8_t> WriteToBlob() const;

  // List header.
  std::string Magic = "CHUNKLIST";
  std::string Name;
  std::int32_t Id = -1;
  std::int32_t UserId = 0;
  std::uint8_t HeaderType = 0;
  std::int32_t ChunkCount = 0;
  // List type (1 scene, 3 sound, 4 opera).
  std::uint8_t Type = 0;

 private:
  std::vector<std::unique_ptr<TGXChunk>> Chunks;
};
