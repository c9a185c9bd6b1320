// A whole data file from untrusted bytes: the directory listings (whose fatal end for a wrong
// signature is turned into an exception here), then every list of the directory by its Id through
// the banker's operations.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>

#include "data/gxserializer.h"
#include "data/tdatabanker.h"

namespace {

struct WrongSignature {};

const std::string& Folder() {
  static const std::string folder = [] {
    char pattern[] = "/tmp/pinacora-fuzz-XXXXXX";
    const char* made = ::mkdtemp(pattern);
    if (made == nullptr) std::abort();
    return std::string(made);
  }();
  return folder;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  TDataBanker::SetFatalHandler([](const std::string&, const std::string&) { throw WrongSignature(); });
  TDataBanker::SetMovieFolderProvider([] { return Folder(); });
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string path = Folder() + "/kddata.bin";
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) std::abort();
  if (size > 0 && std::fwrite(data, size, 1, file) != 1) std::abort();
  std::fclose(file);

  THeaderBlock header;
  header.Assign(data, size);
  const std::vector<TDirectoryEntry> directory = header.Directory();
  if (directory.size() > 236) std::abort();

  TDataBanker banker(path);
  TVecInfos operas, sounds;
  try {
    banker.ListOperas(operas);
    banker.ListSounds(sounds);
  } catch (const WrongSignature&) {
    if (header.SignatureMatches()) std::abort();
  }

  // Each Id once: a damaged directory repeats Ids (all-zero entries) many times over.
  std::set<std::int32_t> ids;
  for (const TDirectoryEntry& entry : directory) ids.insert(entry.Id);
  for (const std::int32_t id : ids) {
    const std::unique_ptr<TGXChunkList> list = banker.GetChunkList(id);
    if (list && !header.SignatureMatches()) std::abort();
    if (!list) continue;
    std::string text;
    list->Dump(text);

    // The list read piece by piece from the file equals the list parsed from the whole blob.
    const TDirectoryEntry* first = nullptr;
    for (const TDirectoryEntry& entry : directory) {
      if (entry.Id == id) {
        first = &entry;
        break;
      }
    }
    std::FILE* blobFile = std::fopen(path.c_str(), "rb");
    std::vector<std::uint8_t> blob;
    if (blobFile == nullptr || !TGXSerializer::ReadBlob(blobFile, *first, blob)) std::abort();
    std::fclose(blobFile);
    TGXChunkList whole;
    whole.ReadFromBuffer(blob.data(), static_cast<std::int32_t>(blob.size()));
    std::string wholeText;
    whole.Dump(wholeText);
    if (wholeText != text || whole.GetCount() != list->GetCount()) std::abort();
    for (std::int32_t i = 0; i < whole.GetCount(); ++i) {
      if (whole.GetChunk(i)->Data != list->GetChunk(i)->Data) std::abort();
    }
    TVecInfos movies, notes;
    banker.ListOperaItems(id, movies, notes);
    for (const TagInfo& note : notes) banker.GetNoteStream(id, note.UserId);
    if (!movies.empty()) banker.ExtractMovie(id, movies.back().UserId);
  }
  return 0;
}
