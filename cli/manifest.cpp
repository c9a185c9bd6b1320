#include "manifest.h"

#include "hang/hangscene.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QSet>
#include <cmath>
#include <limits>
#include <set>

#include "common/fileio.h"
#include "data/gxformat.h"

namespace {

class TManifestReader {
 public:
  explicit TManifestReader(std::string path) : Path(std::move(path)) {}

  bool Fail(const std::string& where, const std::string& reason) {
    Error = Path + ": " + where + ": " + reason;
    return false;
  }

  bool OnlyKeys(const QJsonObject& object, const QSet<QString>& allowed, const std::string& where) {
    for (auto it = object.begin(); it != object.end(); ++it) {
      if (!allowed.contains(it.key())) return Fail(where, "unknown key \"" + it.key().toStdString() + "\"");
    }
    return true;
  }

  bool Integer(const QJsonObject& object, const char* key, int& value, const std::string& where) {
    const QJsonValue v = object.value(key);
    const double d = v.toDouble();
    if (!v.isDouble() || std::floor(d) != d || d < std::numeric_limits<int>::min() ||
        d > std::numeric_limits<int>::max()) {
      return Fail(where, std::string("\"") + key + "\" must be a whole 32-bit number");
    }
    value = static_cast<int>(d);
    return true;
  }

  bool Text(const QJsonObject& object, const char* key, std::string& value, bool required, const std::string& where) {
    const QJsonValue v = object.value(key);
    if (v.isUndefined() && !required) return true;
    if (!v.isString() || v.toString().isEmpty()) {
      return Fail(where, std::string("\"") + key + "\" must be a non-empty text");
    }
    value = v.toString().toStdString();
    return true;
  }

  bool Item(const QJsonValue& value, TManifestItem& item, bool texture, const std::string& where) {
    if (!value.isObject()) return Fail(where, "must be an object");
    const QJsonObject object = value.toObject();
    if (texture) {
      if (!OnlyKeys(object, {"node", "file"}, where)) return false;
      return Text(object, "node", item.Node, true, where) && Text(object, "file", item.File, true, where);
    }
    if (!OnlyKeys(object, {"name", "file", "userId"}, where)) return false;
    if (!Text(object, "file", item.File, true, where) || !Text(object, "name", item.Name, false, where)) return false;
    if (object.contains("userId")) {
      item.HasUserId = true;
      if (!Integer(object, "userId", item.UserId, where)) return false;
    }
    return true;
  }

  bool Number(const QJsonObject& object, const char* key, float& value, const std::string& where) {
    const QJsonValue v = object.value(key);
    if (!v.isDouble() || !std::isfinite(v.toDouble()) || std::fabs(v.toDouble()) > 1e6) {
      return Fail(where, std::string("\"") + key + "\" must be a number");
    }
    value = static_cast<float>(v.toDouble());
    return true;
  }

  bool Plinth(const QJsonValue& value, TManifestModel& model, const std::string& where) {
    if (!value.isObject()) return Fail(where, "must be an object { \"width\", \"depth\", \"height\" } in metres");
    const QJsonObject object = value.toObject();
    if (!OnlyKeys(object, {"width", "depth", "height", "colour"}, where) ||
        !Number(object, "width", model.PlinthWidth, where) || !Number(object, "depth", model.PlinthDepth, where) ||
        !Number(object, "height", model.PlinthHeight, where)) {
      return false;
    }
    if (!(model.PlinthWidth > 0 && model.PlinthDepth > 0 && model.PlinthHeight > 0)) {
      return Fail(where, "width, depth and height must be more than 0 metres");
    }
    if (object.contains("colour")) {
      double r = 0, g = 0, b = 0;
      if (!ParseColour(object.value("colour").toString().toStdString(), r, g, b)) {
        return Fail(where, "\"colour\" must be #RRGGBB");
      }
      model.PlinthColour[0] = float(r), model.PlinthColour[1] = float(g), model.PlinthColour[2] = float(b);
    }
    model.HasPlinth = true;
    return true;
  }

  // An axis of the model's own frame: "x", "y" or "z", optionally signed.
  bool Axis(const QJsonObject& object, const char* key, std::string& value, const std::string& where) {
    if (!object.contains(key)) return true;
    const QString text = object.value(key).toString().toLower();
    static const QSet<QString> kAxes = {"x", "y", "z", "+x", "+y", "+z", "-x", "-y", "-z"};
    if (!object.value(key).isString() || !kAxes.contains(text)) {
      return Fail(where, std::string("\"") + key + "\" must name an axis: \"+x\", \"-x\", \"+y\", \"-y\", \"+z\" or \"-z\"");
    }
    value = (text.startsWith('+') || text.startsWith('-') ? text : "+" + text).toStdString();
    return true;
  }

  bool Model(const QJsonValue& value, TManifestModel& model, const std::string& where) {
    if (!value.isObject()) return Fail(where, "must be an object");
    const QJsonObject object = value.toObject();
    if (!OnlyKeys(object, {"file", "work", "position", "facing", "height", "scale", "up", "front", "distance", "plinth"}, where) ||
        !Text(object, "file", model.File, true, where)) {
      return false;
    }
    if (object.contains("work")) {
      model.HasWork = true;
      if (!Integer(object, "work", model.Work, where)) return false;
      if (model.Work < 0) return Fail(where, "\"work\" must be an opera id, 0 or more");
    }
    if (object.contains("position")) {
      const QJsonArray position = object.value("position").toArray();
      if (!object.value("position").isArray() || position.size() != 3) {
        return Fail(where, "\"position\" must be three numbers [x, y, z]");
      }
      for (int i = 0; i < 3; ++i) {
        QJsonObject one;
        one.insert("position", position.at(i));
        if (!Number(one, "position", model.Position[i], where)) return false;
      }
    }
    if (object.contains("facing") && !Number(object, "facing", model.Facing, where)) return false;
    if (object.contains("height") && object.contains("scale")) {
      return Fail(where, "give \"height\" or \"scale\", not both");
    }
    if (object.contains("height")) {
      model.HasHeight = true;
      if (!Number(object, "height", model.Height, where)) return false;
      if (!(model.Height > 0)) return Fail(where, "\"height\" must be more than 0 metres");
    }
    if (object.contains("scale")) {
      model.HasScale = true;
      if (!Number(object, "scale", model.Scale, where)) return false;
      if (!(model.Scale > 0)) return Fail(where, "\"scale\" must be more than 0");
    }
    if (object.contains("distance")) {
      if (!Number(object, "distance", model.Distance, where)) return false;
      if (!(model.Distance >= 0 && model.Distance <= 100)) {
        return Fail(where, "\"distance\" must be from 0 to 100 metres");
      }
    }
    if (object.contains("plinth") && !Plinth(object.value("plinth"), model, where + ": \"plinth\"")) return false;
    if (!Axis(object, "up", model.Up, where) || !Axis(object, "front", model.Front, where)) return false;
    if (model.Up[1] == model.Front[1]) {
      return Fail(where, "\"up\" (" + model.Up + ") and \"front\" (" + model.Front + ") must be different axes");
    }
    return true;
  }

  bool Models(const QJsonObject& object, std::vector<TManifestModel>& models, const std::string& where) {
    const QJsonValue v = object.value("models");
    if (v.isUndefined()) return true;
    if (!v.isArray()) return Fail(where, "\"models\" must be an array");
    const QJsonArray array = v.toArray();
    std::set<int> works;
    for (int i = 0; i < array.size(); ++i) {
      TManifestModel model;
      const std::string at = where + ", models " + std::to_string(i + 1);
      if (!Model(array.at(i), model, at)) return false;
      if (model.HasWork && !works.insert(model.Work).second) {
        return Fail(at, "work " + std::to_string(model.Work) + " is shown by two models");
      }
      models.push_back(std::move(model));
    }
    return true;
  }

  bool Items(const QJsonObject& object, const char* key, std::vector<TManifestItem>& items, bool texture,
             const std::string& where) {
    const QJsonValue v = object.value(key);
    if (v.isUndefined()) return true;
    if (!v.isArray()) return Fail(where, std::string("\"") + key + "\" must be an array");
    const QJsonArray array = v.toArray();
    for (int i = 0; i < array.size(); ++i) {
      TManifestItem item;
      if (!Item(array.at(i), item, texture, where + ", " + key + " " + std::to_string(i + 1))) return false;
      items.push_back(std::move(item));
    }
    return true;
  }

  bool List(const QJsonValue& value, TManifestList& list, const std::string& where) {
    if (!value.isObject()) return Fail(where, "must be an object");
    const QJsonObject object = value.toObject();
    const QString kind = object.value("kind").toString();
    if (!Integer(object, "id", list.Id, where) || !Text(object, "name", list.Name, true, where)) return false;
    const std::string at = where + " (id " + std::to_string(list.Id) + ")";
    if (kind == "scene") {
      list.ListKind = TManifestList::Kind::Scene;
      if (!OnlyKeys(object, {"kind", "id", "name", "shape", "textures", "models"}, at) ||
          !Models(object, list.Models, at) || !Text(object, "shape", list.Shape, list.Models.empty(), at)) {
        return false;
      }
      return Items(object, "textures", list.Textures, true, at);
    }
    if (kind == "sound") {
      list.ListKind = TManifestList::Kind::Sound;
      if (!OnlyKeys(object, {"kind", "id", "name", "file", "userId"}, at)) return false;
      QJsonObject sound;
      sound.insert("file", object.value("file"));
      if (object.contains("userId")) sound.insert("userId", object.value("userId"));
      return Item(sound, list.Sound, false, at);
    }
    if (kind == "opera") {
      list.ListKind = TManifestList::Kind::Opera;
      return OnlyKeys(object, {"kind", "id", "name", "notes", "movies"}, at) &&
             Items(object, "notes", list.Notes, false, at) && Items(object, "movies", list.Movies, false, at);
    }
    return Fail(at, "\"kind\" must be \"scene\", \"sound\" or \"opera\"");
  }

  bool Read(TManifest& manifest) {
    std::vector<std::uint8_t> bytes;
    if (!ReadWholeFile(Path, bytes, Error, std::uint64_t(64) << 20)) return false;
    QJsonParseError parseError{};
    const QJsonDocument document = QJsonDocument::fromJson(
        QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<int>(bytes.size())), &parseError);
    if (parseError.error != QJsonParseError::NoError) {
      Error = Path + ": not valid JSON at byte " + std::to_string(parseError.offset) + ": " +
              parseError.errorString().toStdString();
      return false;
    }
    if (!document.isObject()) return Fail("top level", "must be an object with a \"lists\" array");
    const QJsonObject top = document.object();
    if (!OnlyKeys(top, {"lists"}, "top level")) return false;
    if (!top.value("lists").isArray()) return Fail("top level", "must be an object with a \"lists\" array");
    const QJsonArray lists = top.value("lists").toArray();
    if (lists.size() > gx::kMaxListCount) {
      return Fail("lists", std::to_string(lists.size()) + " lists, but the directory holds at most " +
                               std::to_string(gx::kMaxListCount));
    }
    std::set<int> ids;
    for (int i = 0; i < lists.size(); ++i) {
      TManifestList list;
      if (!List(lists.at(i), list, "list " + std::to_string(i + 1))) return false;
      if (!ids.insert(list.Id).second) {
        return Fail("list " + std::to_string(i + 1), "id " + std::to_string(list.Id) + " is used twice");
      }
      manifest.Lists.push_back(std::move(list));
    }
    manifest.Path = Path;
    manifest.Folder = QFileInfo(QString::fromStdString(Path)).absolutePath().toStdString();
    return true;
  }

  std::string Path;
  std::string Error;
};

QString Text(const std::string& utf8) { return QString::fromStdString(utf8); }

// A float as the shortest decimal that reads back to it, so that 4.123f is written 4.123.
double Decimal(float value) { return QString::number(double(value), 'g', 7).toDouble(); }

QJsonObject ItemObject(const TManifestItem& item) {
  QJsonObject object;
  if (!item.Name.empty()) object.insert("name", Text(item.Name));
  object.insert("file", Text(item.File));
  if (item.HasUserId) object.insert("userId", item.UserId);
  return object;
}

QJsonArray ItemArray(const std::vector<TManifestItem>& items) {
  QJsonArray array;
  for (const TManifestItem& item : items) array.append(ItemObject(item));
  return array;
}

QJsonObject ModelObject(const TManifestModel& model) {
  QJsonObject object{{"file", Text(model.File)},
                     {"position", QJsonArray{Decimal(model.Position[0]), Decimal(model.Position[1]),
                                             Decimal(model.Position[2])}},
                     {"facing", Decimal(model.Facing)}};
  if (model.HasWork) object.insert("work", model.Work);
  if (model.HasHeight) object.insert("height", Decimal(model.Height));
  if (model.HasScale) object.insert("scale", Decimal(model.Scale));
  if (model.Up != "+y") object.insert("up", Text(model.Up));
  if (model.Front != "+z") object.insert("front", Text(model.Front));
  if (model.Distance > 0) object.insert("distance", Decimal(model.Distance));
  if (model.HasPlinth) {
    const auto hex = [](float v) { return QString("%1").arg(int(std::lround(v * 255)), 2, 16, QChar('0')); };
    const float* c = model.PlinthColour;
    object.insert("plinth", QJsonObject{{"width", Decimal(model.PlinthWidth)},
                                        {"depth", Decimal(model.PlinthDepth)},
                                        {"height", Decimal(model.PlinthHeight)},
                                        {"colour", "#" + hex(c[0]) + hex(c[1]) + hex(c[2])}});
  }
  return object;
}

QJsonObject ListObject(const TManifestList& list) {
  QJsonObject object{{"id", list.Id}, {"name", Text(list.Name)}};
  switch (list.ListKind) {
    case TManifestList::Kind::Scene: {
      object.insert("kind", "scene");
      if (!list.Shape.empty()) object.insert("shape", Text(list.Shape));
      QJsonArray textures;
      for (const TManifestItem& texture : list.Textures) {
        textures.append(QJsonObject{{"node", Text(texture.Node)}, {"file", Text(texture.File)}});
      }
      if (!textures.isEmpty()) object.insert("textures", textures);
      QJsonArray models;
      for (const TManifestModel& model : list.Models) models.append(ModelObject(model));
      if (!models.isEmpty()) object.insert("models", models);
      break;
    }
    case TManifestList::Kind::Sound:
      object.insert("kind", "sound");
      object.insert("file", Text(list.Sound.File));
      if (list.Sound.HasUserId) object.insert("userId", list.Sound.UserId);
      break;
    case TManifestList::Kind::Opera:
      object.insert("kind", "opera");
      if (!list.Notes.empty()) object.insert("notes", ItemArray(list.Notes));
      if (!list.Movies.empty()) object.insert("movies", ItemArray(list.Movies));
      break;
  }
  return object;
}

}  // namespace

std::string ManifestText(const TManifest& manifest) {
  QJsonArray lists;
  for (const TManifestList& list : manifest.Lists) lists.append(ListObject(list));
  return QJsonDocument(QJsonObject{{"lists", lists}}).toJson(QJsonDocument::Indented).toStdString();
}

bool WriteManifest(const TManifest& manifest, const std::string& path, std::string& error) {
  return WriteTextFile(path, ManifestText(manifest), error);
}

bool ReadManifest(const std::string& path, TManifest& manifest, std::string& error) {
  TManifestReader reader(path);
  manifest = TManifest();
  if (reader.Read(manifest)) return true;
  error = reader.Error;
  return false;
}
