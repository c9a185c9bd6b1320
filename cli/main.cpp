// pinacora-data: packs, lists, dumps, checks and extracts exhibition data files.
#include <QCoreApplication>
#include <cstdio>
#include <string>
#include <vector>

#include "commands.h"

namespace {

const char kUsage[] =
    "Usage: pinacora-data COMMAND [ARGUMENTS]\n"
    "\n"
    "Commands:\n"
    "  ls FILE [ID]                 list the directory, or one opera's notes and movies\n"
    "  dump FILE ID                 describe one list as the program's debug dump does\n"
    "  pack MANIFEST -o FILE        write a data file from a JSON manifest\n"
    "  check FILE                   check everything the program relies on\n"
    "  extract FILE ID INDEX -o OUT write one chunk in a usable form\n"
    "  hang FOLDER -o FILE          make a whole exhibition from a folder of pictures\n"
    "  web FILE -o FOLDER           write the exhibition as a static website\n"
    "\n"
    "'pinacora-data COMMAND --help' tells more about each command.\n";

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> words(argv + 1, argv + argc);
  // Images are read through Qt's plugins, which need an application object; no display is used.
  int qtArgc = 1;
  QCoreApplication application(qtArgc, argv);

  if (words.empty() || words[0] == "-h" || words[0] == "--help" || words[0] == "help") {
    std::fputs(kUsage, words.empty() ? stderr : stdout);
    return words.empty() ? 2 : 0;
  }
  const std::string& command = words[0];
  const std::vector<std::string> args(words.begin() + 1, words.end());
  if (command == "ls") return CommandLs(args);
  if (command == "dump") return CommandDump(args);
  if (command == "pack") return CommandPack(args);
  if (command == "check") return CommandCheck(args);
  if (command == "extract") return CommandExtract(args);
  if (command == "hang") return CommandHang(args);
  if (command == "web") return CommandWeb(args);
  std::fprintf(stderr, "pinacora-data: unknown command '%s'\n\n%s", command.c_str(), kUsage);
  return 2;
}
