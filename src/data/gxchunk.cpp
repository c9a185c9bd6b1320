#include "gxchunk.h"

#include <cerrno>
#include <cstring>
#include <limits>
#include <sys/stat.h>

#include "bytes.h"
#include "gxformat.h"

using namespace gx;

namespace {

// Bytes left in a file from its current position, or -1 when unknown.
long long BytesLeft(std::FILE* file) {
  struct stat st {};
  const long here = std::ftell(file);
  if (here < 0 || fstat(fileno(file), &st) != 0) return -1;
  return static_cast<long long>(st.st_size) - here;
}

std::int32_t RecordLength(int fixedSize, std::int32_t dataLength) {
  // Wraps like the 32-bit field it is; consistent files never come near the limit.
  return static_cast<std::int32_t>(std::uint32_t(kChunkHeaderSize) + std::uint32_t(fixedSize) +
                                   static_cast<std::uint32_t>(dataLength));
}

}  // namespace

std::int32_t TGXChunk::SetData(const std::uint8_t*, std::int32_t) { return 0; }

void TGXChunk::AssignData(std::vector<std::uint8_t> bytes) {
  Data = std::move(bytes);
  DataLength = static_cast<std::int32_t>(Data.size());
}

std::int32_t TGXChunk::ReadRecord(const std::uint8_t* bytes, std::size_t available, std::int32_t resultWhenEmpty,
                                  std::int32_t headerIncluded) {
  if (bytes == nullptr || available < std::size_t(FixedSize)) return kRecordDoesNotFit;
  ReadFixedBlock(TByteView(bytes, std::size_t(FixedSize)));
  if (DataLength <= 0) return resultWhenEmpty;
  if (std::size_t(DataLength) > available - std::size_t(FixedSize)) return kRecordDoesNotFit;
  // The answer is a 32-bit count; a record too long to count does not fit either.
  if (std::int64_t(headerIncluded) + FixedSize + DataLength > std::numeric_limits<std::int32_t>::max()) {
    return kRecordDoesNotFit;
  }
  Data.assign(bytes + FixedSize, bytes + FixedSize + DataLength);
  return headerIncluded + FixedSize + DataLength;
}

void TGXChunk::ReadFixedBlock(TByteView fixed) {
  DataLength = ReadI32(fixed, kFixedDataLength);
  Name = ReadText(fixed, kFixedName, kTextFieldSize);
  Id = ReadI32(fixed, kFixedId);
  UserId = ReadI32(fixed, kFixedUserId);
  ReadTail(fixed);
  Data.clear();
}

std::int32_t TGXChunk::WriteRecordTo(std::uint8_t* destination, std::size_t capacity, bool writeData) const {
  const std::size_t dataBytes = writeData ? std::size_t(DataLength) : 0;
  const std::size_t needed = std::size_t(kChunkHeaderSize) + std::size_t(FixedSize) + dataBytes;
  if (destination == nullptr || capacity < needed || Data.size() < dataBytes) return 0;

  std::uint8_t* header = destination;
  std::memset(header, 0, kChunkHeaderSize);
  WriteText(header + kChunkMagic, kMagicFieldSize, Magic);
  WriteI32(header + kChunkType, Type);

  std::uint8_t* fixed = destination + kChunkHeaderSize;
  std::memset(fixed, 0, std::size_t(FixedSize));
  WriteI32(fixed + kFixedDataLength, DataLength);
  WriteText(fixed + kFixedName, kTextFieldSize, Name);
  WriteI32(fixed + kFixedId, Id);
  WriteI32(fixed + kFixedUserId, UserId);
  WriteTail(fixed);

  if (dataBytes > 0) std::memcpy(fixed + FixedSize, Data.data(), dataBytes);
  return static_cast<std::int32_t>(needed);
}

std::size_t TGXChunk::ReadBodyFrom(std::FILE* file) {
  std::vector<std::uint8_t> fixed(static_cast<std::size_t>(FixedSize), 0);
  std::size_t blocks = std::fread(fixed.data(), fixed.size(), 1, file);
  if (blocks != 1) return blocks;
  ReadFixedBlock(fixed);
  if (DataLength > 0) {
    const long long left = BytesLeft(file);
    if (left >= 0 && DataLength > left) return 0;  // the file cannot hold the data it announces
    Data.resize(std::size_t(DataLength));
    blocks = std::fread(Data.data(), Data.size(), 1, file);
  }
  return blocks;
}

void TGXChunk::WriteWholeRecord(std::FILE* file) const {
  const std::int32_t size = GetSize();
  if (size <= 0) return;
  std::vector<std::uint8_t> buffer(static_cast<std::size_t>(size));
  if (WriteToBuffer(buffer.data(), buffer.size()) == size) std::fwrite(buffer.data(), buffer.size(), 1, file);
}

std::int32_t TGXChunk::SetOwnData(const std::uint8_t* bytes, std::int32_t length) {
  if (bytes == nullptr || length <= 0) return 0;
  Data.assign(bytes, bytes + length);
  DataLength = length;
  return length;
}

// ---- types 1, 2, 5, 8, 11, 13, 15

std::int32_t TGXChunkWithData::GetSize() const { return RecordLength(GetFixedSize(), DataLength); }

std::size_t TGXChunkWithData::ReadBody(std::FILE* file) { return ReadBodyFrom(file); }

void TGXChunkWithData::WriteRecord(std::FILE* file) const {
  WriteWholeRecord(file);
}

std::int32_t TGXChunkWithData::ReadFromBuffer(const std::uint8_t* bytes, std::size_t available) {
  return ReadRecord(bytes, available, 0, 0);
}

std::int32_t TGXChunkWithData::WriteToBuffer(std::uint8_t* destination, std::size_t capacity) const {
  if (!HasData() || DataLength <= 0) return 0;
  return WriteRecordTo(destination, capacity, true);
}

TGXChunkTxt::TGXChunkTxt() : TGXChunkWithData(kChunkTxt, kFixedPlain) {}
std::int32_t TGXChunkTxt::SetData(const std::uint8_t* b, std::int32_t n) { return SetOwnData(b, n); }

TGXChunkRtf::TGXChunkRtf() : TGXChunkWithData(kChunkRtf, kFixedPlain) {}
std::int32_t TGXChunkRtf::SetData(const std::uint8_t* b, std::int32_t n) { return SetOwnData(b, n); }

TGXChunkAvi::TGXChunkAvi() : TGXChunkWithData(kChunkAvi, kFixedPlain) {}
std::int32_t TGXChunkAvi::SetData(const std::uint8_t* b, std::int32_t n) { return SetOwnData(b, n); }

TGXChunkWmv::TGXChunkWmv() : TGXChunkWithData(kChunkWmv, kFixedPlain) {}
std::int32_t TGXChunkWmv::SetData(const std::uint8_t* b, std::int32_t n) { return SetOwnData(b, n); }

void TGXChunkWmv::SaveToFile(const std::string& path) const {
  if (!HasData() || DataLength == 0) return;
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) {
    throw EFCreateError("Cannot create file \"" + path + "\". " + std::strerror(errno));
  }
  const std::size_t written = std::fwrite(Data.data(), Data.size(), 1, file);
  const int closed = std::fclose(file);
  if (written != 1 || closed != 0) {
    throw EFCreateError("Cannot write file \"" + path + "\". " + std::strerror(errno));
  }
}

TGXChunkVrmlShape::TGXChunkVrmlShape() : TGXChunkWithData(kChunkVrmlShape, kFixedPlain) {}
std::int32_t TGXChunkVrmlShape::ReadFromBuffer(const std::uint8_t* bytes, std::size_t available) {
  return ReadRecord(bytes, available, 0, kChunkHeaderSize);
}

void TGXChunkWithReserved::ReadTail(TByteView fixed) { Reserved = ReadI32(fixed, 268); }
void TGXChunkWithReserved::WriteTail(std::uint8_t* fixed) const { WriteI32(fixed + 268, Reserved); }

TGXChunkBmp::TGXChunkBmp() : TGXChunkWithReserved(kChunkBmp, kFixedWithInt) {}
std::int32_t TGXChunkBmp::SetData(const std::uint8_t* b, std::int32_t n) { return SetOwnData(b, n); }

TGXChunkWav::TGXChunkWav() : TGXChunkWithReserved(kChunkWav, kFixedWithInt) {}
std::int32_t TGXChunkWav::SetData(const std::uint8_t* b, std::int32_t n) { return SetOwnData(b, n); }

// ---- type 4

TGXChunkImageRawRgba::TGXChunkImageRawRgba() : TGXChunk(kChunkImageRawRgba, kFixedImage) {}

std::int32_t TGXChunkImageRawRgba::GetSize() const { return RecordLength(GetFixedSize(), DataLength); }
std::size_t TGXChunkImageRawRgba::ReadBody(std::FILE* file) { return ReadBodyFrom(file); }

void TGXChunkImageRawRgba::WriteRecord(std::FILE* file) const {
  WriteWholeRecord(file);
}

std::int32_t TGXChunkImageRawRgba::ReadFromBuffer(const std::uint8_t* bytes, std::size_t available) {
  return ReadRecord(bytes, available, kFixedImage, 0);
}

std::int32_t TGXChunkImageRawRgba::WriteToBuffer(std::uint8_t* destination, std::size_t capacity) const {
  if (!HasData() || DataLength < 0) return 0;
  return WriteRecordTo(destination, capacity, true);
}

void TGXChunkImageRawRgba::ReadTail(TByteView fixed) {
  Width = ReadI32(fixed, 268);
  Height = ReadI32(fixed, 272);
  Reserved = ReadI32(fixed, 276);
  Components = ReadI32(fixed, 280);
  fixed.CopyTo(284, ReservedText.data(), ReservedText.size());
}

void TGXChunkImageRawRgba::WriteTail(std::uint8_t* fixed) const {
  WriteI32(fixed + 268, Width);
  WriteI32(fixed + 272, Height);
  WriteI32(fixed + 276, Reserved);
  WriteI32(fixed + 280, Components);
  std::memcpy(fixed + 284, ReservedText.data(), ReservedText.size());
}

// ---- type 16

TGXChunkCamera::TGXChunkCamera() : TGXChunk(kChunkCamera, kFixedCamera) {}

std::int32_t TGXChunkCamera::GetSize() const { return RecordLength(GetFixedSize(), DataLength); }
std::size_t TGXChunkCamera::ReadBody(std::FILE* file) { return ReadBodyFrom(file); }

void TGXChunkCamera::WriteRecord(std::FILE* file) const {
  WriteWholeRecord(file);
}

std::int32_t TGXChunkCamera::ReadFromBuffer(const std::uint8_t* bytes, std::size_t available) {
  return ReadRecord(bytes, available, kFixedCamera, 0);
}

std::int32_t TGXChunkCamera::WriteToBuffer(std::uint8_t* destination, std::size_t capacity) const {
  return WriteRecordTo(destination, capacity, HasData() && DataLength > 0);
}

std::int32_t TGXChunkCamera::SetData(const std::uint8_t* b, std::int32_t n) { return SetOwnData(b, n); }

void TGXChunkCamera::ReadTail(TByteView fixed) {
  fixed.CopyTo(268, ReservedHead.data(), ReservedHead.size());
  for (int i = 0; i < 3; ++i) Pos[std::size_t(i)] = ReadF64(fixed, 544 + 8 * std::size_t(i));
  fixed.CopyTo(568, ReservedTail.data(), ReservedTail.size());
}

void TGXChunkCamera::WriteTail(std::uint8_t* fixed) const {
  std::memcpy(fixed + 268, ReservedHead.data(), ReservedHead.size());
  for (int i = 0; i < 3; ++i) WriteF64(fixed + 544 + 8 * i, Pos[std::size_t(i)]);
  std::memcpy(fixed + 568, ReservedTail.data(), ReservedTail.size());
}

// ---- factory

std::unique_ptr<TGXChunk> CreateChunk(std::int32_t type) {
  switch (type) {
    case kChunkTxt: return std::make_unique<TGXChunkTxt>();
    case kChunkRtf: return std::make_unique<TGXChunkRtf>();
    case kChunkImageRawRgba: return std::make_unique<TGXChunkImageRawRgba>();
    case kChunkBmp: return std::make_unique<TGXChunkBmp>();
    case kChunkWav: return std::make_unique<TGXChunkWav>();
    case kChunkAvi: return std::make_unique<TGXChunkAvi>();
    case kChunkWmv: return std::make_unique<TGXChunkWmv>();
    case kChunkVrmlShape: return std::make_unique<TGXChunkVrmlShape>();
    case kChunkCamera: return std::make_unique<TGXChunkCamera>();
    default: return nullptr;
  }
}

bool IsParsedChunkType(std::int32_t type) {
  switch (type) {
    case kChunkRtf: case kChunkImageRawRgba: case kChunkBmp: case kChunkWav:
    case kChunkAvi: case kChunkWmv: case kChunkVrmlShape: case kChunkCamera:
      return true;
    default:
      return false;
  }
}
