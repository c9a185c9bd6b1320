#include "gxwriter.h"

#include <cerrno>
#include <cstring>
#include <limits>

#include "bytes.h"
#include "gxformat.h"

using namespace gx;

TGXFileWriter::~TGXFileWriter() {
  if (File != nullptr) std::fclose(File);
}

bool TGXFileWriter::Fail(const std::string& message) {
  LastError = message;
  return false;
}

bool TGXFileWriter::Open(const std::string& path) {
  Path = path;
  File = std::fopen(path.c_str(), "wb");
  if (File == nullptr) return Fail("cannot create " + path + ": " + std::strerror(errno));
  const std::vector<std::uint8_t> empty(kHeaderBlockSize, 0);
  if (std::fwrite(empty.data(), empty.size(), 1, File) != 1) return Fail("cannot write " + path + ": " + std::strerror(errno));
  End = kHeaderBlockSize;
  return true;
}

bool TGXFileWriter::AppendList(const TGXChunkList& list) {
  if (list.Name.size() > 255) return Fail("list name longer than 255 bytes: " + list.Name.substr(0, 40) + "...");
  for (std::int32_t i = 0; i < list.GetCount(); ++i) {
    if (list.GetChunk(i)->Name.size() > 255) {
      return Fail("chunk name longer than 255 bytes in list " + list.Name);
    }
  }
  const std::vector<std::uint8_t> blob = list.WriteToBlob();
  if (blob.empty()) return Fail("list " + list.Name + " holds a chunk without data");
  TDirectoryEntry entry;
  entry.Name = list.Name;
  entry.Id = list.Id;
  entry.UserId = list.UserId;
  entry.Type = list.Type;
  return AppendBlob(entry, blob);
}

bool TGXFileWriter::AppendBlob(TDirectoryEntry entry, const std::vector<std::uint8_t>& blob) {
  if (File == nullptr) return Fail("the file is not open");
  if (Entries.size() >= std::size_t(kMaxListCount)) {
    return Fail("more than " + std::to_string(kMaxListCount) + " lists do not fit in the directory");
  }
  if (entry.Name.size() > 255) return Fail("list name longer than 255 bytes");
  const long long limit = std::numeric_limits<std::int32_t>::max();
  if (blob.size() > std::size_t(limit) || End + static_cast<long long>(blob.size()) > limit) {
    return Fail("the file would pass 2 GiB, which 32-bit offsets cannot address");
  }
  if (!blob.empty() && std::fwrite(blob.data(), blob.size(), 1, File) != 1) {
    return Fail("cannot write " + Path + ": " + std::strerror(errno));
  }
  entry.Offset = static_cast<std::int32_t>(End);
  entry.Size = static_cast<std::int32_t>(blob.size());
  End += static_cast<long long>(blob.size());
  Entries.push_back(std::move(entry));
  return true;
}

std::vector<std::uint8_t> TGXFileWriter::BuildHeaderBlock(const std::vector<TDirectoryEntry>& entries) {
  std::vector<std::uint8_t> block(kHeaderBlockSize, 0);
  std::memcpy(block.data(), kSignature, kSignatureLength);
  WriteI32(block.data() + kListCountOffset, static_cast<std::int32_t>(entries.size()));
  for (std::size_t i = 0; i < entries.size() && i < std::size_t(kMaxListCount); ++i) {
    std::uint8_t* e = block.data() + kDirectoryOffset + i * kDirectoryEntrySize;
    WriteText(e + kEntryName, kTextFieldSize, entries[i].Name);
    WriteI32(e + kEntryId, entries[i].Id);
    WriteI32(e + kEntryUserId, entries[i].UserId);
    WriteI32(e + kEntrySize, entries[i].Size);
    WriteI32(e + kEntryType, entries[i].Type);
    WriteI32(e + kEntryOffset, entries[i].Offset);
  }
  return block;
}

bool TGXFileWriter::Finish() {
  if (File == nullptr) return Fail("the file is not open");
  const std::vector<std::uint8_t> block = BuildHeaderBlock(Entries);
  bool ok = std::fseek(File, 0, SEEK_SET) == 0 && std::fwrite(block.data(), block.size(), 1, File) == 1;
  if (std::fclose(File) != 0) ok = false;
  File = nullptr;
  if (!ok) return Fail("cannot write " + Path + ": " + std::strerror(errno));
  return true;
}
