// ls: the directory of a data file, one tab-separated line per entry.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include "args.h"
#include "commands.h"
#include "cp1252.h"
#include "gxformat.h"
#include "gxserializer.h"

namespace {
const char kHelp[] =
    "Usage: pinacora-data ls FILE [--raw]\n"
    "\n"
    "Prints a header line, then one tab-separated line per directory entry:\n"
    "index, Type, Id, UserId, Size, Offset, Name.\n"
    "Names are shown as UTF-8; --raw prints them as the Windows-1252 bytes stored.\n";

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
}  // namespace

int CommandLs(const std::vector<std::string>& words) {
  const TArgs args = ParseArgs(words, {}, {"--raw"});
  if (args.Has("--help")) return PrintHelp(kHelp);
  if (!args.Error.empty() || args.Positional.size() != 1) {
    return Refuse("ls", (args.Error.empty() ? "expects one FILE" : args.Error) + "\n\n" + kHelp, 2);
  }
  const std::string& path = args.Positional[0];
  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
  if (!file) return Refuse("ls", path + ": " + std::strerror(errno));
  THeaderBlock header;
  header.Read(file.get());
  if (!header.SignatureMatches()) return Refuse("ls", path + ": not an exhibition data file (wrong signature)");
  const std::int32_t stored = header.StoredListCount();
  if (stored > gx::kMaxListCount) {
    std::fprintf(stderr, "pinacora-data ls: %s: ListCount %d, only the first %d entries fit\n", path.c_str(), stored,
                 gx::kMaxListCount);
  }
  std::printf("index\tType\tId\tUserId\tSize\tOffset\tName\n");
  int index = 0;
  for (const TDirectoryEntry& e : header.Directory()) {
    const std::string name = args.Has("--raw") ? e.Name : Cp1252ToUtf8(e.Name);
    std::printf("%d\t%d\t%d\t%d\t%d\t%d\t%s\n", index++, e.Type, e.Id, e.UserId, e.Size, e.Offset, name.c_str());
  }
  return 0;
}
