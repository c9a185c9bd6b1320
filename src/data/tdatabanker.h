// The windows' single access point to the exhibition data file. It keeps only the file name:
// every request opens the file again and reads what it needs.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "gxchunklist.h"
#include "memorystream.h"

class SoNode;
struct TTextureFillOptions;

struct TagInfo {
  std::int32_t Id = 0;
  std::int32_t UserId = 0;
  std::int32_t Type = 0;
  std::string Caption;  // chunk listings: the chunk's Name
  std::string Name;     // directory listings: the entry's Name
};
using TVecInfos = std::vector<TagInfo>;

class TDataBanker {
 public:
  // Shows the fatal message (caption, text); the banker then ends the program abnormally.
  using FatalHandler = std::function<void(const std::string& caption, const std::string& text)>;
  // Answers the folder for the temporary movie file, creating it private to the user, or an
  // empty text when there is none.
  using FolderProvider = std::function<std::string()>;

  static constexpr const char* kFatalCaption = "Pinacora Errore :";
  static constexpr const char* kFatalText = "Errore fatale: file di dati errato\nL'applicazione verra` terminata!";
  static constexpr const char* kMovieFileName = "kdtemp.wmv";

  explicit TDataBanker(std::string fileName) : FileName(std::move(fileName)) {}

  // The list with this directory Id, owned by the caller; null when the file cannot be opened,
  // its signature is wrong or no entry has the Id (all silent).
  std::unique_ptr<TGXChunkList> GetChunkList(std::int32_t Id) const;
  // Append one record per directory entry of the sound (3) or opera (4) type, in directory order.
  // A wrong signature is fatal.
  void ListSounds(TVecInfos& infos) const;
  void ListOperas(TVecInfos& infos) const;
  // The scene graph built from a scene list, or null (the viewer builds it).
  SoNode* BuildScene(std::int32_t Id) const;
  // The same, with a say in how the pictures are filled in (the packed bytes are always released).
  SoNode* BuildScene(std::int32_t Id, const TTextureFillOptions& options) const;
  // Append the opera list's movie chunks to movies and its note chunks to notes, in chunk order.
  void ListOperaItems(std::int32_t Id, TVecInfos& movies, TVecInfos& notes) const;
  // Writes the first movie chunk with this UserId to the temporary movie file and answers its
  // path ("/" separators); empty when there is no such chunk. Throws EFCreateError when the file
  // cannot be written.
  std::string ExtractMovie(std::int32_t Id, std::int32_t UserId) const;
  // A new stream holding the last note chunk with this UserId, positioned at 0, or null.
  std::unique_ptr<TMemoryStream> GetNoteStream(std::int32_t Id, std::int32_t UserId) const;

  const std::string& GetFileName() const { return FileName; }

  // The program shows the fatal message in a message box, the tool on standard error. Without a
  // handler the message goes to standard error.
  static void SetFatalHandler(FatalHandler handler);
  static void SetMovieFolderProvider(FolderProvider provider);
  // The default folder: $XDG_CACHE_HOME/pinacora or ~/.cache/pinacora, created with mode 0700.
  static std::string DefaultMovieFolder();

 private:
  void ListByType(std::int32_t type, TVecInfos& infos) const;
  [[noreturn]] static void Fatal();

  std::string FileName;
};
