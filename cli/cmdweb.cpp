// web: the exhibition as a static website, the same tour in any browser.
#include <cstdio>

#include "args.h"
#include "commands.h"
#include "check/datacheck.h"
#include "common/fileio.h"
#include "import/imageimport.h"
#include "web/sitebuilder.h"
#include "web/sitefolder.h"
#include "data/gxserializer.h"

namespace {

const char kHelp[] =
    "Usage: pinacora-data web FILE -o FOLDER [--title TEXT] [--max-texture N] [--force] [--quiet]\n"
    "\n"
    "Writes the exhibition in FILE as a static website in FOLDER: index.html, the scene as one\n"
    "glTF binary (scene.glb, every work a node named KD_<Id>), the tour (tour.json: the operas,\n"
    "where flights to them end, their notes as HTML, their movies, the music) and the page's own\n"
    "code with three.js. Nothing is fetched from anywhere else: any static web server serves\n"
    "FOLDER as it is (for a try on this machine: python3 -m http.server -d FOLDER).\n"
    "\n"
    "The page shows the exhibition at eye height; a click or tap on a work, or a choice in the\n"
    "operas list, flies to it as the kiosk does; autoplay moves on every 20 seconds; the music\n"
    "starts at the visitor's first click. Every work has its own address: index.html#opera/301.\n"
    "\n"
    "  --title TEXT     the page's title (default \"Pinacora\")\n"
    "  --max-texture N  pictures with a side longer than N pixels (default 2048) are scaled down\n"
    "  --force          write the site even when 'pinacora-data check' finds errors in FILE\n"
    "  --quiet          leave out the summary and the remarks\n"
    "\n"
    "Pictures become JPEG, or PNG where they have transparency. Sounds become Ogg Vorbis. MP4 and\n"
    "WebM movies are kept as they are; WMV, AVI and MPEG ones are converted to MP4 (H.264/AAC)\n"
    "with ffmpeg (the Debian package \"ffmpeg\"), or, without it, offered for download.\n"
    "\n"
    "FILE is checked first as 'pinacora-data check' does; every problem is printed, and on an\n"
    "error nothing is written unless --force. An existing FOLDER is replaced only when it is a\n"
    "site that web wrote before (it holds the file .pinacora-web); any other folder or file is\n"
    "never touched. The site is written beside FOLDER and moved into place at the end.\n"
    "\n"
    "Exit status: 0 when the site was written, 1 when FILE or FOLDER was refused or a file could\n"
    "not be written, 2 for a command line that cannot be understood.\n";

bool HasExhibitionSignature(const std::string& file) {
  std::FILE* stream = std::fopen(file.c_str(), "rb");
  if (stream == nullptr) return false;
  THeaderBlock header;
  const bool read = header.Read(stream);
  std::fclose(stream);
  return read && header.SignatureMatches();
}

// Prints every finding of the check; false when it found an error and the curator did not force.
bool CheckBeforeWriting(const std::string& file, bool force) {
  const TCheckReport report = CheckExhibitionFile(file);
  for (const std::string& line : report.Lines()) std::fprintf(stderr, "pinacora-data web: %s: %s\n", file.c_str(), line.c_str());
  const int errors = report.Count(TSeverity::Error);
  if (errors == 0) return true;
  if (force) {
    std::fprintf(stderr, "pinacora-data web: %s: %d error%s, written all the same as --force asks\n", file.c_str(),
                 errors, errors == 1 ? "" : "s");
    return true;
  }
  std::fprintf(stderr, "pinacora-data web: %s: %d error%s, so no site is written (--force writes it anyway)\n",
               file.c_str(), errors, errors == 1 ? "" : "s");
  return false;
}

void PrintSummary(const std::string& folder, const TSiteSummary& summary) {
  std::printf("%s: %zu of %zu operas in the scene, %zu triangles, %zu pictures", folder.c_str(), summary.Works,
              summary.Operas, summary.Triangles, summary.Pictures);
  if (summary.PicturesScaled > 0) std::printf(" (%d scaled down)", summary.PicturesScaled);
  std::printf(", %zu notes, %zu movies", summary.Notes, summary.Movies);
  if (summary.MoviesForDownload > 0) std::printf(" (%zu for download only)", summary.MoviesForDownload);
  std::printf(", %zu sounds\n", summary.Sounds);
}

}  // namespace

int CommandWeb(const std::vector<std::string>& words) {
  const TArgs args = ParseArgs(words, {"-o", "--title", "--max-texture"}, {"--force", "--quiet"});
  if (args.Has("--help")) return PrintHelp(kHelp);
  const std::string folder = args.Value("-o");
  if (!args.Error.empty() || args.Positional.size() != 1 || folder.empty()) {
    return Refuse("web", (args.Error.empty() ? "expects FILE -o FOLDER" : args.Error) + "\n\n" + kHelp, 2);
  }
  TSiteOptions options;
  if (args.Values.count("--title") != 0) options.Title = args.Value("--title");
  if (args.Values.count("--max-texture") != 0 &&
      (!ParseInt32(args.Value("--max-texture"), options.MaxTextureSide) || options.MaxTextureSide < 16 ||
       options.MaxTextureSide > kMaxTextureSide)) {
    return Refuse("web", "--max-texture takes a number of pixels from 16 to " + std::to_string(kMaxTextureSide) +
                             ", not '" + args.Value("--max-texture") + "'", 2);
  }
  const std::string& file = args.Positional[0];
  if (!FileExists(file)) return Refuse("web", file + ": no such file");
  const std::string page = FindPageFiles();
  if (page.empty()) {
    return Refuse("web", "the page's own files are missing: they belong beside this program (pinacora-web/) or in "
                         "share/pinacora/web of its installation; build or install pinacora-data again");
  }
  std::string error;
  if (!SitePlaceUsable(folder, error)) return Refuse("web", error);
  if (!CheckBeforeWriting(file, args.Has("--force"))) return 1;
  // Even --force cannot make a site of a file that is no exhibition file at all.
  if (!HasExhibitionSignature(file)) return Refuse("web", file + ": its signature is wrong; it is no exhibition file");

  std::string staging;
  if (!BeginSite(folder, staging, error)) return Refuse("web", error);
  TSiteSummary summary;
  if (!BuildSiteContent(file, staging, options, summary, error) ||
      !CopyPageFiles(page, staging, options.Title, error) || !FinishSite(staging, folder, error)) {
    AbandonSite(staging);
    return Refuse("web", error);
  }
  if (!args.Has("--quiet")) {
    for (const std::string& remark : summary.Remarks) std::fprintf(stderr, "pinacora-data web: %s\n", remark.c_str());
    PrintSummary(folder, summary);
  }
  return 0;
}
