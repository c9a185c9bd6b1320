// Helpers for the data layer's tests: temporary folders, zlib streams, lists with every chunk
// class and small hand-made files.
#pragma once

#include <zlib.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "data/gxchunklist.h"
#include "data/gxserializer.h"
#include "tempfolder.h"

namespace testutil {

using Bytes = std::vector<std::uint8_t>;

using TempDir = TTempFolder;

Bytes Compress(const Bytes& plain, int level = Z_DEFAULT_COMPRESSION);
Bytes Text(const std::string& s);
Bytes ReadFile(const std::string& path);
void WriteFile(const std::string& path, const Bytes& bytes);
// Bytes that look like a picture: smooth gradients with a little noise.
Bytes TextureLike(std::size_t size, std::uint32_t seed = 1);

template <typename T>
std::unique_ptr<T> MakeChunk(const std::string& name, std::int32_t id, std::int32_t userId, Bytes data = {}) {
  auto chunk = std::make_unique<T>();
  chunk->Name = name;
  chunk->Id = id;
  chunk->UserId = userId;
  if (!data.empty()) chunk->AssignData(std::move(data));
  return chunk;
}

std::unique_ptr<TGXChunkList> MakeList(const std::string& name, std::int32_t id, std::uint8_t type);
// A scene list with one chunk of every class the parser reads: shape, image, camera, bmp, avi,
// wav, note and movie.
std::unique_ptr<TGXChunkList> MakeEveryClassList(std::int32_t id);
// An opera list: notes (UserId 1 and 3) and movies (UserId 2 and 4), chunk Id = list Id.
std::unique_ptr<TGXChunkList> MakeOperaList(std::int32_t id, const std::string& name);

// Writes a data file holding the lists, in order; fails the test on a writer error.
void WriteDataFile(const std::string& path, const std::vector<const TGXChunkList*>& lists);

// A file whose blobs sit right after the directory, inside the first 65536 bytes, and which
// ends after the last blob (so it is shorter than a header block). Entry i gets the Offset and
// Size of blob i.
Bytes CompactFile(std::vector<TDirectoryEntry> entries, const std::vector<Bytes>& blobs);
TDirectoryEntry EntryFor(const TGXChunkList& list);
// File offset of a field of directory entry i.
constexpr std::size_t EntryField(std::size_t i, int field) { return 324 + 276 * i + std::size_t(field); }
void PatchI32(Bytes& bytes, std::size_t offset, std::int32_t value);

}  // namespace testutil
