#include "gxserializer.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>

#include "bytes.h"
#include "gxformat.h"
#include "packedondisk.h"

using namespace gx;

namespace {

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

long long FileLength(std::FILE* file) {
  struct stat st {};
  if (fstat(fileno(file), &st) != 0) return -1;
  return static_cast<long long>(st.st_size);
}

// The blob of one directory entry, read from the file piece by piece as the parser asks for it.
// Bytes past the end of the file read as zeros; like ReadBlob, the blob is never taken to be
// longer than the file itself.
class TFileBlobSource : public TBlobSource {
 public:
  TFileBlobSource(std::FILE* file, const TDirectoryEntry& entry) : File(file), Offset(entry.Offset) {
    FileSize = FileLength(file);
    Size = std::size_t(FileSize < 0 ? entry.Size : std::min<long long>(entry.Size, FileSize));
  }

  std::size_t Length() const override { return Size; }

  // With a place to leave them, the raw image chunks' data stays in the file.
  void LeavePicturesIn(TPackedOnDisk* pictures) { Pictures = pictures; }

  bool LeavesData(const TGXChunk& chunk, std::size_t position, std::size_t count) override {
    if (Pictures == nullptr || chunk.GetType() != kChunkImageRawRgba) return false;
    Pictures->Leave(&chunk, Offset + static_cast<long long>(position), count);
    return true;
  }

  void Read(std::size_t position, std::uint8_t* destination, std::size_t count) override {
    const long long at = Offset + static_cast<long long>(position);
    std::size_t inFile = count;
    if (FileSize >= 0) inFile = std::size_t(std::clamp<long long>(FileSize - at, 0, static_cast<long long>(count)));
    std::size_t got = 0;
    if (inFile > 0 && (Cursor == at || std::fseek(File, at, SEEK_SET) == 0)) {
      got = std::fread(destination, 1, inFile, File);
      Cursor = at + static_cast<long long>(got);
    }
    if (got < count) std::memset(destination + got, 0, count - got);
  }

 private:
  std::FILE* File;
  long long Offset;
  long long FileSize = -1;
  long long Cursor = -1;
  std::size_t Size = 0;
  TPackedOnDisk* Pictures = nullptr;
};

}  // namespace

bool THeaderBlock::Read(std::FILE* file) {
  Bytes.assign(kHeaderBlockSize, 0);
  if (std::fseek(file, 0, SEEK_SET) != 0) return false;
  std::fread(Bytes.data(), 1, Bytes.size(), file);
  // A short file is fine (zero-filled); a read error (a folder, a device that fails) means the
  // file could not be read at all, which is not the same as a file with the wrong signature.
  return std::ferror(file) == 0;
}

void THeaderBlock::Assign(const std::uint8_t* bytes, std::size_t length) {
  Bytes.assign(kHeaderBlockSize, 0);
  std::copy(bytes, bytes + std::min<std::size_t>(length, kHeaderBlockSize), Bytes.begin());
}

bool THeaderBlock::SignatureMatches() const {
  return Bytes.size() == std::size_t(kHeaderBlockSize) && SameTextIgnoringCase(Bytes, 0, Bytes.size(), kSignature);
}

std::int32_t THeaderBlock::StoredListCount() const {
  return Bytes.size() < std::size_t(kHeaderBlockSize) ? 0 : ReadI32(Bytes, kListCountOffset);
}

std::vector<TDirectoryEntry> THeaderBlock::Directory() const {
  const std::int32_t count = std::clamp(StoredListCount(), 0, kMaxListCount);
  std::vector<TDirectoryEntry> entries;
  entries.reserve(std::size_t(count));
  for (std::int32_t i = 0; i < count; ++i) {
    const std::size_t e = kDirectoryOffset + std::size_t(i) * kDirectoryEntrySize;
    TDirectoryEntry entry;
    entry.Name = ReadText(Bytes, e + kEntryName, kTextFieldSize);
    entry.Id = ReadI32(Bytes, e + kEntryId);
    entry.UserId = ReadI32(Bytes, e + kEntryUserId);
    entry.Size = ReadI32(Bytes, e + kEntrySize);
    entry.Type = ReadI32(Bytes, e + kEntryType);
    entry.Offset = ReadI32(Bytes, e + kEntryOffset);
    entries.push_back(std::move(entry));
  }
  return entries;
}

bool TGXSerializer::ReadBlob(std::FILE* file, const TDirectoryEntry& entry, std::vector<std::uint8_t>& blob) {
  blob.clear();
  if (entry.Offset < 0 || entry.Size < 0) return false;
  const long long fileLength = FileLength(file);
  // A blob cannot be longer than the file that holds it: the size is a claim, the file a fact.
  const long long padded = fileLength < 0 ? entry.Size : std::min<long long>(entry.Size, fileLength);
  blob.assign(std::size_t(padded), 0);
  if (fileLength >= 0 && entry.Offset >= fileLength) return true;  // all of it lies past the end
  if (std::fseek(file, entry.Offset, SEEK_SET) != 0) return true;
  std::fread(blob.data(), 1, blob.size(), file);
  return true;
}

std::unique_ptr<TGXChunkList> TGXSerializer::ReadFromFile(const std::string& fileName, std::int32_t id) {
  return ReadById(fileName, id, nullptr);
}

std::unique_ptr<TGXChunkList> TGXSerializer::ReadList(std::FILE* file, const TDirectoryEntry& entry,
                                                      TPackedOnDisk* pictures) {
  if (entry.Offset < 0 || entry.Size < 0) return nullptr;
  // Each chunk's data goes from the file straight into the chunk: the blob is never held twice.
  TFileBlobSource source(file, entry);
  source.LeavePicturesIn(pictures);
  auto list = std::make_unique<TGXChunkList>();
  list->ReadFrom(source);
  return list;
}

std::unique_ptr<TGXChunkList> TGXSerializer::ReadFromFileLeavingPictures(const std::string& fileName, std::int32_t id,
                                                                         std::unique_ptr<TPackedOnDisk>& pictures) {
  return ReadById(fileName, id, &pictures);
}

std::unique_ptr<TGXChunkList> TGXSerializer::ReadById(const std::string& fileName, std::int32_t id,
                                                      std::unique_ptr<TPackedOnDisk>* pictures) {
  if (pictures != nullptr) pictures->reset();
  FilePtr file(std::fopen(fileName.c_str(), "rb"));
  if (!file) return nullptr;
  THeaderBlock header;
  if (!header.Read(file.get()) || !header.SignatureMatches()) return nullptr;
  for (const TDirectoryEntry& entry : header.Directory()) {
    if (entry.Id != id) continue;
    if (pictures == nullptr) return ReadList(file.get(), entry);
    auto onDisk = std::make_unique<TPackedOnDisk>(file.get());
    // Without a handle of its own the list is read whole, as ReadFromFile does.
    auto list = ReadList(file.get(), entry, onDisk->IsOpen() ? onDisk.get() : nullptr);
    if (list && onDisk->IsOpen()) *pictures = std::move(onDisk);
    return list;
  }
  return nullptr;
}
