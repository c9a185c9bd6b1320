// Prints the text the info window shows for a note file: the program's RTF reader, or the file as
// Windows-1252 plain text when it is not RTF. The web tests compare the page's note with it.
#include <QFile>
#include <QGuiApplication>
#include <QTextDocument>
#include <cstdio>

#include "data/cp1252.h"
#include "rtf/rtfreader.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: notetext NOTE\n");
    return 2;
  }
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication application(argc, argv);
  QFile file(QString::fromLocal8Bit(argv[1]));
  if (!file.open(QIODevice::ReadOnly)) {
    std::fprintf(stderr, "notetext: %s: cannot read\n", argv[1]);
    return 1;
  }
  const QByteArray bytes = file.readAll();
  QTextDocument document;
  if (!ReadRtf(bytes, document)) document.setPlainText(QString::fromStdString(Cp1252ToUtf8(bytes.toStdString())));
  std::fputs(document.toPlainText().toUtf8().constData(), stdout);
  return 0;
}
