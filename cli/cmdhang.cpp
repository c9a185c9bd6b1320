// hang: a whole exhibition from a folder of pictures. Writes the rooms, the works and a pack
// manifest beside the output, then packs them exactly as pack does.
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cmath>
#include <cstdio>

#include "args.h"
#include "commands.h"
#include "data/cp1252.h"
#include "fileio.h"
#include "data/gxformat.h"
#include "hangfolder.h"
#include "hanglayout.h"
#include "hangscene.h"
#include "hangsize.h"
#include "imageimport.h"
#include "modelimport.h"

namespace {

const char kHelp[] =
    "Usage: pinacora-data hang FOLDER -o FILE [options]\n"
    "\n"
    "Makes a whole exhibition from a folder of pictures and 3D models. Every picture in it (JPEG,\n"
    "PNG, WebP, TIFF, BMP, GIF; subfolders are not searched) is a work, hung in a frame at its real\n"
    "size, its centre at eye height, along the walls of one or more rooms in catalogue order. Every\n"
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
    "                                  one that shows a side 90 or -90 (check lists each model's\n"
    "                                  front direction).\n"
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
    "  --floor, --walls, --ceiling #RRGGBB|PICTURE   colour or tiled picture of each surface\n"
    "  --frames #RRGGBB     colour of the frames\n"
    "  --quiet, --progress  as for pack\n"
    "  --skip-bad           hang the other works when some cannot be (a model without faces,\n"
    "                       a picture no reader takes); without it nothing is written\n"
    "  --max-works N        hang the first N works in catalogue order and name the rest (a data\n"
    "                       file lists at most 234 works, fewer with music)\n"
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

constexpr int kFirstWorkId = 1001;
constexpr int kFirstSoundId = 501;
constexpr double kDefaultHeightCm = 60;
constexpr double kDefaultModelHeightCm = 50;

// A name the data file can hold: Windows-1252, or UTF-8 when that cannot hold it, cut at a whole
// character to 255 bytes.
std::string StorableName(const std::string& utf8, const std::string& what, std::vector<std::string>& notices) {
  std::string bytes;
  if (EncodeName(utf8, bytes) && bytes.size() <= 255) return utf8;
  QString fixed = QString::fromStdString(utf8);
  std::string result = fixed.toStdString();
  while (!EncodeName(result, bytes) || bytes.size() > 255) {
    fixed.chop(fixed.size() > 1 && fixed.at(fixed.size() - 1).isLowSurrogate() ? 2 : 1);
    result = fixed.toStdString();
  }
  notices.push_back(what + ": name '" + utf8 + "' stored as '" + result + "' (at most 255 bytes)");
  return result;
}

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

// The texture a work is packed from: the picture itself when it is no larger than maxSide
// (pack turns it upright), otherwise an upright copy that size, written into textures/: scaling
// while decoding is much quicker than pack's smooth scaling of the whole picture.
bool TextureOf(const TFolderWork& work, int id, int maxSide, const QDir& sources, std::string& texture, std::string& error) {
  QImageReader reader(QString::fromStdString(work.File));
  reader.setAutoTransform(true);
  const QSize stored = reader.size();
  if (stored.isValid() && stored.width() <= maxSide && stored.height() <= maxSide) {
    texture = work.File;
    return true;
  }
  if (stored.width() > maxSide || stored.height() > maxSide) {
    // Scaling while decoding spares most of the work for large JPEGs.
    reader.setScaledSize(stored.scaled(maxSide, maxSide, Qt::KeepAspectRatio));
  }
  std::string faults;
  QImage image = ReadPicture(reader, faults);
  // A damaged picture is left to pack, which refuses it naming the fault (or keeps it, forced).
  if (!faults.empty()) {
    texture = work.File;
    return true;
  }
  if (image.isNull()) {
    error = work.File + ": cannot read the picture (" + reader.errorString().toStdString() + ")";
    return false;
  }
  const bool alpha = image.hasAlphaChannel();
  const QString name = QString("textures/%1.%2").arg(id).arg(alpha ? "png" : "jpg");
  QImageWriter writer(sources.filePath(name));
  if (!alpha) writer.setQuality(92);
  if (!writer.write(image)) {
    error = sources.filePath(name).toStdString() + ": cannot write (" + writer.errorString().toStdString() + ")";
    return false;
  }
  texture = sources.filePath(name).toStdString();
  return true;
}

QJsonObject Item(const QDir& sources, const std::string& file, const std::string& name) {
  QJsonObject item;
  if (!name.empty()) item.insert("name", QString::fromStdString(name));
  item.insert("file", sources.relativeFilePath(QString::fromStdString(file)));
  return item;
}

// The plinth of a model's manifest entry: it stands on the floor, its top at the model's base.
QJsonObject PlinthEntry(const TWorkPlacement& place, const TRoomLook& look) {
  const auto hex = [](double v) { return QString("%1").arg(int(std::lround(v * 255)), 2, 16, QChar('0')); };
  return QJsonObject{{"width", std::round(place.PlinthWidth * 1000) / 1000},
                     {"depth", std::round(place.PlinthDepth * 1000) / 1000},
                     {"height", std::round(place.Y * 1000) / 1000},
                     {"colour", "#" + hex(look.PlinthR) + hex(look.PlinthG) + hex(look.PlinthB)}};
}

std::string Metres(double m) { return QString::number(m, 'f', 1).toStdString(); }

}  // namespace

int CommandHang(const std::vector<std::string>& words) {
  const TArgs args = ParseArgs(words, {"-o", "--catalogue", "--sources", "--per-room", "--height", "--model-height",
                                       "--max-texture", "--catalogue-size", "--max-works",
                                       "--floor", "--walls", "--ceiling", "--frames"},
                               {"--quiet", "--progress", "--force", "--skip-bad"});
  if (args.Has("--help")) return PrintHelp(kHelp);
  const std::string output = args.Value("-o");
  if (!args.Error.empty() || args.Positional.size() != 1 || output.empty()) {
    return Refuse("hang", (args.Error.empty() ? "expects FOLDER -o FILE" : args.Error) + "\n\n" + kHelp, 2);
  }
  THangOptions options;
  int heightCm = int(kDefaultHeightCm), modelHeightCm = int(kDefaultModelHeightCm), maxTexture = 1024, maxWorks = 0;
  TRoomLook look;
  ParseColour("#7a5a40", look.Floor.R, look.Floor.G, look.Floor.B);    // oak
  ParseColour("#8c8378", look.Walls.R, look.Walls.G, look.Walls.B);    // warm grey, quiet behind colour
  ParseColour("#e8e4dc", look.Ceiling.R, look.Ceiling.G, look.Ceiling.B);
  std::string error;
  if (!ParsePositive(args, "--per-room", options.PerRoom, 1, 200, error) ||
      !ParsePositive(args, "--height", heightCm, 1, 2000, error) ||
      !ParsePositive(args, "--model-height", modelHeightCm, 1, 2000, error) ||
      !ParsePositive(args, "--max-texture", maxTexture, 16, 16384, error) ||
      !ParsePositive(args, "--max-works", maxWorks, 1, gx::kMaxListCount - 2, error) ||
      !ParseSurface(args, "--floor", look.Floor, error) || !ParseSurface(args, "--walls", look.Walls, error) ||
      !ParseSurface(args, "--ceiling", look.Ceiling, error)) {
    return Refuse("hang", error, 2);
  }
  TCatalogueSizeRule sizeRule = TCatalogueSizeRule::Fit;
  if (!args.Value("--catalogue-size").empty() && !ParseCatalogueSizeRule(args.Value("--catalogue-size"), sizeRule)) {
    return Refuse("hang", "--catalogue-size takes fit, height or width, not '" + args.Value("--catalogue-size") + "'", 2);
  }
  if (!args.Value("--frames").empty() && !ParseColour(args.Value("--frames"), look.FrameR, look.FrameG, look.FrameB)) {
    return Refuse("hang", "--frames " + args.Value("--frames") + ": not a colour #RRGGBB", 2);
  }

  TFolder folder;
  if (!ScanFolder(args.Positional[0], args.Value("--catalogue"), folder, error)) return Refuse("hang", error);
  // Models are read now for their shape (pack reads them again from the manifest); like a picture
  // no reader takes, one that cannot be read is left out with the reader's reason.
  std::vector<TWorkSize> modelSizes;
  {
    std::vector<TFolderWork> readable;
    for (TFolderWork& work : folder.Works) {
      TWorkSize size;
      if (work.WorkKind == TFolderWork::Kind::Model) {
        TManifestModel where;
        where.File = work.File;
        where.HasHeight = true;
        where.Height = float((work.HeightCm > 0 ? work.HeightCm : modelHeightCm) / 100);
        TModelPose pose;
        SbVec3f mean;
        std::string reason;
        if (!MeasureModel(work.File, where, pose, mean, reason)) {
          folder.LeftOut.push_back(QFileInfo(QString::fromStdString(work.File)).fileName().toStdString() +
                                   ": not a model this tool can read (" + reason + ")");
          continue;
        }
        size.Model = true;
        size.Width = std::max(0.01f, pose.Width);
        size.Height = pose.Height;
        size.Depth = std::max(0.01f, pose.Depth);
        size.MeanRight = mean[0];
        size.MeanFront = mean[1];
        size.MeanUp = -mean[2];
      }
      modelSizes.push_back(size);
      readable.push_back(std::move(work));
    }
    folder.Works = std::move(readable);
  }
  if (!folder.LeftOut.empty() && !args.Has("--skip-bad")) return Refuse("hang", LeftOutRefusal(folder, "pinacora-data hang: "));
  if (folder.Works.empty()) return Refuse("hang", folder.Path + ": no pictures or models to hang");
  if (maxWorks > 0 && folder.Works.size() > std::size_t(maxWorks)) {
    folder.Notices.push_back(NotHungText(folder, std::size_t(maxWorks)));
    folder.Works.resize(std::size_t(maxWorks));
    modelSizes.resize(std::size_t(maxWorks));
  }
  const std::size_t lists = 2 + folder.Works.size() + folder.Sounds.size();
  if (lists > std::size_t(gx::kMaxListCount)) {
    return Refuse("hang", folder.Path + ": " + std::to_string(folder.Works.size()) + " works and " +
                              std::to_string(folder.Sounds.size()) + " pieces of music need " + std::to_string(lists) +
                              " lists, but a data file holds at most " + std::to_string(gx::kMaxListCount) +
                              " (two of them the rooms); " + TooManyAdvice(folder, gx::kMaxListCount));
  }

  // Real sizes from the catalogue; otherwise the default height and the picture's own shape.
  std::vector<TWorkSize> sizes;
  std::vector<THungWork> hung;
  for (std::size_t i = 0; i < folder.Works.size(); ++i) {
    const TFolderWork& work = folder.Works[i];
    TWorkSize size;
    if (work.WorkKind == TFolderWork::Kind::Model) {
      size = modelSizes[i];
      sizes.push_back(size);
      hung.push_back({kFirstWorkId + int(i), work.Title, size});
      continue;
    }
    size = PictureSize(work, heightCm, sizeRule, folder.Notices);
    sizes.push_back(size);
    hung.push_back({kFirstWorkId + int(i), work.Title, size});
  }
  const THangLayout layout = LayOut(sizes, options);

  // The sources: everything pack needs, which the curator may adjust and pack again.
  const std::string sourcesPath = args.Value("--sources").empty() ? output + ".sources" : args.Value("--sources");
  QDir sources(QString::fromStdString(sourcesPath));
  if (!sources.mkpath("textures") || !sources.mkpath("notes")) {
    return Refuse("hang", sourcesPath + ": cannot make the folder");
  }
  sources.setPath(sources.absolutePath());
  const std::string roomsText = RoomsScene(layout, look);
  const std::string worksText = WorksScene(layout, hung, look);
  const std::string roomsFile = sources.filePath("sala.iv").toStdString();
  const std::string worksFile = sources.filePath("opere.iv").toStdString();
  if (!WriteWholeFile(roomsFile, reinterpret_cast<const std::uint8_t*>(roomsText.data()), roomsText.size(), error) ||
      !WriteWholeFile(worksFile, reinterpret_cast<const std::uint8_t*>(worksText.data()), worksText.size(), error)) {
    return Refuse("hang", error);
  }

  QJsonArray listArray;
  QJsonObject room{{"kind", "scene"}, {"id", 110}, {"name", "Sala"}, {"shape", "sala.iv"}};
  QJsonArray roomTextures;
  const std::pair<const TSurface*, const char*> surfaces[] = {
      {&look.Floor, kFloorTextureNode}, {&look.Walls, kWallsTextureNode}, {&look.Ceiling, kCeilingTextureNode}};
  for (const auto& surface : surfaces) {
    if (surface.first->Texture.empty()) continue;
    roomTextures.append(QJsonObject{{"node", surface.second},
                                    {"file", sources.relativeFilePath(QString::fromStdString(surface.first->Texture))}});
  }
  if (!roomTextures.isEmpty()) room.insert("textures", roomTextures);
  listArray.append(room);

  QJsonArray workTextures, models;
  const bool progress = args.Has("--progress") || (!args.Has("--quiet") && folder.Works.size() > 40);
  for (std::size_t i = 0; i < folder.Works.size(); ++i) {
    if (sizes[i].Model) {
      const TWorkPlacement& place = layout.Works[i];
      models.append(QJsonObject{{"file", sources.relativeFilePath(QString::fromStdString(folder.Works[i].File))},
                                {"work", hung[i].Id},
                                {"position", QJsonArray{std::round(place.X * 1000) / 1000, std::round(place.Y * 1000) / 1000,
                                              std::round(place.Z * 1000) / 1000}},
                                {"facing", std::fmod(180 + folder.Works[i].FacingDeg + 720, 360)},
                                {"height", std::round(sizes[i].Height * 1000) / 1000},
                                {"distance", std::ceil(place.ViewDistance * 100) / 100},
                                {"plinth", PlinthEntry(place, look)}});
      continue;
    }
    std::string texture;
    if (!TextureOf(folder.Works[i], hung[i].Id, maxTexture, sources, texture, error)) return Refuse("hang", error);
    workTextures.append(QJsonObject{{"node", QString("TEX_%1").arg(hung[i].Id)},
                                    {"file", sources.relativeFilePath(QString::fromStdString(texture))}});
    if (progress && (i + 1) % 25 == 0) {
      std::fprintf(stderr, "pinacora-data hang: [%zu/%zu] pictures prepared\n", i + 1, folder.Works.size());
    }
  }
  QJsonObject worksList{{"kind", "scene"}, {"id", 120}, {"name", "Opere"}, {"shape", "opere.iv"}};
  if (!workTextures.isEmpty()) worksList.insert("textures", workTextures);
  if (!models.isEmpty()) worksList.insert("models", models);
  listArray.append(worksList);

  for (std::size_t i = 0; i < folder.Sounds.size(); ++i) {
    const TAttachment& sound = folder.Sounds[i];
    listArray.append(QJsonObject{{"kind", "sound"}, {"id", kFirstSoundId + int(i)},
                                 {"name", QString::fromStdString(StorableName(sound.Name, sound.File, folder.Notices))},
                                 {"file", sources.relativeFilePath(QString::fromStdString(sound.File))}});
  }

  for (std::size_t i = 0; i < folder.Works.size(); ++i) {
    const TFolderWork& work = folder.Works[i];
    const int id = hung[i].Id;
    QJsonArray notes, movies;
    // A catalogue that tells more than the title gives the work its label.
    if (!work.Author.empty() || !work.Year.empty() || work.WidthCm > 0 || work.HeightCm > 0) {
      std::string label = work.Title + "\n";
      if (!work.Author.empty()) label += work.Author + (work.Year.empty() ? "\n" : ", " + work.Year + "\n");
      else if (!work.Year.empty()) label += work.Year + "\n";
      if (sizes[i].Model) {
        label += QString::fromUtf8("altezza %1 cm\n").arg(sizes[i].Height * 100, 0, 'f', 0).toStdString();
      } else {
        label += QString::fromUtf8("%1 × %2 cm\n").arg(sizes[i].Width * 100, 0, 'f', 0).arg(sizes[i].Height * 100, 0, 'f', 0).toStdString();
      }
      const std::string labelFile = sources.filePath(QString("notes/%1-cartellino.txt").arg(id)).toStdString();
      if (!WriteWholeFile(labelFile, reinterpret_cast<const std::uint8_t*>(label.data()), label.size(), error)) {
        return Refuse("hang", error);
      }
      notes.append(Item(sources, labelFile, "Cartellino"));
    }
    for (const TAttachment& note : work.Notes) notes.append(Item(sources, note.File, StorableName(note.Name, note.File, folder.Notices)));
    for (const TAttachment& movie : work.Movies) movies.append(Item(sources, movie.File, StorableName(movie.Name, movie.File, folder.Notices)));
    QJsonObject opera{{"kind", "opera"}, {"id", id}, {"name", QString::fromStdString(StorableName(work.Title, work.File, folder.Notices))}};
    if (!notes.isEmpty()) opera.insert("notes", notes);
    if (!movies.isEmpty()) opera.insert("movies", movies);
    listArray.append(opera);
  }

  const QByteArray manifestText = QJsonDocument(QJsonObject{{"lists", listArray}}).toJson(QJsonDocument::Indented);
  const std::string manifestFile = sources.filePath("manifest.json").toStdString();
  if (!WriteWholeFile(manifestFile, reinterpret_cast<const std::uint8_t*>(manifestText.constData()),
                      std::size_t(manifestText.size()), error)) {
    return Refuse("hang", error);
  }
  if (!args.Has("--quiet")) {
    for (const std::string& notice : folder.Notices) std::fprintf(stderr, "pinacora-data hang: %s\n", notice.c_str());
  }

  std::vector<std::string> packArgs = {manifestFile, "-o", output, "--max-texture", std::to_string(maxTexture)};
  if (args.Has("--quiet")) packArgs.push_back("--quiet");
  if (progress) packArgs.push_back("--progress");
  if (args.Has("--force")) packArgs.push_back("--force");
  const int status = CommandPack(packArgs);
  if (status != 0) return status;
  if (!args.Has("--quiet")) {
    const double length = layout.PlanLength;
    std::printf("%s: %s in %zu room(s), %s m long, %s m deep, %s m high; %zu pieces of music\n", output.c_str(),
                WorksSummary(folder).c_str(), layout.Rooms.size(), Metres(length).c_str(), Metres(layout.PlanDepth).c_str(),
                Metres(layout.Height).c_str(), folder.Sounds.size());
    std::printf("sources in %s; after changing them: pinacora-data pack %s -o %s\n", sourcesPath.c_str(),
                manifestFile.c_str(), output.c_str());
  }
  return 0;
}
