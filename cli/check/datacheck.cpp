#include "datacheck.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <functional>
#include <limits>
#include <map>
#include <memory>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

#include "data/bytes.h"
#include "contentcheck.h"
#include "data/cp1252.h"
#include "data/gxchunk.h"
#include "data/gxformat.h"
#include "data/gxserializer.h"
#include "common/signatures.h"
#include "scenecheck.h"
#include "data/tzlib.h"
#include <zlib.h>

using namespace gx;

namespace {

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};

// One directory entry and what its blob turned out to hold.
struct TCheckedList {
  TDirectoryEntry Entry;
  std::string Label;
  bool Parsed = false;
  std::vector<std::unique_ptr<TGXChunk>> Chunks;
  std::string LastShapeText;  // the text of the last shape chunk, which is what the program reads
  bool HasShape = false;
};

class TDataChecker {
 public:
  // Reads n bytes at offset into out; false when they cannot all be read.
  using Reader = std::function<bool(long long offset, std::size_t n, std::uint8_t* out)>;

  explicit TDataChecker(const TCheckOptions& options) : Options(options) {}

  TCheckReport Run(long long fileLength, const Reader& read) {
    FileLength = fileLength;
    Read = read;
    if (FileLength < kHeaderBlockSize) {
      Problem("the file is " + std::to_string(FileLength) + " bytes, shorter than its " +
              std::to_string(kHeaderBlockSize) + "-byte header block");
    }
    std::vector<std::uint8_t> block(std::size_t(std::min<long long>(FileLength, kHeaderBlockSize)));
    if (!Read(0, block.size(), block.data())) {
      Problem("cannot read the header block");
      return Report;
    }
    THeaderBlock header;
    header.Assign(block.data(), block.size());
    if (!header.SignatureMatches()) {
      Problem("wrong signature: not an exhibition data file");
      return Report;
    }
    const std::int32_t count = header.StoredListCount();
    if (count < 0 || count > kMaxListCount) {
      Problem("ListCount " + std::to_string(count) + " is outside 0 to " + std::to_string(kMaxListCount));
    }
    for (const TDirectoryEntry& entry : header.Directory()) {
      Lists.emplace_back();
      TCheckedList& list = Lists.back();
      list.Entry = entry;
      list.Label = "list " + std::to_string(Lists.size() - 1) + " (Id " + std::to_string(entry.Id) + ", '" +
                   DecodeName(entry.Name) + "')";
      CheckEntry(list);
    }
    CheckSceneLists();
    CheckScenesAndWorks();
    return Report;
  }

 private:
  void Problem(const std::string& text) { Report.Error(text); }
  void Problem(const TCheckedList& list, const std::string& text) { Report.Error(list.Label + ": " + text); }
  void Warn(const TCheckedList& list, const std::string& text) { Report.Warning(list.Label + ": " + text); }
  void Finding(const TCheckedList& list, const std::string& where, const TFinding& finding) {
    if (finding.Severity == TSeverity::Error) {
      Problem(list, where + ": " + finding.Text);
    } else {
      Warn(list, where + ": " + finding.Text);
    }
  }

  const TCheckedList* FirstWithId(std::int32_t id) const {
    for (const TCheckedList& list : Lists) {
      if (list.Entry.Id == id) return &list;
    }
    return nullptr;
  }

  void CheckEntry(TCheckedList& list) {
    const TDirectoryEntry& e = list.Entry;
    if (e.Type != kListScene && e.Type != kListSound && e.Type != kListOpera) {
      Problem(list, "list type " + std::to_string(e.Type) + " is none the program uses");
    }
    if ((e.Type == kListSound || e.Type == kListOpera) && e.Id != e.UserId) {
      Problem(list, "Id " + std::to_string(e.Id) + " differs from UserId " + std::to_string(e.UserId) +
                        ", so the windows cannot load it from a listing");
    }
    const TCheckedList* first = FirstWithId(e.Id);
    if (first != &list) Problem(list, "its Id is taken by an earlier " + first->Label + ", so it is never loaded");

    const long long begin = e.Offset, size = e.Size;
    if (begin < kHeaderBlockSize || size < kListHeaderSize || begin + size > FileLength) {
      Problem(list, "blob at offset " + std::to_string(begin) + " of " + std::to_string(size) +
                        " bytes does not lie within the file after the header block (file is " +
                        std::to_string(FileLength) + " bytes)");
      return;
    }
    std::vector<std::uint8_t> blob(static_cast<std::size_t>(size));
    if (!Read(begin, blob.size(), blob.data())) {
      Problem(list, "cannot read its blob");
      return;
    }
    const bool whole = ParseBlob(list, blob);
    for (std::size_t i = 0; i < list.Chunks.size(); ++i) CheckChunk(list, i);
    if (whole) CheckListContent(list);
  }

  // Parses the records of a blob into list.Chunks; false, with the problem said, at the first
  // record that cannot be read. The records before it are kept for their content checks.
  bool ParseBlob(TCheckedList& list, const std::vector<std::uint8_t>& blob) {
    const std::uint8_t* bytes = blob.data();
    const std::int32_t id = ReadI32(blob, kListId), userId = ReadI32(blob, kListUserId);
    const int type = TByteView(blob).At(kListType);
    const std::string name = ReadText(blob, kListName, kTextFieldSize);
    if (id != list.Entry.Id || userId != list.Entry.UserId || type != list.Entry.Type || name != list.Entry.Name) {
      Problem(list, "its list header (Id " + std::to_string(id) + ", UserId " + std::to_string(userId) + ", Type " +
                        std::to_string(type) + ", '" + DecodeName(name) + "') disagrees with its directory entry");
    }
    const std::int32_t chunkCount = ReadI32(blob, kListChunkCount);
    if (chunkCount < 0) Problem(list, "ChunkCount " + std::to_string(chunkCount) + " is negative");

    std::size_t position = kListHeaderSize;
    const std::size_t size = blob.size();
    for (std::int32_t i = 0; i < chunkCount; ++i) {
      const std::string where = "record " + std::to_string(i) + " at blob offset " + std::to_string(position);
      if (size - position < std::size_t(kChunkHeaderSize)) {
        Problem(list, where + ": the blob ends before record " + std::to_string(i) + " of " +
                          std::to_string(chunkCount));
        return false;
      }
      if (!SameTextIgnoringCase(blob, position + kChunkMagic, kMagicFieldSize, kChunkMagicText)) {
        Problem(list, where + ": no GXCHUNK magic");
        return false;
      }
      const std::int32_t chunkType = ReadI32(blob, position + kChunkType);
      if (!IsParsedChunkType(chunkType)) {
        Problem(list, where + ": chunk type " + std::to_string(chunkType) + " is unknown to the reader");
        return false;
      }
      std::unique_ptr<TGXChunk> chunk = CreateChunk(chunkType);
      const std::size_t fixedAt = position + kChunkHeaderSize;
      std::int32_t consumed = chunk->ReadFromBuffer(bytes + fixedAt, size - fixedAt);
      if (consumed == TGXChunk::kRecordDoesNotFit) {
        Problem(list, where + ": the record runs past the end of the blob");
        return false;
      }
      if (consumed <= 0) {
        Problem(list, where + ": a chunk of type " + std::to_string(chunkType) + " without data (DataLength " +
                          std::to_string(chunk->DataLength) + ")");
        return false;
      }
      if (chunkType == kChunkVrmlShape) consumed -= kChunkHeaderSize;
      position = fixedAt + std::size_t(consumed);
      list.Chunks.push_back(std::move(chunk));
    }
    if (position != size) {
      Problem(list, std::to_string(size - position) + " bytes after its last record; records must fill the blob");
    }
    list.Parsed = true;
    return true;
  }

  // Inflates a zlib stream; false (with a problem) when it does not inflate completely.
  bool Inflate(const TCheckedList& list, const std::string& where, const TGXChunk& chunk, std::size_t cap,
               std::vector<std::uint8_t>& out) {
    std::int32_t length = chunk.DataLength;
    int result = 0;
    out = InflateBuffer(chunk.Data.data(), length, cap, &result);
    if (result == kInflateOk) return true;
    if (result == kInflateDataError && StreamPassesCap(chunk, cap)) {
      Problem(list, where + ": its zlib stream inflates to more than " + std::to_string(cap - 1) + " bytes");
    } else {
      Problem(list, where + ": its zlib stream does not inflate (" + InflateErrorText(result) + ")");
    }
    return false;
  }

  // True when the chunk's stream is sound as far as it goes and inflates to more than cap bytes;
  // false when it is corrupt or cut short before that.
  static bool StreamPassesCap(const TGXChunk& chunk, std::size_t cap) {
    z_stream stream;
    std::memset(&stream, 0, sizeof stream);
    if (inflateInit(&stream) != Z_OK) return false;
    stream.next_in = const_cast<Bytef*>(chunk.Data.data());
    stream.avail_in = static_cast<uInt>(chunk.Data.size());
    std::vector<std::uint8_t> sink(kInflateStep);
    std::size_t produced = 0;
    int code = Z_OK;
    while (produced <= cap) {
      stream.next_out = sink.data();
      stream.avail_out = static_cast<uInt>(sink.size());
      code = inflate(&stream, Z_NO_FLUSH);
      produced += sink.size() - stream.avail_out;
      if (code != Z_OK) break;
      if (stream.avail_out != 0 && stream.avail_in == 0) break;  // the input ran out
    }
    inflateEnd(&stream);
    return produced > cap && (code == Z_OK || code == Z_STREAM_END);
  }

  void CheckChunk(TCheckedList& list, std::size_t index) {
    const TGXChunk& chunk = *list.Chunks[index];
    const std::string where = "chunk " + std::to_string(index) + " '" + DecodeName(chunk.Name) + "'";
    std::vector<std::uint8_t> out;
    switch (chunk.GetType()) {
      case kChunkVrmlShape: {
        list.HasShape = true;
        list.LastShapeText.clear();
        if (!Inflate(list, where, chunk, kDefaultInflateCap, out)) return;
        list.LastShapeText.assign(out.begin(), out.end());
        if (!HasSceneHeader(list.LastShapeText)) Problem(list, where + ": the shape text has no Inventor or VRML header");
        const std::string headerLine = list.LastShapeText.substr(0, list.LastShapeText.find('\n'));
        if (headerLine.rfind("#Inventor", 0) == 0 && headerLine.find("binary") != std::string::npos) {
          Warn(list, where + ": the shape is binary Inventor, whose reader in Coin crashes or hangs on small damage; "
                             "pack the file again, and pack stores it as Inventor text");
        }
        return;
      }
      case kChunkImageRawRgba: {
        const auto& image = static_cast<const TGXChunkImageRawRgba&>(chunk);
        const int w = image.ImageWidth(), h = image.ImageHeight(), c = image.Components;
        if (w <= 0 || h <= 0 || c < 1 || c > 4) {
          Problem(list, where + ": texture of " + std::to_string(w) + " x " + std::to_string(h) + " pixels and " +
                            std::to_string(c) + " components");
          return;
        }
        if (!chunk.HasData()) {
          Problem(list, where + ": texture without data");
          return;
        }
        const std::size_t expected = std::size_t(w) * std::size_t(h) * std::size_t(c);
        if (expected >= std::size_t(std::numeric_limits<std::int32_t>::max())) {
          Problem(list, where + ": texture of " + std::to_string(expected) + " bytes is too large to load");
          return;
        }
        if (!Inflate(list, where, chunk, expected + 1, out)) return;
        if (out.size() != expected) {
          Problem(list, where + ": texture inflates to " + std::to_string(out.size()) + " bytes, " +
                            std::to_string(w) + " x " + std::to_string(h) + " x " + std::to_string(c) + " is " +
                            std::to_string(expected));
        } else if (w > kKioskTextureSide || h > kKioskTextureSide) {
          Warn(list, where + ": texture of " + std::to_string(w) + " x " + std::to_string(h) + " pixels, more than " +
                         std::to_string(kKioskTextureSide) + " a side: it costs the kiosk " +
                         std::to_string(expected >> 20) + " MB; pack it with a smaller --max-texture");
        }
        return;
      }
      case kChunkWav: {
        if (!Inflate(list, where, chunk, kDefaultInflateCap, out)) return;
        TFinding finding;
        if (out.size() % 2 != 0) {
          Problem(list, where + ": an odd number of sample bytes for 16-bit samples");
        } else if (list.Entry.Type == kListSound && !CheckSound(out, finding)) {
          Finding(list, where, finding);
        }
        return;
      }
      case kChunkRtf:
      case kChunkWmv: {
        if (list.Entry.Type != kListOpera) return;
        TFinding finding;
        const bool fine = chunk.GetType() == kChunkRtf ? CheckNote(chunk.Data, finding) : CheckMovie(chunk.Data, finding);
        if (!fine) Finding(list, where, finding);
        return;
      }
      default:
        return;
    }
  }

  void CheckListContent(const TCheckedList& list) {
    const std::int32_t type = list.Entry.Type;
    if (type == kListSound) {
      if (list.Chunks.empty() || list.Chunks.front()->GetType() != kChunkWav) {
        Problem(list, "a sound list must start with a wave chunk");
      }
    } else if (type == kListOpera) {
      std::set<std::int32_t> notes, movies;
      for (std::size_t i = 0; i < list.Chunks.size(); ++i) {
        const TGXChunk& chunk = *list.Chunks[i];
        if (chunk.GetType() != kChunkRtf && chunk.GetType() != kChunkWmv) continue;
        const std::string where = "chunk " + std::to_string(i) + " '" + DecodeName(chunk.Name) + "'";
        if (chunk.Id != list.Entry.Id) {
          Problem(list, where + ": carries Id " + std::to_string(chunk.Id) + ", not its list's Id, so it cannot be opened");
        }
        std::set<std::int32_t>& seen = chunk.GetType() == kChunkRtf ? notes : movies;
        if (!seen.insert(chunk.UserId).second) {
          Problem(list, where + ": another " + (chunk.GetType() == kChunkRtf ? "note" : "movie") +
                            " of this list has UserId " + std::to_string(chunk.UserId) + ", so one of them cannot be opened");
        }
      }
    } else if (type == kListScene) {
      std::size_t shapes = 0;
      for (const auto& chunk : list.Chunks) shapes += chunk->GetType() == kChunkVrmlShape ? 1 : 0;
      if (shapes == 0) Problem(list, "a scene list without a shape chunk builds nothing");
      if (shapes > 1) Problem(list, std::to_string(shapes) + " shape chunks, but only the last one is read");
    }
  }

  void CheckSceneLists() {
    for (const std::int32_t id : {kModelListId, kWorksListId}) {
      const TCheckedList* list = FirstWithId(id);
      if (list == nullptr) {
        Problem("scene list " + std::to_string(id) + " is missing");
      } else if (list->Entry.Type != kListScene) {
        Problem(list->Label + ": the viewer loads it as a scene list, but its type is " + std::to_string(list->Entry.Type));
      }
    }
  }

  // The rooms and the works read with Coin as the viewer reads them, and every opera's work.
  void CheckScenesAndWorks() {
    auto sceneOf = [this](std::int32_t id) {
      TSceneList scene;
      const TCheckedList* list = FirstWithId(id);
      if (list != nullptr) scene.Label = list->Label;
      if (list != nullptr && list->Parsed && list->Entry.Type == kListScene) scene.Chunks = &list->Chunks;
      return scene;
    };
    std::vector<TOperaEntry> operas;
    for (const TCheckedList& list : Lists) {
      if (list.Entry.Type == kListOpera) operas.push_back({list.Entry.UserId, list.Label, DecodeName(list.Entry.Name)});
    }
    CheckScenes(sceneOf(kModelListId), sceneOf(kWorksListId), operas, Options, Report);
  }

  long long FileLength = 0;
  Reader Read;
  TCheckOptions Options;
  std::vector<TCheckedList> Lists;
  TCheckReport Report;
};

}  // namespace

TCheckReport CheckExhibitionFile(const std::string& path, const TCheckOptions& options) {
  TCheckReport report;
  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
  if (!file) {
    report.Error(path + ": cannot open: " + std::strerror(errno));
    return report;
  }
  struct stat st {};
  if (fstat(fileno(file.get()), &st) != 0 || !S_ISREG(st.st_mode)) {
    report.Error(path + ": not a regular file");
    return report;
  }
  const int fd = fileno(file.get());
  return TDataChecker(options).Run(static_cast<long long>(st.st_size), [fd](long long offset, std::size_t n, std::uint8_t* out) {
    std::size_t done = 0;
    while (done < n) {
      const ssize_t got = pread(fd, out + done, n - done, off_t(offset) + off_t(done));
      if (got <= 0) return false;
      done += std::size_t(got);
    }
    return true;
  });
}

TCheckReport CheckExhibitionBytes(const std::uint8_t* bytes, std::size_t length, const TCheckOptions& options) {
  if (bytes == nullptr) length = 0;
  return TDataChecker(options).Run(static_cast<long long>(length), [bytes, length](long long offset, std::size_t n, std::uint8_t* out) {
    if (offset < 0 || std::size_t(offset) > length || n > length - std::size_t(offset)) return false;
    if (n > 0) std::memcpy(out, bytes + offset, n);
    return true;
  });
}

std::vector<std::string> CheckDataFile(const std::string& path) { return CheckExhibitionFile(path).Lines(); }

std::vector<std::string> CheckDataBytes(const std::uint8_t* bytes, std::size_t length) {
  return CheckExhibitionBytes(bytes, length).Lines();
}
