#include "texts.h"

#include "data/cp1252.h"

QString FromCp1252(const char* bytes, int length) {
  if (bytes == nullptr || length <= 0) return QString();
  const std::string utf8 = Cp1252ToUtf8(std::string(bytes, static_cast<std::size_t>(length)));
  return QString::fromUtf8(utf8.data(), static_cast<int>(utf8.size()));
}

QString FromCp1252(const std::string& bytes) { return FromCp1252(bytes.data(), static_cast<int>(bytes.size())); }

std::string ToCp1252(const QString& text) {
  // A character without a Windows-1252 form becomes '?', as the system code page would have it.
  std::string bytes;
  const QByteArray utf8 = text.toUtf8();
  if (Utf8ToCp1252(std::string(utf8.constData(), static_cast<std::size_t>(utf8.size())), bytes)) return bytes;
  bytes.clear();
  for (const QChar c : text) {
    std::string one;
    const QByteArray u = QString(c).toUtf8();
    bytes += Utf8ToCp1252(std::string(u.constData(), static_cast<std::size_t>(u.size())), one) ? one : "?";
  }
  return bytes;
}

QString ProgramTitleLine() { return QStringLiteral("  Pinacora - Mostra virtuale in 3D"); }

QString FromNameBytes(const std::string& bytes) {
  const std::string utf8 = DecodeName(bytes);
  return QString::fromUtf8(utf8.data(), static_cast<int>(utf8.size()));
}
