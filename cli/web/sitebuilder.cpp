#include "sitebuilder.h"

#include <Inventor/SbViewportRegion.h>
#include <Inventor/SoDB.h>
#include <Inventor/nodes/SoSeparator.h>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <sys/stat.h>

#include "data/cp1252.h"
#include "common/fileio.h"
#include "glbwriter.h"
#include "data/gxchunk.h"
#include "data/gxformat.h"
#include "notehtml.h"
#include "scenemesh.h"
#include "data/tdatabanker.h"
#include "data/tzlib.h"
#include "webmedia.h"
#include "import/audioimport.h"
#include "scene/workqueries.h"

namespace {

constexpr std::int32_t kRoomList = 110;
constexpr std::int32_t kWorksList = 120;
constexpr float kEyeHeight = 1.75f;

QString Utf8(const std::string& cp1252) { return QString::fromStdString(Cp1252ToUtf8(cp1252)); }
QJsonArray Vector(const SbVec3f& v) { return QJsonArray{double(v[0]), double(v[1]), double(v[2])}; }

// The two scene lists as the program holds them: the works under one group (where picks and the
// centre and distance queries look), the room after it (reached only by the facing query).
class TExhibitionScene {
 public:
  explicit TExhibitionScene(const TDataBanker& banker) {
    if (!SoDB::isInitialized()) SoDB::init();
    Root = new SoSeparator;
    Root->ref();
    Works = new SoSeparator;
    Room = new SoSeparator;
    Root->addChild(Works);
    Root->addChild(Room);
    if (SoNode* works = banker.BuildScene(kWorksList)) Works->addChild(works);
    if (SoNode* room = banker.BuildScene(kRoomList)) Room->addChild(room);
  }
  ~TExhibitionScene() { Root->unref(); }
  TExhibitionScene(const TExhibitionScene&) = delete;
  TExhibitionScene& operator=(const TExhibitionScene&) = delete;

  // Where a flight to the opera ends, as the program computes it, without the side offset (the
  // page draws that once per flight). Null when the program could not fly there.
  QJsonValue FlightOf(std::int32_t id) const {
    const SbViewportRegion viewport(1024, 768);
    SbVec3f center, normal;
    float distance = 0;
    if (!GetObjectCenter(Works, id, viewport, center) || !GetObjectNormal(Root, id, viewport, normal) ||
        !GetObjectViewDistance(Works, id, distance)) {
      return QJsonValue::Null;
    }
    SbVec3f eye = center + distance * normal;
    eye[1] = kEyeHeight;
    return QJsonObject{{"center", Vector(center)}, {"normal", Vector(normal)}, {"distance", double(distance)},
                       {"eye", Vector(eye)}};
  }

  SoSeparator* Root;
  SoSeparator* Works;
  SoSeparator* Room;
};

bool MakeFolder(const std::string& path, std::string& error) {
  if (mkdir(path.c_str(), 0755) == 0) return true;
  error = path + ": cannot make the folder";
  return false;
}

class TSiteWriter {
 public:
  TSiteWriter(const std::string& dataFile, const std::string& folder, const TSiteOptions& options,
              TSiteSummary& summary)
      : Banker(dataFile), Folder(folder), Options(options), Summary(summary) {}

  bool Write(std::string& error) {
    if (!MakeFolder(Folder + "/notes", error) || !MakeFolder(Folder + "/media", error)) return false;
    TExhibitionScene scene(Banker);
    if (!WriteScene(scene, error)) return false;
    QJsonObject tour{{"title", QString::fromStdString(Options.Title)},
                     {"scene", "scene.glb"},
                     {"start", QJsonObject{{"position", QJsonArray{0.0, 1.75, 0.0}},
                                           {"target", QJsonArray{10.0, 3.5, 0.0}}}}};
    QJsonArray operas;
    if (!WriteOperas(scene, operas, error)) return false;
    tour["operas"] = operas;
    QJsonArray sounds;
    if (!WriteSounds(sounds, error)) return false;
    tour["sounds"] = sounds;
    const QByteArray json = QJsonDocument(tour).toJson(QJsonDocument::Compact);
    return WriteWholeFile(Folder + "/tour.json", reinterpret_cast<const std::uint8_t*>(json.constData()),
                          static_cast<std::size_t>(json.size()), error);
  }

 private:
  bool WriteScene(const TExhibitionScene& scene, std::string& error) {
    TSceneMesh mesh;
    mesh.AddScene(scene.Works, "works-decoration", true);
    mesh.AddScene(scene.Room, "room", false);
    TGlbOptions glbOptions;
    glbOptions.MaxTextureSide = Options.MaxTextureSide;
    const TGlbResult glb = WriteGlb(mesh, glbOptions);
    Summary.Triangles = mesh.Triangles;
    Summary.Pictures = mesh.Pictures.size();
    Summary.PicturesScaled = glb.PicturesScaled;
    return WriteWholeFile(Folder + "/scene.glb", glb.Bytes.data(), glb.Bytes.size(), error);
  }

  bool WriteOperas(const TExhibitionScene& scene, QJsonArray& operas, std::string& error) {
    TVecInfos infos;
    Banker.ListOperas(infos);
    Summary.Operas = infos.size();
    for (const TagInfo& info : infos) {
      QJsonObject opera{{"id", static_cast<qint64>(info.Id)}, {"name", Utf8(info.Name)}};
      const QJsonValue flight = scene.FlightOf(info.Id);
      opera["flight"] = flight;
      if (!flight.isNull()) ++Summary.Works;
      QJsonArray notes, movies;
      if (!WriteItems(info.Id, notes, movies, error)) return false;
      opera["notes"] = notes;
      opera["movies"] = movies;
      operas.append(opera);
    }
    return true;
  }

  // The opera's notes and movies, in the order the browser lists them, each read as it opens them.
  bool WriteItems(std::int32_t id, QJsonArray& notes, QJsonArray& movies, std::string& error) {
    const std::unique_ptr<TGXChunkList> list = Banker.GetChunkList(id);
    if (!list) return true;
    int noteCount = 0, movieCount = 0;
    for (std::int32_t i = 0; i < list->GetCount(); ++i) {
      const TGXChunk* chunk = list->GetChunk(i);
      if (chunk->GetType() == 2) {
        const TGXChunk* shown = LastOfType(*list, 2, chunk->UserId);
        const TNoteHtml note = NoteToHtml(std::string(shown->Data.begin(), shown->Data.end()),
                                          "notes/" + std::to_string(id) + "-" + std::to_string(++noteCount));
        for (const TNotePicture& picture : note.Pictures) {
          if (!WriteWholeFile(Folder + "/" + picture.File, picture.Bytes.data(), picture.Bytes.size(), error)) {
            return false;
          }
        }
        if (!note.Shown) Remark("opera " + std::to_string(id) + ": note '" + Cp1252ToUtf8(chunk->Name) +
                                "' is neither RTF nor text; the page shows it empty");
        notes.append(QJsonObject{{"name", Utf8(chunk->Name)}, {"html", QString::fromStdString(note.Html)}});
        ++Summary.Notes;
      } else if (chunk->GetType() == 13) {
        const TGXChunk* shown = FirstOfType(*list, 13, chunk->UserId);
        const TWebMovie movie =
            WriteWebMovie(shown->Data, Folder, std::to_string(id) + "-" + std::to_string(++movieCount));
        if (movie.File.empty()) {
          error = movie.Remark;
          return false;
        }
        if (!movie.Remark.empty()) Remark("opera " + std::to_string(id) + ": movie '" + Cp1252ToUtf8(chunk->Name) +
                                          "': " + movie.Remark);
        movies.append(QJsonObject{{"name", Utf8(chunk->Name)},
                                  {"file", QString::fromStdString(movie.File)},
                                  {"type", QString::fromStdString(movie.MimeType)},
                                  {"playable", movie.Playable}});
        ++Summary.Movies;
        if (!movie.Playable) ++Summary.MoviesForDownload;
      }
    }
    return true;
  }

  // The program opens a note by its UserId and finds the last chunk with it; a movie, the first.
  static const TGXChunk* LastOfType(const TGXChunkList& list, std::int32_t type, std::int32_t userId) {
    const TGXChunk* found = nullptr;
    for (std::int32_t i = 0; i < list.GetCount(); ++i) {
      const TGXChunk* chunk = list.GetChunk(i);
      if (chunk->GetType() == type && chunk->UserId == userId) found = chunk;
    }
    return found;
  }
  static const TGXChunk* FirstOfType(const TGXChunkList& list, std::int32_t type, std::int32_t userId) {
    for (std::int32_t i = 0; i < list.GetCount(); ++i) {
      const TGXChunk* chunk = list.GetChunk(i);
      if (chunk->GetType() == type && chunk->UserId == userId) return chunk;
    }
    return nullptr;
  }

  bool WriteSounds(QJsonArray& sounds, std::string& error) {
    TVecInfos infos;
    Banker.ListSounds(infos);
    for (const TagInfo& info : infos) {
      const std::unique_ptr<TGXChunkList> list = Banker.GetChunkList(info.Id);
      const TGXChunk* chunk = list ? list->GetChunk(0) : nullptr;
      if (chunk == nullptr || chunk->Data.empty()) {
        Remark("sound " + std::to_string(info.Id) + " '" + Cp1252ToUtf8(info.Name) + "' has no samples; left out");
        continue;
      }
      auto length = static_cast<std::int32_t>(chunk->Data.size());
      const std::vector<std::uint8_t> samples = InflateBuffer(chunk->Data.data(), length);
      const std::string file = "media/sound-" + std::to_string(info.Id) + ".ogg";
      if (!WriteSoundOgg(samples, Folder + "/" + file, error)) return false;
      sounds.append(QJsonObject{{"id", static_cast<qint64>(info.Id)},
                                {"name", Utf8(info.Name)},
                                {"file", QString::fromStdString(file)},
                                {"seconds", double(samples.size() / 2) / 11025.0}});
      ++Summary.Sounds;
    }
    return true;
  }

  void Remark(const std::string& text) { Summary.Remarks.push_back(text); }

  TDataBanker Banker;
  std::string Folder;
  TSiteOptions Options;
  TSiteSummary& Summary;
};

}  // namespace

bool BuildSiteContent(const std::string& dataFile, const std::string& folder, const TSiteOptions& options,
                      TSiteSummary& summary, std::string& error) {
  return TSiteWriter(dataFile, folder, options, summary).Write(error);
}
