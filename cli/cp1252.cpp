#include "cp1252.h"

#include <QString>
#include <QTextCodec>

#include "texts.h"

bool Utf8ToCp1252(const std::string& utf8, std::string& bytes) {
  const QString text = QString::fromUtf8(utf8.data(), static_cast<int>(utf8.size()));
  // fromUtf8 turns broken sequences into U+FFFD, which Windows-1252 cannot hold either.
  QTextCodec* codec = QTextCodec::codecForName("Windows-1252");
  if (codec == nullptr || !codec->canEncode(text)) return false;
  bytes = ToCp1252(text);
  // The codec maps some unassigned positions; insist on a round trip so nothing changes silently.
  return FromCp1252(bytes) == text;
}

std::string Cp1252ToUtf8(const std::string& bytes) {
  const QByteArray utf8 = FromCp1252(bytes).toUtf8();
  return std::string(utf8.constData(), static_cast<std::size_t>(utf8.size()));
}
