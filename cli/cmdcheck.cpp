// check: everything the program relies on, one line per problem.
#include <cstdio>

#include "args.h"
#include "commands.h"
#include "datacheck.h"
#include "workcost.h"

namespace {
const char kHelp[] =
    "Usage: pinacora-data check FILE\n"
    "\n"
    "Checks the signature, the directory and every blob within the file, records that fill\n"
    "their blob exactly, Id equal to UserId for sound and opera lists, every zlib stream,\n"
    "texture sizes, the scene lists 110 and 120, a face set KD_<Id> in list 120 for every\n"
    "opera and an opera for every such face set, and a wave chunk first in every sound list.\n"
    "Prints one line per problem; exits with 0 when the file is clean, 1 otherwise.\n"
    "What each work costs to draw (\"work 301: 1200 faces, 196608 texture bytes\") goes to\n"
    "standard error.\n";
}  // namespace

int CommandCheck(const std::vector<std::string>& words) {
  const TArgs args = ParseArgs(words, {}, {});
  if (args.Has("--help")) return PrintHelp(kHelp);
  if (!args.Error.empty() || args.Positional.size() != 1) {
    return Refuse("check", (args.Error.empty() ? "expects one FILE" : args.Error) + "\n\n" + kHelp, 2);
  }
  const std::vector<std::string> problems = CheckDataFile(args.Positional[0]);
  for (const std::string& problem : problems) std::printf("%s\n", problem.c_str());
  for (const std::string& cost : DescribeWorkCosts(args.Positional[0])) std::fprintf(stderr, "%s\n", cost.c_str());
  return problems.empty() ? 0 : 1;
}
