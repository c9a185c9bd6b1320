#include "hangcatalogue.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <QTextCodec>
#include <cmath>
#include <algorithm>
#include <map>

#include "common/fileio.h"

namespace {

// The column a header names, or an empty text for one we do not know.
std::string ColumnOf(QString header) {
  header = header.trimmed().toLower();
  static const std::map<QString, std::string> names = {
      {"file", "file"},         {"filename", "file"},   {"immagine", "file"}, {"image", "file"},
      {"title", "title"},       {"titolo", "title"},    {"author", "author"}, {"autore", "author"},
      {"artist", "author"},     {"year", "year"},       {"anno", "year"},     {"date", "year"},
      {"data", "year"},         {"width", "width"},     {"larghezza", "width"}, {"base", "width"},
      {"height", "height"},     {"altezza", "height"},  {"order", "order"},   {"ordine", "order"},
      {"facing", "facing"},     {"fronte", "facing"}};
  const auto it = names.find(header);
  return it == names.end() ? std::string() : it->second;
}

// A number as curators write it: "60", "60.5" or "60,5", with or without " cm".
bool ParseNumber(QString text, double& value) {
  text = text.trimmed();
  if (text.endsWith("cm", Qt::CaseInsensitive)) text.chop(2);
  text = text.trimmed().replace(',', '.');
  bool ok = false;
  value = text.toDouble(&ok);
  return ok && std::isfinite(value);
}

// Splits one CSV record; quotes may hold separators, doubled quotes and line ends.
QStringList SplitRecord(const QString& text, int& position, QChar separator) {
  QStringList fields;
  QString field;
  bool quoted = false;
  while (position < text.size()) {
    const QChar c = text.at(position++);
    if (quoted) {
      if (c == '"' && position < text.size() && text.at(position) == '"') {
        field += '"';
        ++position;
      } else if (c == '"') {
        quoted = false;
      } else {
        field += c;
      }
    } else if (c == '"') {
      quoted = true;
    } else if (c == separator) {
      fields << field;
      field.clear();
    } else if (c == '\n') {
      break;
    } else if (c != '\r') {
      field += c;
    }
  }
  fields << field;
  return fields;
}

class TCatalogueReader {
 public:
  explicit TCatalogueReader(std::string path) : Path(std::move(path)) {
    const std::size_t slash = Path.find_last_of('/');
    Name = slash == std::string::npos ? Path : Path.substr(slash + 1);
  }

  bool Fail(const std::string& where, const std::string& reason, int line = 0) {
    Errors.push_back({line, where + ": " + reason});
    return false;
  }

  // Reads one field; a bad one is reported, with its column, and the row is left out.
  bool Field(TCatalogueEntry& entry, const std::string& column, const QString& value, const std::string& place) {
    const std::size_t before = Errors.size();
    const bool ok = ReadField(entry, column, value);
    if (!ok && Errors.size() > before) {
      Errors.back().Line = entry.Line;
      Errors.back().Text += " (" + place + ")";
    }
    return ok;
  }

  bool ReadField(TCatalogueEntry& entry, const std::string& column, const QString& value) {
    const QString text = value.trimmed();
    if (text.isEmpty()) return true;
    if (column == "file") entry.File = text.toStdString();
    if (column == "title") entry.Title = text.toStdString();
    if (column == "author") entry.Author = text.toStdString();
    if (column == "year") entry.Year = text.toStdString();
    if (column == "width" || column == "height" || column == "order" || column == "facing") {
      double number = 0;
      if (!ParseNumber(text, number)) return Fail(entry.Where, column + " '" + text.toStdString() + "' is not a number");
      if (column == "facing") {
        if (std::fabs(number) > 360) return Fail(entry.Where, "facing " + text.toStdString() + " is not an angle from -360 to 360 degrees");
        entry.HasFacing = true;
        entry.FacingDeg = number;
        return true;
      }
      if (column != "order" && (number <= 0 || number > 100000)) {
        return Fail(entry.Where, column + " " + text.toStdString() + " cm is not a size a work can have");
      }
      if (column == "width") entry.WidthCm = number;
      if (column == "height") entry.HeightCm = number;
      if (column == "order") {
        entry.HasOrder = true;
        entry.Order = number;
      }
    }
    return true;
  }

  bool Finish(TCatalogueEntry& entry, bool good, std::vector<TCatalogueEntry>& entries) {
    if (entry.File.empty()) return Fail(entry.Where, "no file named", entry.Line);
    if (good) entries.push_back(std::move(entry));
    return good;
  }

  bool ReadCsv(const QString& text, std::vector<TCatalogueEntry>& entries) {
    const QString firstLine = text.section('\n', 0, 0);
    QChar separator = ',';
    if (firstLine.count(';') > firstLine.count(separator)) separator = ';';
    if (firstLine.count('\t') > firstLine.count(separator)) separator = '\t';
    int position = 0, line = 1;
    const QStringList headers = SplitRecord(text, position, separator);
    std::vector<std::string> columns;
    bool hasFile = false;
    for (const QString& header : headers) {
      columns.push_back(ColumnOf(header));
      hasFile = hasFile || columns.back() == "file";
    }
    if (!hasFile) return Fail(Name + ": line 1", "the header row names no \"file\" column", 1);
    while (position < text.size()) {
      const int start = position;
      const QStringList fields = SplitRecord(text, position, separator);
      const int recordLine = ++line;
      line += text.mid(start, position - start).count('\n') - 1;
      if (fields.join(QString()).trimmed().isEmpty()) continue;
      TCatalogueEntry entry;
      entry.Where = Name + ": line " + std::to_string(recordLine);
      entry.Line = recordLine;
      bool good = true;
      for (int i = 0; i < fields.size() && i < int(columns.size()); ++i) {
        const std::string& column = columns[std::size_t(i)];
        if (column == "file") entry.FileColumn = i + 1;
        if (!column.empty() && !Field(entry, column, fields.at(i), "column " + std::to_string(i + 1))) good = false;
      }
      Finish(entry, good, entries);
    }
    return Errors.empty();
  }

  bool ReadJson(const QByteArray& bytes, std::vector<TCatalogueEntry>& entries) {
    QJsonParseError parseError{};
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &parseError);
    if (parseError.error != QJsonParseError::NoError) {
      return Fail(Name, "not valid JSON at byte " + std::to_string(parseError.offset) + ": " +
                            parseError.errorString().toStdString());
    }
    QJsonArray works = document.array();
    if (document.isObject()) works = document.object().value("works").toArray();
    if (!document.isArray() && !(document.isObject() && document.object().value("works").isArray())) {
      return Fail(Name, "must be an array of works, or an object with a \"works\" array");
    }
    for (int i = 0; i < works.size(); ++i) {
      TCatalogueEntry entry;
      entry.Where = Name + ": work " + std::to_string(i + 1);
      entry.Line = i + 1;
      if (!works.at(i).isObject()) {
        Fail(entry.Where, "must be an object", entry.Line);
        continue;
      }
      bool good = true;
      const QJsonObject object = works.at(i).toObject();
      for (auto it = object.begin(); it != object.end(); ++it) {
        const std::string column = ColumnOf(it.key());
        if (column.empty()) continue;
        const QJsonValue v = it.value();
        const QString value = v.isDouble() ? QString::number(v.toDouble(), 'g', 12) : v.toString();
        if (!v.isDouble() && !v.isString() && !v.isNull()) {
          Fail(entry.Where, "\"" + it.key().toStdString() + "\" must be a text or a number", entry.Line);
          good = false;
          continue;
        }
        if (!Field(entry, column, value, "\"" + it.key().toStdString() + "\"")) good = false;
      }
      Finish(entry, good, entries);
    }
    return Errors.empty();
  }

  std::string Path, Name;
  std::vector<TCatalogueError> Errors;
};

}  // namespace

bool ReadCatalogue(const std::string& path, std::vector<TCatalogueEntry>& entries, std::vector<TCatalogueError>& errors) {
  entries.clear();
  std::vector<std::uint8_t> bytes;
  std::string error;
  if (!ReadWholeFile(path, bytes, error, std::uint64_t(16) << 20)) {
    errors.push_back({0, error});
    return false;
  }
  QByteArray data(reinterpret_cast<const char*>(bytes.data()), int(bytes.size()));
  if (data.startsWith("\xEF\xBB\xBF")) data.remove(0, 3);
  TCatalogueReader reader(path);
  bool ok = false;
  if (path.size() >= 5 && QString::fromStdString(path).endsWith(".json", Qt::CaseInsensitive)) {
    ok = reader.ReadJson(data, entries);
  } else {
    // Spreadsheets save UTF-8 or, on older Windows machines, Windows-1252.
    QTextCodec::ConverterState state;
    QTextCodec* utf8 = QTextCodec::codecForName("UTF-8");
    QString text = utf8->toUnicode(data.constData(), data.size(), &state);
    if (state.invalidChars > 0) text = QTextCodec::codecForName("Windows-1252")->toUnicode(data);
    ok = reader.ReadCsv(text, entries);
  }
  errors.insert(errors.end(), reader.Errors.begin(), reader.Errors.end());
  return ok;
}

std::string CatalogueErrorText(std::vector<TCatalogueError> errors, const std::string& catalogue,
                               const std::string& prefix) {
  std::stable_sort(errors.begin(), errors.end(),
                   [](const TCatalogueError& a, const TCatalogueError& b) { return a.Line < b.Line; });
  std::string text;
  for (const TCatalogueError& error : errors) text += (text.empty() ? "" : "\n" + prefix) + error.Text;
  if (errors.size() > 1) {
    text += "\n" + prefix + catalogue + ": " + std::to_string(errors.size()) + " mistakes; mend them all and hang again";
  }
  return text;
}
