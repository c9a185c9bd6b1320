#include "hangfolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QUrl>
#include <algorithm>
#include <map>

#include "hangcatalogue.h"
#include "import/imagetitle.h"

namespace {

const QStringList kPictureSuffixes = {"jpg", "jpeg", "png", "webp", "tif", "tiff", "bmp", "gif"};
const QStringList kModelSuffixes = {"gltf", "glb", "obj", "ply", "stl", "dae", "3ds", "fbx", "iv", "wrl"};
// Notes as pack takes them: RTF as it is, plain text, and documents that pack turns into RTF.
const QStringList kNoteSuffixes = {"rtf", "docx", "odt", "md", "html", "htm", "txt"};  // in this order
const QStringList kUnreadableNoteSuffixes = {"doc", "wpd", "pages"};
const QStringList kMovieSuffixes = {"wmv", "mp4", "avi", "mkv", "webm", "ogv", "mov", "mpg", "mpeg", "m4v"};
const QStringList kSoundSuffixes = {"mp3", "ogg", "oga", "opus", "flac", "wav", "aif", "aiff"};
const QStringList kMusicFolders = {"musica", "music", "audio", "suoni", "sounds", "sonoro"};

// Stems compare as a person reads them: composed accents, any case.
QString Key(const QString& stem) { return stem.normalized(QString::NormalizationForm_C).toCaseFolded(); }

// Name order as a person reads it, the same on every machine whatever its locale: runs of
// digits compare as numbers ("2" before "10"), letters without regard to case.
bool NameLess(const QString& a, const QString& b) {
  const QString x = Key(a), y = Key(b);
  int i = 0, j = 0;
  while (i < x.size() && j < y.size()) {
    if (x[i].isDigit() && y[j].isDigit()) {
      int ei = i, ej = j;
      while (ei < x.size() && x[ei].isDigit()) ++ei;
      while (ej < y.size() && y[ej].isDigit()) ++ej;
      QString dx = x.mid(i, ei - i), dy = y.mid(j, ej - j);
      while (dx.size() > 1 && dx[0] == '0') dx.remove(0, 1);
      while (dy.size() > 1 && dy[0] == '0') dy.remove(0, 1);
      if (dx.size() != dy.size()) return dx.size() < dy.size();
      if (dx != dy) return dx < dy;
      i = ei;
      j = ej;
    } else {
      if (x[i] != y[j]) return x[i] < y[j];
      ++i;
      ++j;
    }
  }
  if ((x.size() - i) != (y.size() - j)) return (x.size() - i) < (y.size() - j);
  return a < b;
}

QStringList InNameOrder(QStringList names) {
  std::stable_sort(names.begin(), names.end(), NameLess);
  return names;
}

std::string Std(const QString& text) { return text.toStdString(); }

// Reads the picture's size as it is meant to stand, and its own title; false when it is no picture.
bool LookAtPicture(TFolderWork& work, std::string& reason) {
  QImageReader reader(QString::fromStdString(work.File));
  reader.setAutoTransform(true);
  QSize size = reader.size();
  if (!size.isValid()) {
    reason = reader.errorString().toStdString();
    return false;
  }
  if (reader.transformation() & QImageIOHandler::TransformationRotate90) size.transpose();
  work.PixelWidth = size.width();
  work.PixelHeight = size.height();
  work.Title = PictureTitle(work.File);
  return true;
}

// The pictures a model in text form names as its textures, by file name (a model beside its
// pictures must not have them hung as works of their own). Binary formats name none we can read.
QStringList PicturesOfModel(const QFileInfo& model) {
  const QString suffix = model.suffix().toLower();
  QStringList names;
  const auto readText = [](const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > 64 * 1024 * 1024) return QString();
    return QString::fromUtf8(file.readAll());
  };
  if (suffix == "obj") {
    QStringList libraries;
    for (const QString& line : readText(model.absoluteFilePath()).split('\n')) {
      const QString trimmed = line.trimmed();
      if (trimmed.startsWith("mtllib ")) libraries << trimmed.mid(7).trimmed();
    }
    for (const QString& library : libraries) {
      for (const QString& line : readText(model.dir().filePath(library)).split('\n')) {
        const QStringList words = line.simplified().split(' ');
        const QString key = words.value(0).toLower();
        if (words.size() >= 2 && (key.startsWith("map_") || key == "bump" || key == "disp" || key == "decal" || key == "norm")) {
          names << words.last();
        }
      }
    }
  } else if (suffix == "gltf") {
    const QJsonArray images = QJsonDocument::fromJson(readText(model.absoluteFilePath()).toUtf8()).object().value("images").toArray();
    for (const QJsonValue& image : images) {
      const QString uri = image.toObject().value("uri").toString();
      if (!uri.isEmpty() && !uri.startsWith("data:")) names << QUrl::fromPercentEncoding(uri.toUtf8());
    }
  } else if (suffix == "dae" || suffix == "iv" || suffix == "wrl") {
    static const QRegularExpression named(R"re((?:<init_from>\s*([^<]+?)\s*</init_from>|(?:filename|url)\s*\[?\s*"([^"]+)"))re");
    auto it = named.globalMatch(readText(model.absoluteFilePath()));
    while (it.hasNext()) {
      const QRegularExpressionMatch match = it.next();
      names << (match.captured(1).isEmpty() ? match.captured(2) : match.captured(1));
    }
  }
  QStringList files;
  for (const QString& name : names) files << QFileInfo(QString(name).replace('\\', '/')).fileName();
  return files;
}

}  // namespace

std::string TitleFromStem(const std::string& stem) {
  QString title = QString::fromStdString(stem);
  title.replace(QRegularExpression("[_]+"), " ");
  title.replace(QRegularExpression("\\s+-\\s+|(?<=\\S)-(?=\\d)"), " ");
  title = title.simplified();
  if (!title.isEmpty()) title[0] = title[0].toUpper();
  return Std(title);
}

bool ScanFolder(const std::string& folder, const std::string& catalogue, TFolder& result, std::string& error) {
  result = TFolder();
  const QDir dir(QString::fromStdString(folder));
  if (!dir.exists()) {
    error = folder + ": no such folder";
    return false;
  }
  result.Path = Std(dir.absolutePath());
  const QStringList files = InNameOrder(dir.entryList(QDir::Files | QDir::Readable, QDir::NoSort));

  // Pictures that a model beside them wears are part of that model.
  std::map<QString, QString> modelPictures;
  for (const QString& name : files) {
    const QFileInfo info(dir.filePath(name));
    if (!kModelSuffixes.contains(info.suffix().toLower())) continue;
    for (const QString& picture : PicturesOfModel(info)) modelPictures.emplace(Key(picture), name);
  }

  // Pictures and models become works; every other file may belong to one by its stem.
  std::map<QString, std::size_t> byKey;
  std::vector<QFileInfo> others;
  for (const QString& name : files) {
    const QFileInfo info(dir.filePath(name));
    const QString suffix = info.suffix().toLower();
    if (kPictureSuffixes.contains(suffix) && modelPictures.count(Key(name)) != 0) {
      result.Notices.push_back(Std(name) + ": the picture of the model " + Std(modelPictures.at(Key(name))) +
                               ", not hung as a work of its own");
    } else if (kPictureSuffixes.contains(suffix) || kModelSuffixes.contains(suffix)) {
      TFolderWork work;
      work.WorkKind = kPictureSuffixes.contains(suffix) ? TFolderWork::Kind::Picture : TFolderWork::Kind::Model;
      work.File = Std(info.absoluteFilePath());
      work.Stem = Std(info.completeBaseName());
      std::string reason;
      if (work.WorkKind == TFolderWork::Kind::Picture && !LookAtPicture(work, reason)) {
        result.LeftOut.push_back(Std(name) + ": not a picture Qt can read (" + reason + ")");
        continue;
      }
      if (byKey.count(Key(info.completeBaseName())) != 0) {
        result.LeftOut.push_back(Std(name) + ": another work has the same name");
        continue;
      }
      byKey[Key(info.completeBaseName())] = result.Works.size();
      result.Works.push_back(std::move(work));
    } else if (kUnreadableNoteSuffixes.contains(suffix)) {
      result.Notices.push_back(Std(name) + ": left out, pack cannot turn ." + Std(suffix) +
                               " documents into notes (save it as DOCX, ODT or RTF)");
    } else {
      others.push_back(info);
    }
  }

  // Notes and movies: "stem.ext" or "stem (what it is).ext". The picture's own note and movie
  // come first, in the order of kNoteSuffixes and kMovieSuffixes, then the named ones by name.
  static const QRegularExpression named("^(.*\\S)\\s*\\((.+)\\)$");
  for (const bool notes : {true, false}) {
    const QString fallback = notes ? "Scheda dell'opera" : "Video";
    const QStringList& suffixes = notes ? kNoteSuffixes : kMovieSuffixes;
    for (const bool own : {true, false}) {
      // The own ones by format; the named ones all at once, so that they keep their name order.
      for (const QString& suffix : own ? suffixes : QStringList{QString()}) {
        for (const QFileInfo& info : others) {
          if (own ? info.suffix().toLower() != suffix : !suffixes.contains(info.suffix().toLower())) continue;
          auto it = byKey.find(Key(info.completeBaseName()));
          QString label;
          if (!own) {
            if (it != byKey.end()) continue;
            const QRegularExpressionMatch match = named.match(info.completeBaseName());
            if (!match.hasMatch()) continue;
            it = byKey.find(Key(match.captured(1)));
            label = match.captured(2).simplified();
          }
          if (it == byKey.end()) continue;
          std::vector<TAttachment>& list = notes ? result.Works[it->second].Notes : result.Works[it->second].Movies;
          const QString base = label.isEmpty() ? fallback : label;
          QString name = base;
          for (int n = 2; std::any_of(list.begin(), list.end(), [&](const TAttachment& a) { return a.Name == Std(name); }); ++n) {
            name = base + " " + QString::number(n);
          }
          list.push_back({Std(info.absoluteFilePath()), Std(name)});
        }
      }
    }
  }

  // Background music: the pieces of the first music subfolder, in name order.
  for (const QString& sub : InNameOrder(dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::NoSort))) {
    if (!kMusicFolders.contains(sub.toLower())) continue;
    const QDir music(dir.filePath(sub));
    for (const QString& name : InNameOrder(music.entryList(QDir::Files | QDir::Readable, QDir::NoSort))) {
      const QFileInfo info(music.filePath(name));
      if (!kSoundSuffixes.contains(info.suffix().toLower())) continue;
      QString title = info.completeBaseName();
      title.remove(QRegularExpression("^\\d+\\s*[-._ ]\\s*"));  // track numbers
      std::string piece = TitleFromStem(Std(title));
      if (piece.empty()) piece = TitleFromStem(Std(info.completeBaseName()));
      if (piece.empty()) piece = "Brano " + std::to_string(result.Sounds.size() + 1);
      result.Sounds.push_back({Std(info.absoluteFilePath()), piece});
    }
    break;
  }

  // The catalogue gives titles, real sizes and the order.
  std::string cataloguePath = catalogue;
  if (cataloguePath.empty()) {
    for (const QString& name : files) {
      if (name.compare("catalogo.csv", Qt::CaseInsensitive) == 0 || name.compare("catalogo.json", Qt::CaseInsensitive) == 0) {
        cataloguePath = Std(dir.filePath(name));
        break;
      }
    }
  }
  std::vector<TFolderWork> ordered;
  if (!cataloguePath.empty()) {
    result.Catalogue = cataloguePath;
    std::vector<TCatalogueEntry> entries;
    // Every mistake is gathered and told at once, in line order, as a compiler does.
    std::vector<TCatalogueError> mistakes;
    ReadCatalogue(cataloguePath, entries, mistakes);
    const auto column = [](const TCatalogueEntry& entry) {
      return entry.FileColumn > 0 ? " (column " + std::to_string(entry.FileColumn) + ")" : std::string();
    };
    std::stable_sort(entries.begin(), entries.end(), [](const TCatalogueEntry& a, const TCatalogueEntry& b) {
      if (a.HasOrder != b.HasOrder) return a.HasOrder;
      return a.HasOrder && a.Order < b.Order;
    });
    std::vector<bool> taken(result.Works.size(), false);
    for (const TCatalogueEntry& entry : entries) {
      // The file as written (any case), or its name without the extension.
      const QString written = QString::fromStdString(entry.File).trimmed();
      auto it = byKey.end();
      for (const auto& candidate : byKey) {
        if (Key(QFileInfo(QString::fromStdString(result.Works[candidate.second].File)).fileName()) == Key(written)) it = byKey.find(candidate.first);
      }
      if (it == byKey.end()) it = byKey.find(Key(written));
      if (it == byKey.end()) {
        mistakes.push_back({entry.Line, entry.Where + ": no picture or model '" + entry.File + "' in " + result.Path + column(entry)});
        continue;
      }
      if (taken[it->second]) {
        mistakes.push_back({entry.Line, entry.Where + ": '" + entry.File + "' is catalogued twice" + column(entry)});
        continue;
      }
      taken[it->second] = true;
      TFolderWork work = result.Works[it->second];
      work.Catalogued = true;
      if (!entry.Title.empty()) work.Title = entry.Title;
      work.Author = entry.Author;
      work.Year = entry.Year;
      work.WidthCm = entry.WidthCm;
      work.HeightCm = entry.HeightCm;
      work.HasFacing = entry.HasFacing;
      work.FacingDeg = entry.FacingDeg;
      ordered.push_back(std::move(work));
    }
    if (!mistakes.empty()) {
      error = CatalogueErrorText(mistakes, QFileInfo(QString::fromStdString(cataloguePath)).fileName().toStdString(),
                                 "pinacora-data hang: ");
      return false;
    }
    for (std::size_t i = 0; i < result.Works.size(); ++i) {
      if (!taken[i]) {
        result.Notices.push_back(QFileInfo(QString::fromStdString(result.Works[i].File)).fileName().toStdString() +
                                 ": not in the catalogue, hung after the catalogued works");
        ordered.push_back(std::move(result.Works[i]));
      }
    }
    result.Works = std::move(ordered);
  }
  for (std::size_t i = 0; i < result.Works.size(); ++i) {
    TFolderWork& work = result.Works[i];
    if (work.Title.empty()) work.Title = TitleFromStem(work.Stem);
    if (work.Title.empty()) work.Title = "Opera " + std::to_string(i + 1);  // a name of only "_" and "-"
  }
  return true;
}

std::string WorksSummary(const TFolder& folder) {
  const std::size_t hung = folder.Works.size();
  if (folder.LeftOut.empty()) return std::to_string(hung) + (hung == 1 ? " work" : " works");
  std::string text = std::to_string(hung) + " of " + std::to_string(hung + folder.LeftOut.size()) + " works; left out: ";
  for (std::size_t i = 0; i < folder.LeftOut.size(); ++i) {
    const std::string& entry = folder.LeftOut[i];
    const std::size_t colon = entry.find(": ");
    text += (i ? ", " : "") + (colon == std::string::npos ? entry : entry.substr(0, colon) + " (" + entry.substr(colon + 2) + ")");
  }
  return text;
}

std::string LeftOutRefusal(const TFolder& folder, const std::string& prefix) {
  std::string text = folder.Path + ": " + std::to_string(folder.LeftOut.size()) + " of the " +
                     std::to_string(folder.Works.size() + folder.LeftOut.size()) + " works cannot be hung:";
  for (const std::string& entry : folder.LeftOut) text += "\n" + prefix + "  " + entry;
  text += "\n" + prefix + "nothing is written; mend or remove them, or --skip-bad hangs the others without them";
  return text;
}

std::string NotHungText(const TFolder& folder, std::size_t count) {
  std::string text = std::to_string(folder.Works.size() - count) + " works not hung (--max-works " + std::to_string(count) + "):";
  for (std::size_t i = count; i < folder.Works.size(); ++i) {
    text += (i > count ? ", " : " ") + QFileInfo(QString::fromStdString(folder.Works[i].File)).fileName().toStdString();
  }
  return text;
}

std::string TooManyAdvice(const TFolder& folder, int maxLists) {
  const long room = long(maxLists) - 2 - long(folder.Sounds.size());
  if (room < 1) return "fewer pieces of music would leave room for works";
  const std::string n = std::to_string(room);
  return "split the folder into exhibitions of at most " + n + " works each, or hang the first " + n +
         " in catalogue order with --max-works " + n + " (the rest are named)";
}
