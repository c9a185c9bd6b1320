// dump: one list described exactly as the chunk list's own Dump describes it.
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "args.h"
#include "commands.h"
#include "data/cp1252.h"
#include "data/gxserializer.h"

namespace {
const char kHelp[] =
    "Usage: pinacora-data dump FILE ID [--raw]\n"
    "\n"
    "Prints the Dump text of the list with directory Id ID, then one newline.\n"
    "Names are shown as UTF-8; --raw prints the bytes stored (Windows-1252, or UTF-8 for a name\n"
    "Windows-1252 cannot hold).\n"
    "Exits with 1 when the file holds no such list.\n";
}  // namespace

int CommandDump(const std::vector<std::string>& words) {
  const TArgs args = ParseArgs(words, {}, {"--raw"});
  if (args.Has("--help")) return PrintHelp(kHelp);
  int id = 0;
  if (!args.Error.empty() || args.Positional.size() != 2 || !ParseInt32(args.Positional[1], id)) {
    return Refuse("dump", (args.Error.empty() ? "expects FILE and a numeric ID" : args.Error) + "\n\n" + kHelp, 2);
  }
  const std::string& path = args.Positional[0];
  std::FILE* probe = std::fopen(path.c_str(), "rb");
  if (probe == nullptr) return Refuse("dump", path + ": " + std::strerror(errno));
  THeaderBlock header;
  header.Read(probe);
  std::fclose(probe);
  if (!header.SignatureMatches()) return Refuse("dump", path + ": not an exhibition data file (wrong signature)");

  const std::unique_ptr<TGXChunkList> list = TGXSerializer::ReadFromFile(path, id);
  if (!list) return Refuse("dump", path + ": no list with Id " + std::to_string(id));
  std::string text;
  list->Dump(text);
  if (!args.Has("--raw")) {
    // Each line holds at most one name, stored as Windows-1252 or, when that cannot hold it, UTF-8.
    std::string shown;
    std::size_t start = 0;
    while (start <= text.size()) {
      const std::size_t end = std::min(text.find('\n', start), text.size());
      shown += DecodeName(text.substr(start, end - start));
      if (end < text.size()) shown += '\n';
      start = end + 1;
    }
    text = std::move(shown);
  }
  text += '\n';
  std::fwrite(text.data(), 1, text.size(), stdout);
  return 0;
}
