#include "gxchunklist.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <limits>

#include "bytes.h"
#include "gxformat.h"

using namespace gx;

namespace {

void AppendFormat(std::string& text, const char* format, ...) __attribute__((format(printf, 2, 3)));

void AppendFormat(std::string& text, const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list copy;
  va_copy(copy, args);
  const int n = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  if (n > 0) {
    std::string piece(std::size_t(n) + 1, '\0');
    std::vsnprintf(piece.data(), piece.size(), format, args);
    piece.resize(std::size_t(n));
    text += piece;
  }
  va_end(args);
}

}  // namespace

std::int32_t TGXChunkList::ReadFromBuffer(const std::uint8_t* bytes, std::int32_t length) {
  if (bytes == nullptr || length < kListHeaderSize) return 0;
  const std::size_t size = std::size_t(length);

  Magic = ReadText(bytes + kListMagic, kMagicFieldSize);
  Name = ReadText(bytes + kListName, kTextFieldSize);
  Id = ReadI32(bytes + kListId);
  UserId = ReadI32(bytes + kListUserId);
  HeaderType = bytes[kListType];
  ChunkCount = ReadI32(bytes + kListChunkCount);
  Type = HeaderType;

  std::size_t position = kListHeaderSize;
  for (std::int32_t i = 0; i < ChunkCount; ++i) {
    // A record must hold its header, its fixed block and its data inside the blob, carry the
    // chunk magic and a type that has a class; anything else ends the parse here.
    if (position >= size || size - position < std::size_t(kChunkHeaderSize)) return 0;
    const std::uint8_t* header = bytes + position;
    if (!SameTextIgnoringCase(header + kChunkMagic, kMagicFieldSize, kChunkMagicText)) return 0;
    const std::int32_t type = ReadI32(header + kChunkType);
    if (!IsParsedChunkType(type)) return 0;
    position += kChunkHeaderSize;

    std::unique_ptr<TGXChunk> chunk = CreateChunk(type);
    chunk->Magic = ReadText(header + kChunkMagic, kMagicFieldSize);
    std::int32_t consumed = chunk->ReadFromBuffer(bytes + position, size - position);
    if (consumed <= 0) return 0;  // does not fit, or a record that must carry data has none
    if (type == kChunkVrmlShape) consumed -= kChunkHeaderSize;  // its count includes the header
    position += std::size_t(consumed);
    Chunks.push_back(std::move(chunk));
  }
  return static_cast<std::int32_t>(position);
}

TGXChunk* TGXChunkList::GetChunk(std::int32_t index) const {
  if (index < 0 || index >= GetCount()) return nullptr;
  return Chunks[std::size_t(index)].get();
}

void TGXChunkList::Dump(std::string& text) const {
  AppendFormat(text, "\n\nChunk List:");
  AppendFormat(text, "\n    Name: '%s'\n    Id: %d\n    UserId: %d\n    Type: %d\n    Total chunks: %d", Name.c_str(),
               Id, UserId, int(Type), GetCount());
  for (std::int32_t i = 0; i < GetCount(); ++i) {
    const TGXChunk& chunk = *Chunks[std::size_t(i)];
    const char* typeLine = nullptr;
    switch (chunk.GetType()) {
      case kChunkImageRawRgba: typeLine = "\n      Type: %d  [ raw rgba ]"; break;
      case kChunkVrmlShape: typeLine = "\n      Type: %d  [ vrml shape ]"; break;
      case kChunkBmp: typeLine = "\n      Type: %d  [ bmp image ]"; break;
      case kChunkWav: typeLine = "\n      Type: %d  [ wav sound ]"; break;
      case kChunkCamera: typeLine = "\n      Type: %d  [ camera ]"; break;
      default: continue;  // notes and movies are not described, but they keep their index
    }
    AppendFormat(text, "\n\n      Chunk : [ %d ]", i);
    AppendFormat(text, typeLine, chunk.GetType());
    AppendFormat(text, "\n      Size: %d", chunk.GetSize());
    AppendFormat(text, "\n      Name: %s", chunk.Name.c_str());
    AppendFormat(text, "\n      Id: %d", chunk.Id);
    AppendFormat(text, "\n      UserId: %d", chunk.UserId);
    if (chunk.GetType() == kChunkCamera) {
      const auto& camera = static_cast<const TGXChunkCamera&>(chunk);
      AppendFormat(text, "\n      Pos: %6.3f, %6.3f, %6.3f", camera.Pos[0], camera.Pos[1], camera.Pos[2]);
    }
  }
}

std::vector<std::uint8_t> TGXChunkList::WriteToBlob() const {
  // Sizes first: a record with a negative DataLength cannot be written, and a blob must stay
  // addressable by the directory's 32-bit Size, so neither may drive the allocation.
  std::size_t total = kListHeaderSize;
  for (const auto& chunk : Chunks) {
    if (chunk->DataLength < 0) return {};
    total += std::size_t(kChunkHeaderSize) + std::size_t(chunk->GetFixedSize()) + std::size_t(chunk->DataLength);
    if (total > std::size_t(std::numeric_limits<std::int32_t>::max())) return {};
  }
  std::vector<std::uint8_t> blob(total, 0);
  WriteText(blob.data() + kListMagic, kMagicFieldSize, Magic);
  WriteText(blob.data() + kListName, kTextFieldSize, Name);
  WriteI32(blob.data() + kListId, Id);
  WriteI32(blob.data() + kListUserId, UserId);
  blob[kListType] = Type;
  WriteI32(blob.data() + kListChunkCount, GetCount());
  std::size_t position = kListHeaderSize;
  for (const auto& chunk : Chunks) {
    const std::int32_t written = chunk->WriteToBuffer(blob.data() + position, blob.size() - position);
    if (written <= 0 || written != chunk->GetSize()) return {};
    position += std::size_t(written);
  }
  return blob;
}
