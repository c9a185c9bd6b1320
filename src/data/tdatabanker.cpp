#include "tdatabanker.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

#include "gxformat.h"
#include "gxserializer.h"

using namespace gx;

namespace {

TDataBanker::FatalHandler& FatalHandlerSlot() {
  static TDataBanker::FatalHandler handler;
  return handler;
}

TDataBanker::FolderProvider& FolderProviderSlot() {
  static TDataBanker::FolderProvider provider;
  return provider;
}

// Creates every missing folder of path; the last one private to the user.
bool MakePrivateFolder(const std::string& path) {
  if (path.empty()) return false;
  for (std::size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1)) {
    const std::string part = path.substr(0, slash);
    if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return false;
  }
  if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) return false;
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::getuid()) return false;
  // A folder that others may enter is closed to them.
  if ((st.st_mode & 077) != 0 && ::chmod(path.c_str(), 0700) != 0) return false;
  return true;
}

}  // namespace

void TDataBanker::SetFatalHandler(FatalHandler handler) { FatalHandlerSlot() = std::move(handler); }

void TDataBanker::SetMovieFolderProvider(FolderProvider provider) { FolderProviderSlot() = std::move(provider); }

std::string TDataBanker::DefaultMovieFolder() {
  std::string base;
  if (const char* cache = std::getenv("XDG_CACHE_HOME"); cache != nullptr && cache[0] == '/') {
    base = cache;
  } else if (const char* home = std::getenv("HOME"); home != nullptr && home[0] == '/') {
    base = std::string(home) + "/.cache";
  } else {
    return {};
  }
  const std::string folder = base + "/pinacora";
  return MakePrivateFolder(folder) ? folder : std::string();
}

void TDataBanker::Fatal() {
  if (FatalHandlerSlot()) {
    FatalHandlerSlot()(kFatalCaption, kFatalText);
  } else {
    std::fprintf(stderr, "%s %s\n", kFatalCaption, kFatalText);
  }
  std::fputs("Abnormal program termination\n", stderr);
  std::fflush(stderr);
  ::_exit(3);
}

std::unique_ptr<TGXChunkList> TDataBanker::GetChunkList(std::int32_t Id) const {
  return TGXSerializer::ReadFromFile(FileName, Id);
}

void TDataBanker::ListByType(std::int32_t type, TVecInfos& infos) const {
  std::FILE* file = std::fopen(FileName.c_str(), "rb");
  if (file == nullptr) return;
  THeaderBlock header;
  const bool read = header.Read(file);
  std::fclose(file);
  if (!read) return;  // as a file that cannot be opened: nothing listed, no message
  if (!header.SignatureMatches()) Fatal();
  for (const TDirectoryEntry& entry : header.Directory()) {
    if (entry.Type != type) continue;
    TagInfo info;
    info.Id = entry.UserId;
    info.Name = entry.Name;
    infos.push_back(std::move(info));
  }
}

void TDataBanker::ListSounds(TVecInfos& infos) const { ListByType(kListSound, infos); }

void TDataBanker::ListOperas(TVecInfos& infos) const { ListByType(kListOpera, infos); }

void TDataBanker::ListOperaItems(std::int32_t Id, TVecInfos& movies, TVecInfos& notes) const {
  const std::unique_ptr<TGXChunkList> list = GetChunkList(Id);
  if (!list) return;
  for (std::int32_t i = 0; i < list->GetCount(); ++i) {
    const TGXChunk* chunk = list->GetChunk(i);
    if (chunk->GetType() != kChunkWmv && chunk->GetType() != kChunkRtf) continue;
    TagInfo info;
    info.Id = chunk->Id;
    info.UserId = chunk->UserId;
    info.Type = chunk->GetType();
    info.Caption = chunk->Name;
    (chunk->GetType() == kChunkWmv ? movies : notes).push_back(std::move(info));
  }
}

std::string TDataBanker::ExtractMovie(std::int32_t Id, std::int32_t UserId) const {
  const std::unique_ptr<TGXChunkList> list = GetChunkList(Id);
  if (!list) return {};
  for (std::int32_t i = 0; i < list->GetCount(); ++i) {
    const TGXChunk* chunk = list->GetChunk(i);
    if (chunk->GetType() != kChunkWmv || chunk->UserId != UserId) continue;
    const std::string folder = FolderProviderSlot() ? FolderProviderSlot()() : DefaultMovieFolder();
    std::string path = folder.empty() ? std::string() : folder + "/" + kMovieFileName;
    for (char& c : path) {
      if (c == '\\') c = '/';
    }
    static_cast<const TGXChunkWmv*>(chunk)->SaveToFile(path);
    return path;
  }
  return {};
}

std::unique_ptr<TMemoryStream> TDataBanker::GetNoteStream(std::int32_t Id, std::int32_t UserId) const {
  const std::unique_ptr<TGXChunkList> list = GetChunkList(Id);
  if (!list) return nullptr;
  std::unique_ptr<TMemoryStream> result;
  for (std::int32_t i = 0; i < list->GetCount(); ++i) {
    const TGXChunk* chunk = list->GetChunk(i);
    if (chunk->GetType() == kChunkRtf && chunk->UserId == UserId && chunk->HasData() && chunk->DataLength != 0) {
      result = std::make_unique<TMemoryStream>(chunk->Data);
    }
  }
  return result;
}
