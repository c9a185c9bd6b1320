// Reading the data file: its header block, its directory and one list blob by Id.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "gxchunklist.h"

class TPackedOnDisk;

struct TDirectoryEntry {
  std::string Name;
  std::int32_t Id = 0;
  std::int32_t UserId = 0;
  std::int32_t Size = 0;
  std::int32_t Type = 0;
  std::int32_t Offset = 0;
};

// The file's first 65536 bytes; a shorter file reads as if zero-filled.
class THeaderBlock {
 public:
  // Reads the header block of an open file from its start. False when the file cannot be read
  // (a seek or read error); a short file reads as zero-filled and is not an error.
  bool Read(std::FILE* file);
  // Builds a header block from bytes in memory (zero-filled past their end).
  void Assign(const std::uint8_t* bytes, std::size_t length);

  bool SignatureMatches() const;
  // ListCount as stored.
  std::int32_t StoredListCount() const;
  // The entries that the block can hold: a negative count gives none, a count above 236 gives 236.
  std::vector<TDirectoryEntry> Directory() const;

 private:
  std::vector<std::uint8_t> Bytes;
};

class TGXSerializer {
 public:
  // Loads the first list whose directory Id equals id. Null when the file cannot be opened,
  // its signature differs, no entry has the id, or the entry's Offset or Size is negative.
  static std::unique_ptr<TGXChunkList> ReadFromFile(const std::string& fileName, std::int32_t id);

  // Loads the list as ReadFromFile does, but leaves the packed bytes of its raw image chunks in the
  // file: `pictures` answers for them (and is null when the list is null or was read whole).
  static std::unique_ptr<TGXChunkList> ReadFromFileLeavingPictures(const std::string& fileName, std::int32_t id,
                                                                   std::unique_ptr<TPackedOnDisk>& pictures);

  // Loads the list of one directory entry, reading the blob as ReadBlob does, but each chunk's
  // data straight from the file (or, given `pictures`, leaving the raw image chunks' data there).
  // Null for a negative Offset or Size.
  static std::unique_ptr<TGXChunkList> ReadList(std::FILE* file, const TDirectoryEntry& entry,
                                                TPackedOnDisk* pictures = nullptr);

  // Reads the blob of one directory entry: its Size bytes from its Offset, the bytes past the end
  // of the file read as zeros. The zero padding never makes the blob longer than the file itself.
  // False for a negative Offset or Size.
  static bool ReadBlob(std::FILE* file, const TDirectoryEntry& entry, std::vector<std::uint8_t>& blob);

 private:
  // The list with the Id, its pictures left in the file when `pictures` is given.
  static std::unique_ptr<TGXChunkList> ReadById(const std::string& fileName, std::int32_t id,
                                                std::unique_ptr<TPackedOnDisk>* pictures);
};
