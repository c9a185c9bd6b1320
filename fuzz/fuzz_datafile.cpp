// A whole data file from untrusted bytes: the directory listings (whose fatal end for a wrong
// signature is turned into an exception here), then every list of the directory by its Id through
// the banker's operations.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "gxserializer.h"
#include "tdatabanker.h"

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

  for (const TDirectoryEntry& entry : directory) {
    const std::unique_ptr<TGXChunkList> list = banker.GetChunkList(entry.Id);
    if (list && !header.SignatureMatches()) std::abort();
    if (!list) continue;
    std::string text;
    list->Dump(text);
    TVecInfos movies, notes;
    banker.ListOperaItems(entry.Id, movies, notes);
    for (const TagInfo& note : notes) banker.GetNoteStream(entry.Id, note.UserId);
    for (const TagInfo& movie : movies) banker.ExtractMovie(entry.Id, movie.UserId);
  }
  return 0;
}
