// check: everything the program relies on, one line per problem; errors and warnings apart.
#include <cstdio>

#include "args.h"
#include "commands.h"
#include "check/datacheck.h"
#include "common/isolated.h"
#include "check/workcost.h"

namespace {
const char kHelp[] =
    "Usage: pinacora-data check FILE [--strict] [--works]\n"
    "\n"
    "Reads FILE as the program will and prints one line per problem, naming the list, the chunk\n"
    "and, for shapes, the line. Errors are what the program would show broken, or not at all:\n"
    "a damaged directory, blob, record or zlib stream; shapes Coin cannot read (each read in a\n"
    "child process, so that a shape that crashes or hangs Coin is reported, not obeyed); scene\n"
    "lists 110 and 120 missing; an opera without its face set KD_<Id> in list 120, a face set\n"
    "without its opera, a KD_ name whose tail is not the number; a work the browser cannot fly\n"
    "to (no Coordinate3 before it, vertices only in a VertexProperty, no facing direction);\n"
    "textures that fill no Texture2 node; notes the info window cannot show as written (not\n"
    "RTF, RTF after a byte-order mark, UTF-8 text, pictures, documents); movies that are not\n"
    "ASF/WMV, MP4, Matroska/WebM, AVI or MPEG; ids the windows cannot follow.\n"
    "\n"
    "Warnings start with \"warning:\": works without area (seen from the default distance 6.0)\n"
    "or facing straight up, texture nodes left empty, textures over 2048 pixels a side, notes\n"
    "in plain text, sounds shorter than the 130 ms fade-in or silent, binary Inventor shapes.\n"
    "\n"
    "  --strict   count warnings as errors\n"
    "  --works    then print one line per work: where flights aim, the direction it faces, the\n"
    "             distance flights keep, and its front as degrees about the vertical (as a\n"
    "             model's \"facing\" in a manifest: 0 = +Z, 90 = +X, 180 = the north wall hang\n"
    "             turns models towards)\n"
    "\n"
    "What each work costs to draw (\"work 301: 1200 faces, 196608 texture bytes\") goes to\n"
    "standard error.\n"
    "\n"
    "Exit status: 0 when there is no error (warnings are printed), 1 when there is one (or a\n"
    "warning, with --strict), 2 for a wrong command line.\n";
}  // namespace

int CommandCheck(const std::vector<std::string>& words) {
  const TArgs args = ParseArgs(words, {}, {"--strict", "--works"});
  if (args.Has("--help")) return PrintHelp(kHelp);
  if (!args.Error.empty() || args.Positional.size() != 1) {
    return Refuse("check", (args.Error.empty() ? "expects one FILE" : args.Error) + "\n\n" + kHelp, 2);
  }
  const std::string& path = args.Positional[0];
  const TCheckReport report = CheckExhibitionFile(path);
  for (const std::string& line : report.Lines()) std::printf("%s\n", line.c_str());
  if (args.Has("--works")) {
    for (const std::string& line : report.Works) std::printf("%s\n", line.c_str());
  }
  // Measuring the works reads the shapes again: in a child, so that a shape which crashes or hangs
  // Coin (already reported above) cannot take the check down with it.
  const TIsolatedRun costs = RunIsolated(
      [&path] {
        std::string lines;
        for (const std::string& cost : DescribeWorkCosts(path)) lines += cost + "\n";
        return lines;
      },
      TCheckOptions().SceneSeconds);
  if (costs.How == TIsolatedRun::End::Finished) std::fputs(costs.Output.c_str(), stderr);
  const int errors = report.Count(TSeverity::Error);
  const int warnings = report.Count(TSeverity::Warning);
  if (errors + warnings > 0) {
    std::fflush(stdout);
    std::fprintf(stderr, "pinacora-data check: %s: %d error%s, %d warning%s\n", path.c_str(), errors,
                 errors == 1 ? "" : "s", warnings, warnings == 1 ? "" : "s");
  }
  return errors > 0 || (args.Has("--strict") && warnings > 0) ? 1 : 0;
}
