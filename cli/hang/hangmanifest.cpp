#include "hangmanifest.h"

#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <cmath>
#include <cstdio>

#include "common/fileio.h"
#include "data/cp1252.h"
#include "import/imageimport.h"

namespace {

constexpr int kFirstSoundId = 501;

std::string Relative(const QDir& sources, const std::string& file) {
  return sources.relativeFilePath(QString::fromStdString(file)).toStdString();
}

TManifestItem Item(const QDir& sources, const std::string& file, const std::string& name) {
  TManifestItem item;
  item.File = Relative(sources, file);
  item.Name = name;
  return item;
}

TManifestItem Texture(const QDir& sources, const std::string& node, const std::string& file) {
  TManifestItem item;
  item.Node = node;
  item.File = Relative(sources, file);
  return item;
}

TManifestList SceneList(int id, const char* name, const char* shape) {
  TManifestList list;
  list.ListKind = TManifestList::Kind::Scene;
  list.Id = id;
  list.Name = name;
  list.Shape = shape;
  return list;
}

// Metres to the millimetre (centimetre for distances, rounded up) keep the manifest readable.
float Millimetres(double metres) { return float(std::round(metres * 1000) / 1000); }

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

// The rooms: their shape and the pictures tiled on their surfaces.
TManifestList RoomsList(const TRoomLook& look, const QDir& sources) {
  TManifestList room = SceneList(110, "Sala", "sala.iv");
  const std::pair<const TSurface*, const char*> surfaces[] = {
      {&look.Floor, kFloorTextureNode}, {&look.Walls, kWallsTextureNode}, {&look.Ceiling, kCeilingTextureNode}};
  for (const auto& [surface, node] : surfaces) {
    if (!surface->Texture.empty()) room.Textures.push_back(Texture(sources, node, surface->Texture));
  }
  return room;
}

TManifestModel PlacedModel(const TFolderWork& work, const THungWork& hung, const TWorkPlacement& place,
                           const TRoomLook& look, const QDir& sources) {
  TManifestModel model;
  model.File = Relative(sources, work.File);
  model.HasWork = true;
  model.Work = hung.Id;
  model.Position[0] = Millimetres(place.X);
  model.Position[1] = Millimetres(place.Y);
  model.Position[2] = Millimetres(place.Z);
  // Towards the north wall, turned as the catalogue asks.
  model.Facing = float(std::fmod(180 + work.FacingDeg + 720, 360));
  model.HasHeight = true;
  model.Height = Millimetres(hung.Size.Height);
  model.Distance = float(std::ceil(place.ViewDistance * 100) / 100);
  // Its plinth is part of it: pack stands it under the model wherever the model is put.
  model.HasPlinth = true;
  model.PlinthWidth = Millimetres(place.PlinthWidth);
  model.PlinthDepth = Millimetres(place.PlinthDepth);
  model.PlinthHeight = model.Position[1];
  model.PlinthColour[0] = float(look.PlinthR), model.PlinthColour[1] = float(look.PlinthG);
  model.PlinthColour[2] = float(look.PlinthB);
  return model;
}

// The works: their shape, each picture's texture and each model placed on its plinth.
bool WorksList(const TFolder& folder, const THangLayout& layout, const std::vector<THungWork>& works,
               const TRoomLook& look, const THangManifestOptions& options, const QDir& sources, TManifestList& list, std::string& error) {
  list = SceneList(120, "Opere", "opere.iv");
  for (std::size_t i = 0; i < folder.Works.size(); ++i) {
    if (works[i].Size.Model) {
      list.Models.push_back(PlacedModel(folder.Works[i], works[i], layout.Works[i], look, sources));
      continue;
    }
    std::string texture;
    if (!TextureOf(folder.Works[i], works[i].Id, options.MaxTexture, sources, texture, error)) return false;
    list.Textures.push_back(Texture(sources, "TEX_" + std::to_string(works[i].Id), texture));
    if (options.Progress && (i + 1) % 25 == 0) {
      std::fprintf(stderr, "pinacora-data hang: [%zu/%zu] pictures prepared\n", i + 1, folder.Works.size());
    }
  }
  return true;
}

void AddSoundLists(TFolder& folder, const QDir& sources, std::vector<TManifestList>& lists) {
  for (std::size_t i = 0; i < folder.Sounds.size(); ++i) {
    const TAttachment& sound = folder.Sounds[i];
    TManifestList list;
    list.ListKind = TManifestList::Kind::Sound;
    list.Id = kFirstSoundId + int(i);
    list.Name = StorableName(sound.Name, sound.File, folder.Notices);
    list.Sound.File = Relative(sources, sound.File);
    lists.push_back(std::move(list));
  }
}

// A catalogue that tells more than the title gives the work its label; empty when it does not.
std::string Label(const TFolderWork& work, const TWorkSize& size) {
  if (work.Author.empty() && work.Year.empty() && work.WidthCm <= 0 && work.HeightCm <= 0) return {};
  std::string label = work.Title + "\n";
  if (!work.Author.empty()) label += work.Author + (work.Year.empty() ? "\n" : ", " + work.Year + "\n");
  else if (!work.Year.empty()) label += work.Year + "\n";
  if (size.Model) {
    label += QString::fromUtf8("altezza %1 cm\n").arg(size.Height * 100, 0, 'f', 0).toStdString();
  } else {
    label += QString::fromUtf8("%1 × %2 cm\n").arg(size.Width * 100, 0, 'f', 0).arg(size.Height * 100, 0, 'f', 0).toStdString();
  }
  return label;
}

bool AddOperaLists(TFolder& folder, const std::vector<THungWork>& works, const QDir& sources,
                   std::vector<TManifestList>& lists, std::string& error) {
  for (std::size_t i = 0; i < folder.Works.size(); ++i) {
    const TFolderWork& work = folder.Works[i];
    TManifestList opera;
    opera.ListKind = TManifestList::Kind::Opera;
    opera.Id = works[i].Id;
    const std::string label = Label(work, works[i].Size);
    if (!label.empty()) {
      const std::string labelFile = sources.filePath(QString("notes/%1-cartellino.txt").arg(opera.Id)).toStdString();
      if (!WriteTextFile(labelFile, label, error)) return false;
      opera.Notes.push_back(Item(sources, labelFile, "Cartellino"));
    }
    for (const TAttachment& note : work.Notes) {
      opera.Notes.push_back(Item(sources, note.File, StorableName(note.Name, note.File, folder.Notices)));
    }
    for (const TAttachment& movie : work.Movies) {
      opera.Movies.push_back(Item(sources, movie.File, StorableName(movie.Name, movie.File, folder.Notices)));
    }
    opera.Name = StorableName(work.Title, work.File, folder.Notices);
    lists.push_back(std::move(opera));
  }
  return true;
}

}  // namespace

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

bool HangManifest(TFolder& folder, const THangLayout& layout, const std::vector<THungWork>& works,
                  const TRoomLook& look, const THangManifestOptions& options, const QDir& sources,
                  TManifest& manifest, std::string& error) {
  manifest = TManifest();
  manifest.Lists.push_back(RoomsList(look, sources));
  TManifestList worksList;
  if (!WorksList(folder, layout, works, look, options, sources, worksList, error)) return false;
  manifest.Lists.push_back(std::move(worksList));
  AddSoundLists(folder, sources, manifest.Lists);
  return AddOperaLists(folder, works, sources, manifest.Lists, error);
}
