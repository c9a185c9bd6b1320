#include "kioskoptions.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTextStream>

namespace {
// A day: anything longer is certainly a typing mistake.
constexpr int kMaxIdleReturnSeconds = 24 * 60 * 60;

bool ReadSeconds(const QString& text, int& seconds) {
  bool ok = false;
  const int value = text.toInt(&ok);
  if (!ok || value < 0 || value > kMaxIdleReturnSeconds) return false;
  seconds = value;
  return true;
}
}  // namespace

QString TKioskOptions::Usage() {
  return QStringLiteral(
      "Usage: pinacora [--kiosk] [--idle-return SECONDS]\n"
      "\n"
      "Shows the exhibition kddata.bin of the current folder in 3D.\n"
      "\n"
      "  --kiosk                 visitors cannot end the program: Exit and closing the window ask\n"
      "                          for the STAFF_CODE of ~/.config/pinacora/kiosk.conf (none set:\n"
      "                          they do nothing); the windows are sized for fingers, and a\n"
      "                          single tap opens a note or a movie\n"
      "  --idle-return SECONDS   after SECONDS without a key, mouse or touch event: the visitor's\n"
      "                          windows close, autoplay and the music come back and the camera\n"
      "                          flies to a random work (0: never; at most 86400)\n"
      "  --help                  this text\n");
}

TKioskOptions TKioskOptions::Parse(const QStringList& arguments) {
  TKioskOptions options;
  for (int i = 0; i < arguments.size(); ++i) {
    const QString& word = arguments[i];
    if (word == QLatin1String("--kiosk")) {
      options.Kiosk = true;
    } else if (word == QLatin1String("--help") || word == QLatin1String("-h")) {
      options.Help = true;
    } else if (word == QLatin1String("--idle-return") || word.startsWith(QLatin1String("--idle-return="))) {
      QString value;
      if (word.contains('=')) {
        value = word.mid(word.indexOf('=') + 1);
      } else if (i + 1 < arguments.size()) {
        value = arguments[++i];
      } else {
        options.Error = QStringLiteral("--idle-return needs a number of seconds");
        return options;
      }
      if (!ReadSeconds(value, options.IdleReturnSeconds)) {
        options.Error = QStringLiteral("--idle-return: '%1' is not a number of seconds from 0 to %2")
                            .arg(value)
                            .arg(kMaxIdleReturnSeconds);
        return options;
      }
    } else {
      options.Error = QStringLiteral("unknown argument '%1' (the program opens kddata.bin in the current "
                                     "folder; the pinacora launcher takes a folder)")
                          .arg(word);
      return options;
    }
  }
  if (options.Kiosk) options.StaffCode = ReadSetting(ConfigPath(), QStringLiteral("STAFF_CODE"));
  return options;
}

QString TKioskOptions::ConfigPath() {
  return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation))
      .filePath(QStringLiteral("pinacora/kiosk.conf"));
}

QString TKioskOptions::ReadSetting(const QString& path, const QString& key) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) return QString();
  QString value;
  QTextStream lines(&file);
  lines.setCodec("UTF-8");
  while (!lines.atEnd()) {
    const QString line = lines.readLine().trimmed();
    if (line.startsWith('#')) continue;
    const int equals = line.indexOf('=');
    if (equals <= 0 || line.left(equals).trimmed() != key) continue;
    value = line.mid(equals + 1).trimmed();
  }
  return value;
}
