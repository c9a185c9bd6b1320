#include "gxchunklist.h"

#include <algorithm>
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

void TBlobSource::ReadData(std::size_t position, std::size_t count, std::vector<std::uint8_t>& data) {
  data.resize(count);
  Read(position, data.data(), count);
}

namespace {

class TMemoryBlobSource : public TBlobSource {
 public:
  TMemoryBlobSource(const std::uint8_t* bytes, std::size_t length) : Bytes(bytes), Size(length) {}
  std::size_t Length() const override { return Size; }
  void Read(std::size_t position, std::uint8_t* destination, std::size_t count) override {
    std::memcpy(destination, Bytes + position, count);
  }
  void ReadData(std::size_t position, std::size_t count, std::vector<std::uint8_t>& data) override {
    data.assign(Bytes + position, Bytes + position + count);
  }

 private:
  const std::uint8_t* Bytes;
  std::size_t Size;
};

}  // namespace

std::int32_t TGXChunkList::ReadFromBuffer(const std::uint8_t* bytes, std::int32_t length) {
  if (bytes == nullptr || length < kListHeaderSize) return 0;
  TMemoryBlobSource source(bytes, std::size_t(length));
  return ReadFrom(source);
}

std::int32_t TGXChunkList::ReadFrom(TBlobSource& source) {
  // Positions are answered as 32-bit counts, so a longer blob is read only as far as they reach.
  const std::size_t size = std::min<std::size_t>(source.Length(), std::numeric_limits<std::int32_t>::max());
  if (size < std::size_t(kListHeaderSize)) return 0;

  std::array<std::uint8_t, kListHeaderSize> listHeader{};
  source.Read(0, listHeader.data(), listHeader.size());
  Magic = ReadText(listHeader, kListMagic, kMagicFieldSize);
  Name = ReadText(listHeader, kListName, kTextFieldSize);
  Id = ReadI32(listHeader, kListId);
  UserId = ReadI32(listHeader, kListUserId);
  HeaderType = listHeader[kListType];
  ChunkCount = ReadI32(listHeader, kListChunkCount);
  Type = HeaderType;

  std::array<std::uint8_t, kChunkHeaderSize> header{};
  std::vector<std::uint8_t> fixed;
  std::size_t position = kListHeaderSize;
  for (std::int32_t i = 0; i < ChunkCount; ++i) {
    // A record must hold its header, its fixed block and its data inside the blob, carry the
    // chunk magic and a type that has a class; anything else ends the parse here.
    if (position >= size || size - position < header.size()) return 0;
    source.Read(position, header.data(), header.size());
    if (!SameTextIgnoringCase(header, kChunkMagic, kMagicFieldSize, kChunkMagicText)) return 0;
    const std::int32_t type = ReadI32(header, kChunkType);
    if (!IsParsedChunkType(type)) return 0;
    position += header.size();

    std::unique_ptr<TGXChunk> chunk = CreateChunk(type);
    chunk->Magic = ReadText(header, kChunkMagic, kMagicFieldSize);
    const std::size_t fixedSize = std::size_t(chunk->GetFixedSize());
    if (size - position < fixedSize) return 0;
    fixed.resize(fixedSize);
    source.Read(position, fixed.data(), fixedSize);
    chunk->ReadFixedBlock(fixed);
    position += fixedSize;
    // Each class's record is its header, its fixed block and DataLength bytes (a shape's own
    // count includes the header it follows; the position lands after the record all the same).
    if (chunk->DataLength > 0) {
      const std::size_t dataLength = std::size_t(chunk->DataLength);
      if (dataLength > size - position) return 0;
      if (!source.LeavesData(*chunk, position, dataLength)) source.ReadData(position, dataLength, chunk->Data);
      position += dataLength;
    } else if (chunk->RequiresData()) {
      return 0;  // a record that must carry data has none
    }
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
  std::array<std::uint8_t, kListHeaderSize> header{};
  WriteText(header.data() + kListMagic, kMagicFieldSize, Magic);
  WriteText(header.data() + kListName, kTextFieldSize, Name);
  WriteI32(header.data() + kListId, Id);
  WriteI32(header.data() + kListUserId, UserId);
  header[kListType] = Type;
  WriteI32(header.data() + kListChunkCount, GetCount());
  std::vector<std::uint8_t> blob(total, 0);
  std::copy(header.begin(), header.end(), blob.begin());
  std::size_t position = kListHeaderSize;
  for (const auto& chunk : Chunks) {
    const std::int32_t written = chunk->WriteToBuffer(blob.data() + position, blob.size() - position);
    if (written <= 0 || written != chunk->GetSize()) return {};
    position += std::size_t(written);
  }
  return blob;
}
