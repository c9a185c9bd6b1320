#include "testutil.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

#include "data/bytes.h"
#include "data/gxformat.h"
#include "data/gxwriter.h"

namespace testutil {

Bytes Compress(const Bytes& plain, int level) {
  uLongf size = compressBound(plain.size());
  Bytes packed(size);
  if (compress2(packed.data(), &size, plain.data(), plain.size(), level) != Z_OK) {
    throw std::runtime_error("compress2 failed");
  }
  packed.resize(size);
  return packed;
}

Bytes Text(const std::string& s) { return Bytes(s.begin(), s.end()); }

Bytes ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

void WriteFile(const std::string& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

Bytes TextureLike(std::size_t size, std::uint32_t seed) {
  Bytes bytes(size);
  std::minstd_rand random(seed);
  for (std::size_t i = 0; i < size; ++i) {
    const std::size_t x = (i / 3) % 1024, y = (i / 3) / 1024;
    bytes[i] = std::uint8_t((x / 4 + y / 8 + 40 * (i % 3)) + (random() % 7));
  }
  return bytes;
}

std::unique_ptr<TGXChunkList> MakeList(const std::string& name, std::int32_t id, std::uint8_t type) {
  auto list = std::make_unique<TGXChunkList>();
  list->Name = name;
  list->Id = id;
  list->UserId = id;
  list->Type = type;
  return list;
}

std::unique_ptr<TGXChunkList> MakeEveryClassList(std::int32_t id) {
  auto list = MakeList("ogni classe", id, gx::kListScene);
  list->Append(MakeChunk<TGXChunkVrmlShape>("room", 7, 17, Compress(Text("#Inventor V2.1 ascii\nCube {}\n"))));
  auto image = MakeChunk<TGXChunkImageRawRgba>("tex", 3, 13, Compress(Bytes(2 * 3 * 4, 0x55)));
  image->Width = 2;
  image->Height = 3;
  image->Components = 4;
  list->Append(std::move(image));
  auto camera = MakeChunk<TGXChunkCamera>("view", 8, 18);
  camera->Pos = {1.0, 2.5, -3.0};
  list->Append(std::move(camera));
  list->Append(MakeChunk<TGXChunkBmp>("bmp", 9, 19, Bytes{'B', 'M', 1, 2, 3}));
  list->Append(MakeChunk<TGXChunkAvi>("avi", 10, 20, Bytes{'R', 'I', 'F', 'F', 0}));
  list->Append(MakeChunk<TGXChunkWav>("wav", 11, 21, Compress(Bytes(300, 0x80))));
  list->Append(MakeChunk<TGXChunkRtf>("nota", 12, 22, Text("{\\rtf1 nota}")));
  list->Append(MakeChunk<TGXChunkWmv>("film", 13, 23, Bytes(100, 0x42)));
  return list;
}

std::unique_ptr<TGXChunkList> MakeOperaList(std::int32_t id, const std::string& name) {
  auto list = MakeList(name, id, gx::kListOpera);
  list->Append(MakeChunk<TGXChunkRtf>("Scheda", id, 1, Text("{\\rtf1 scheda}")));
  list->Append(MakeChunk<TGXChunkWmv>("Intervista", id, 2, Text("movie two")));
  list->Append(MakeChunk<TGXChunkRtf>("Restauro", id, 3, Text("{\\rtf1 restauro}")));
  list->Append(MakeChunk<TGXChunkWmv>("Dettagli", id, 4, Text("movie four")));
  return list;
}

void WriteDataFile(const std::string& path, const std::vector<const TGXChunkList*>& lists) {
  TGXFileWriter writer;
  ASSERT_TRUE(writer.Open(path)) << writer.Error();
  for (const TGXChunkList* list : lists) ASSERT_TRUE(writer.AppendList(*list)) << writer.Error();
  ASSERT_TRUE(writer.Finish()) << writer.Error();
}

TDirectoryEntry EntryFor(const TGXChunkList& list) {
  TDirectoryEntry entry;
  entry.Name = list.Name;
  entry.Id = list.Id;
  entry.UserId = list.UserId;
  entry.Type = list.Type;
  return entry;
}

Bytes CompactFile(std::vector<TDirectoryEntry> entries, const std::vector<Bytes>& blobs) {
  std::size_t at = gx::kDirectoryOffset + entries.size() * gx::kDirectoryEntrySize;
  for (std::size_t i = 0; i < blobs.size() && i < entries.size(); ++i) {
    entries[i].Offset = std::int32_t(at);
    entries[i].Size = std::int32_t(blobs[i].size());
    at += blobs[i].size();
  }
  Bytes file = TGXFileWriter::BuildHeaderBlock(entries);
  file.resize(at);  // blobs never reach past the header block in these small files
  at = gx::kDirectoryOffset + entries.size() * gx::kDirectoryEntrySize;
  for (const Bytes& blob : blobs) {
    std::memcpy(file.data() + at, blob.data(), blob.size());
    at += blob.size();
  }
  return file;
}

void PatchI32(Bytes& bytes, std::size_t offset, std::int32_t value) {
  if (offset + 4 > bytes.size()) bytes.resize(offset + 4);
  gx::WriteI32(bytes.data() + offset, value);
}

}  // namespace testutil
