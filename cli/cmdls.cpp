// ls: the directory of a data file, one tab-separated line per entry; or one opera's notes and
// movies, with the INDEX that extract takes.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <sys/stat.h>

#include "args.h"
#include "commands.h"
#include "data/cp1252.h"
#include "data/gxchunklist.h"
#include "data/gxformat.h"
#include "data/gxserializer.h"

namespace {
const char kHelp[] =
    "Usage: pinacora-data ls FILE [ID] [--raw]\n"
    "\n"
    "Without ID: a header line, then one tab-separated line per directory entry:\n"
    "index, Type, Id, UserId, Size, Offset, Name.\n"
    "With the ID of an opera: a header line, then one line per note and movie of that opera:\n"
    "INDEX (as 'pinacora-data extract FILE ID INDEX -o OUT' takes it), Kind (note or movie),\n"
    "UserId, Name.\n"
    "Names are shown as UTF-8; --raw prints the bytes stored (Windows-1252, or UTF-8 for a name\n"
    "Windows-1252 cannot hold).\n"
    "Exit status: 0 when listed, 1 when FILE cannot be read as a data file or has no opera ID,\n"
    "2 for a wrong command line.\n";

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};

std::string Shown(const std::string& name, bool raw) { return raw ? name : DecodeName(name); }

int ListOpera(const std::string& path, std::int32_t id, bool raw) {
  const std::unique_ptr<TGXChunkList> list = TGXSerializer::ReadFromFile(path, id);
  if (!list) return Refuse("ls", path + ": no list with Id " + std::to_string(id) + " can be read");
  if (list->Type != gx::kListOpera) {
    return Refuse("ls", path + ": list " + std::to_string(id) + " is of type " + std::to_string(list->Type) +
                            ", not an opera (4); 'pinacora-data dump " + path + " " + std::to_string(id) +
                            "' shows its chunks");
  }
  std::printf("INDEX\tKind\tUserId\tName\n");
  for (std::int32_t i = 0; i < list->GetCount(); ++i) {
    const TGXChunk* chunk = list->GetChunk(i);
    const char* kind = chunk->GetType() == gx::kChunkRtf ? "note" : chunk->GetType() == gx::kChunkWmv ? "movie" : nullptr;
    if (kind != nullptr) std::printf("%d\t%s\t%d\t%s\n", i, kind, chunk->UserId, Shown(chunk->Name, raw).c_str());
  }
  return 0;
}
}  // namespace

int CommandLs(const std::vector<std::string>& words) {
  const TArgs args = ParseArgs(words, {}, {"--raw"});
  if (args.Has("--help")) return PrintHelp(kHelp);
  int id = 0;
  if (!args.Error.empty() || args.Positional.empty() || args.Positional.size() > 2 ||
      (args.Positional.size() == 2 && !ParseInt32(args.Positional[1], id))) {
    return Refuse("ls", (args.Error.empty() ? "expects FILE and perhaps an opera ID" : args.Error) + "\n\n" + kHelp, 2);
  }
  const std::string& path = args.Positional[0];
  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
  if (!file) return Refuse("ls", path + ": " + std::strerror(errno));
  struct stat st {};
  if (fstat(fileno(file.get()), &st) != 0 || !S_ISREG(st.st_mode)) return Refuse("ls", path + ": not a regular file");
  THeaderBlock header;
  header.Read(file.get());
  if (!header.SignatureMatches()) return Refuse("ls", path + ": not an exhibition data file (wrong signature)");
  const bool raw = args.Has("--raw");
  if (args.Positional.size() == 2) return ListOpera(path, id, raw);

  const std::int32_t stored = header.StoredListCount();
  if (stored < 0) return Refuse("ls", path + ": ListCount " + std::to_string(stored) + " is negative, so the directory lists nothing");
  if (stored > gx::kMaxListCount) {
    std::fprintf(stderr, "pinacora-data ls: %s: ListCount %d, only the first %d entries fit\n", path.c_str(), stored,
                 gx::kMaxListCount);
  }
  std::printf("index\tType\tId\tUserId\tSize\tOffset\tName\n");
  int index = 0;
  for (const TDirectoryEntry& e : header.Directory()) {
    std::printf("%d\t%d\t%d\t%d\t%d\t%d\t%s\n", index++, e.Type, e.Id, e.UserId, e.Size, e.Offset, Shown(e.Name, raw).c_str());
  }
  return 0;
}
