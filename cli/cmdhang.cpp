// hang: a whole exhibition from a folder of pictures. Writes the rooms, the works and a pack
// manifest beside the output, then packs them exactly as pack does.
#include <QDir>
#include <QFileInfo>
#include <cstdio>

#include "args.h"
#include "commands.h"
#include "common/fileio.h"
#include "data/gxformat.h"
#include "hang/hangfolder.h"
#include "hang/hanglayout.h"
#include "hang/hangmanifest.h"
#include "hang/hangscene.h"
#include "hang/hangsize.h"
#include "hang/hangworks.h"
#include "manifest.h"

namespace {

const char kHelp[] =
    "Usage: pinacora-data hang FOLDER -o FILE [options]\n"
    "\n"
    "Makes a whole exhibition from a folder of pictures and 3D models. Every picture in it (JPEG,\n"
    "PNG, WebP, TIFF, BMP, GIF; subfolders are not searched) is a work, hung in a frame at its real\n"
    "size, its centre at eye height, round the walls of rooms on a compact plan (rows of at most\n"
    "three rooms, walked back and forth) in catalogue order: north, east, south, west; an end\n"
    "wall with a doorway, or in a room with models, stays bare. Every\n"
    "model (glTF/.glb, OBJ, PLY, STL, DAE, 3DS, FBX, Inventor .iv, VRML97 .wrl) is a work too: it\n"
    "stands on a plinth in a row down the middle of its room, its front (+Z as in glTF) towards\n"
    "the north wall; pictures its materials name (an OBJ's MTL, a glTF's images) are its own, not\n"
    "works. The camera's flight to a work ends in front of it with the whole work in view.\n"
    "\n"
    "  catalogo.csv or catalogo.json   titles, authors, years, sizes in cm and the order:\n"
    "                                  file;title;author;year;width;height;order (a header row\n"
    "                                  names the columns; ',' ';' or tab between them). Without\n"
    "                                  one, titles come from the pictures' own titles or their\n"
    "                                  file names, sizes from --height and each picture's shape.\n"
    "                                  A model's height is its catalogue height (its width is\n"
    "                                  its own), else --model-height. A picture keeps its own\n"
    "                                  shape: given width and height it is fitted inside them,\n"
    "                                  and a shape more than 3 % off the catalogue's is said.\n"
    "                                  Below 40 pixels per cm at its hung size a picture looks\n"
    "                                  blurred; hang says which.\n"
    "                                  A facing (fronte) column turns a model about the vertical\n"
    "                                  by that many degrees: one that shows its back wants 180,\n"
    "                                  one that shows a side 90 or -90 ('check --works' lists each\n"
    "                                  work's front direction).\n"
    "                                  Every mistake of the catalogue is told in one run.\n"
    "  STEM.rtf .docx .odt .md .txt    notes of the work STEM.jpg or STEM.glb ..., turned into RTF as\n"
    "                                  pack does;\n"
    "                                  \"STEM (Il restauro).rtf\"\n"
    "                                  is a note named \"Il restauro\"\n"
    "  STEM.wmv .mp4 .webm ...         its movies, named the same way\n"
    "  musica/ (or music/, audio/)     the background music, in name order\n"
    "\n"
    "Options:\n"
    "  --catalogue FILE     use this catalogue instead of the folder's own\n"
    "  --sources DIR        where the manifest, rooms and works go (default: FILE's name + .sources)\n"
    "  --per-room N         at most N works in one room (default 16)\n"
    "  --height CM          height of a picture the catalogue gives no size for (default 60)\n"
    "  --model-height CM    height of a model the catalogue gives no height for (default 50)\n"
    "  --max-texture PX     pictures larger than PX pixels a side are scaled down (default 1024)\n"
    "  --catalogue-size fit|height|width   a picture whose shape is not its catalogue size's is\n"
    "                       fitted inside it (fit, the default), or keeps its catalogue height\n"
    "                       or width, the other side following the picture\n"
    "  --max-works N        hang the first N works in catalogue order and name the rest (a data\n"
    "                       file lists at most 234 works, fewer with music)\n"
    "  --floor, --walls, --ceiling #RRGGBB|PICTURE   colour or tiled picture of each surface\n"
    "  --frames #RRGGBB     colour of the frames\n"
    "  --quiet, --progress  as for pack\n"
    "  --skip-bad           hang the other works when some cannot be (a model without faces,\n"
    "                       a picture no reader takes); without it nothing is written\n"
    "  --force              hang what can be read of a damaged picture (one cut short, a bad\n"
    "                       checksum), which is otherwise refused naming the file and the fault\n"
    "\n"
    "Limits: a data file holds at most 236 lists: the scene lists 110 (rooms) and 120 (works),\n"
    "one per work and one per piece of music. Names are stored in Windows-1252, or UTF-8 when it\n"
    "cannot hold them (the program shows them with Debian's fonts-noto-core), at most 255 bytes.\n"
    "FILE is replaced only when hanging succeeds. To adjust the result, edit the files in the sources folder (the models are entries of list\n"
    "120's \"models\", see pack --help) and run\n"
    "'pinacora-data pack DIR/manifest.json -o FILE'.\n"
    "Exits with 0 when the exhibition is written, 1 when it cannot be, 2 for a wrong command line.\n";

constexpr int kDefaultHeightCm = 60;
constexpr int kDefaultModelHeightCm = 50;

// What the command line asks for.
struct THangRequest {
  std::string Folder, Catalogue, Output, Sources;
  THangOptions Layout;
  int HeightCm = kDefaultHeightCm, ModelHeightCm = kDefaultModelHeightCm;
  THangManifestOptions Manifest;
  TRoomLook Look;
  bool Quiet = false, ProgressAsked = false;
  bool SkipBad = false, Force = false;
  TCatalogueSizeRule SizeRule = TCatalogueSizeRule::Fit;
  int MaxWorks = 0;  // 0: all
};

bool ParseSurface(const TArgs& args, const char* option, TSurface& surface, std::string& error) {
  const std::string value = args.Value(option);
  if (value.empty()) return true;
  if (ParseColour(value, surface.R, surface.G, surface.B)) return true;
  if (!FileExists(value)) {
    error = std::string(option) + " " + value + ": neither a colour #RRGGBB nor a picture file";
    return false;
  }
  surface.Texture = QFileInfo(QString::fromStdString(value)).absoluteFilePath().toStdString();
  return true;
}

bool ParsePositive(const TArgs& args, const char* option, int& value, int low, int high, std::string& error) {
  const std::string text = args.Value(option);
  if (text.empty()) return true;
  if (!ParseInt32(text, value) || value < low || value > high) {
    error = std::string(option) + " " + text + ": must be a whole number from " + std::to_string(low) + " to " +
            std::to_string(high);
    return false;
  }
  return true;
}

// The options after the folder and the output; false with the reason for a wrong value.
bool ReadOptions(const TArgs& args, THangRequest& request, std::string& error) {
  request.Folder = args.Positional[0];
  request.Catalogue = args.Value("--catalogue");
  request.Output = args.Value("-o");
  request.Sources = args.Value("--sources").empty() ? request.Output + ".sources" : args.Value("--sources");
  request.Quiet = args.Has("--quiet");
  request.ProgressAsked = args.Has("--progress");
  request.SkipBad = args.Has("--skip-bad");
  request.Force = args.Has("--force");
  if (!args.Value("--catalogue-size").empty() && !ParseCatalogueSizeRule(args.Value("--catalogue-size"), request.SizeRule)) {
    error = "--catalogue-size takes fit, height or width, not '" + args.Value("--catalogue-size") + "'";
    return false;
  }
  TRoomLook& look = request.Look;
  ParseColour("#7a5a40", look.Floor.R, look.Floor.G, look.Floor.B);    // oak
  ParseColour("#8c8378", look.Walls.R, look.Walls.G, look.Walls.B);    // warm grey, quiet behind colour
  ParseColour("#e8e4dc", look.Ceiling.R, look.Ceiling.G, look.Ceiling.B);
  if (!ParsePositive(args, "--per-room", request.Layout.PerRoom, 1, 200, error) ||
      !ParsePositive(args, "--height", request.HeightCm, 1, 2000, error) ||
      !ParsePositive(args, "--model-height", request.ModelHeightCm, 1, 2000, error) ||
      !ParsePositive(args, "--max-texture", request.Manifest.MaxTexture, 16, 16384, error) ||
      !ParsePositive(args, "--max-works", request.MaxWorks, 1, gx::kMaxListCount - 2, error) ||
      !ParseSurface(args, "--floor", look.Floor, error) || !ParseSurface(args, "--walls", look.Walls, error) ||
      !ParseSurface(args, "--ceiling", look.Ceiling, error)) {
    return false;
  }
  if (!args.Value("--frames").empty() && !ParseColour(args.Value("--frames"), look.FrameR, look.FrameG, look.FrameB)) {
    error = "--frames " + args.Value("--frames") + ": not a colour #RRGGBB";
    return false;
  }
  return true;
}

// The sources folder, with its textures/ and notes/, made when missing.
bool MakeSources(const std::string& path, QDir& sources, std::string& error) {
  sources.setPath(QString::fromStdString(path));
  if (!sources.mkpath("textures") || !sources.mkpath("notes")) {
    error = path + ": cannot make the folder";
    return false;
  }
  sources.setPath(sources.absolutePath());
  return true;
}

// The rooms and the works as Inventor text: sala.iv and opere.iv of the sources.
bool WriteScenes(const THangLayout& layout, const std::vector<THungWork>& works, const TRoomLook& look,
                 const QDir& sources, std::string& error) {
  return WriteTextFile(sources.filePath("sala.iv").toStdString(), RoomsScene(layout, look), error) &&
         WriteTextFile(sources.filePath("opere.iv").toStdString(), WorksScene(layout, works, look), error);
}

std::string Metres(double m) { return QString::number(m, 'f', 1).toStdString(); }

// Packs the manifest exactly as pack does and, unless quiet, tells what was hung and where the
// sources are.
int PackAndTell(const THangRequest& request, const std::string& manifestFile, const TFolder& folder,
                const THangLayout& layout) {
  // pack scales the models' pictures to hang's own limit.
  std::vector<std::string> packArgs = {manifestFile, "-o", request.Output, "--max-texture",
                                       std::to_string(request.Manifest.MaxTexture)};
  if (request.Quiet) packArgs.push_back("--quiet");
  if (request.Manifest.Progress) packArgs.push_back("--progress");
  if (request.Force) packArgs.push_back("--force");
  const int status = CommandPack(packArgs);
  if (status != 0 || request.Quiet) return status;
  std::printf("%s: %s in %zu room(s), %s m long, %s m deep, %s m high; %zu pieces of music\n",
              request.Output.c_str(), WorksSummary(folder).c_str(), layout.Rooms.size(), Metres(layout.PlanLength).c_str(),
              Metres(layout.PlanDepth).c_str(), Metres(layout.Height).c_str(), folder.Sounds.size());
  std::printf("sources in %s; after changing them: pinacora-data pack %s -o %s\n", request.Sources.c_str(),
              manifestFile.c_str(), request.Output.c_str());
  return 0;
}

}  // namespace

int CommandHang(const std::vector<std::string>& words) {
  const TArgs args = ParseArgs(words, {"-o", "--catalogue", "--sources", "--per-room", "--height", "--model-height",
                                       "--max-texture", "--catalogue-size", "--max-works", "--floor", "--walls",
                                       "--ceiling", "--frames"},
                               {"--quiet", "--progress", "--skip-bad", "--force"});
  if (args.Has("--help")) return PrintHelp(kHelp);
  if (!args.Error.empty() || args.Positional.size() != 1 || args.Value("-o").empty()) {
    return Refuse("hang", (args.Error.empty() ? "expects FOLDER -o FILE" : args.Error) + "\n\n" + kHelp, 2);
  }
  THangRequest request;
  std::string error;
  if (!ReadOptions(args, request, error)) return Refuse("hang", error, 2);

  TFolder folder;
  if (!ScanFolder(request.Folder, request.Catalogue, folder, error)) return Refuse("hang", error);
  std::vector<TWorkSize> measured = MeasureModels(folder, request.ModelHeightCm);
  // A work the curator gave that cannot be hung stops the run, unless the curator goes on knowingly.
  if (!folder.LeftOut.empty() && !request.SkipBad) return Refuse("hang", LeftOutRefusal(folder, "pinacora-data hang: "));
  if (folder.Works.empty()) return Refuse("hang", folder.Path + ": no pictures or models to hang");
  if (request.MaxWorks > 0 && folder.Works.size() > std::size_t(request.MaxWorks)) {
    folder.Notices.push_back(NotHungText(folder, std::size_t(request.MaxWorks)));
    folder.Works.resize(std::size_t(request.MaxWorks));
    measured.resize(std::size_t(request.MaxWorks));
  }
  if (!FitsOneFile(folder, error)) return Refuse("hang", error);
  const std::vector<THungWork> works = SizeWorks(folder, measured, request.HeightCm, request.SizeRule);
  const THangLayout layout = LayOut(SizesOf(works), request.Layout);

  // The sources: everything pack needs, which the curator may adjust and pack again.
  QDir sources;
  if (!MakeSources(request.Sources, sources, error) || !WriteScenes(layout, works, request.Look, sources, error)) {
    return Refuse("hang", error);
  }
  request.Manifest.Progress = request.ProgressAsked || (!request.Quiet && folder.Works.size() > 40);
  TManifest manifest;
  const std::string manifestFile = sources.filePath("manifest.json").toStdString();
  if (!HangManifest(folder, layout, works, request.Look, request.Manifest, sources, manifest, error) ||
      !WriteManifest(manifest, manifestFile, error)) {
    return Refuse("hang", error);
  }
  if (!request.Quiet) {
    for (const std::string& notice : folder.Notices) std::fprintf(stderr, "pinacora-data hang: %s\n", notice.c_str());
  }
  return PackAndTell(request, manifestFile, folder, layout);
}
