#include "texts.h"

#include <QTextCodec>

namespace {
QTextCodec* Cp1252() {
  static QTextCodec* codec = QTextCodec::codecForName("Windows-1252");
  return codec;
}
}  // namespace

QString FromCp1252(const char* bytes, int length) {
  if (QTextCodec* codec = Cp1252()) return codec->toUnicode(bytes, length);
  return QString::fromLatin1(bytes, length);
}

QString FromCp1252(const std::string& bytes) { return FromCp1252(bytes.data(), static_cast<int>(bytes.size())); }

std::string ToCp1252(const QString& text) {
  const QByteArray bytes = Cp1252() ? Cp1252()->fromUnicode(text) : text.toLatin1();
  return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}
