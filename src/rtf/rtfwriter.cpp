#include "rtfwriter.h"

#include <QChar>
#include <cstdint>
#include <string>

#include "data/cp1252.h"

namespace {

const char kHeader[] =
    "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss\\fcharset0 MS Sans Serif;}}\r\n"
    "\\viewkind4\\uc1\\pard\\f0\\fs16 ";

// The Windows-1252 byte of a character beyond ASCII, or 0 when the code page has none.
unsigned char Cp1252Byte(QChar c) {
  const QByteArray utf8 = QString(c).toUtf8();
  std::string bytes;
  if (!Utf8ToCp1252(std::string(utf8.constData(), static_cast<std::size_t>(utf8.size())), bytes)) return 0;
  if (bytes.size() != 1) return 0;
  const auto byte = static_cast<unsigned char>(bytes[0]);
  return byte < 0x80 ? 0 : byte;
}

void AppendHex(QByteArray& out, unsigned char byte) {
  static const char digits[] = "0123456789abcdef";
  out += "\\'";
  out += digits[byte >> 4];
  out += digits[byte & 0x0F];
}

void AppendCharacter(QByteArray& out, QChar c) {
  const char16_t unit = c.unicode();
  if (unit == '\\' || unit == '{' || unit == '}') {
    out += '\\';
    out += static_cast<char>(unit);
  } else if (unit == '\t') {
    out += "\\tab ";
  } else if (c == QChar::LineSeparator) {
    out += "\\line ";
  } else if (unit >= 0x20 && unit < 0x7F) {
    out += static_cast<char>(unit);
  } else if (unit < 0x20 || unit == 0x7F) {
    // Other control characters have no place in a line.
  } else if (const unsigned char byte = Cp1252Byte(c)) {
    AppendHex(out, byte);
  } else {
    // \u takes a signed 16-bit value; each half of a surrogate pair is written on its own.
    out += "\\u";
    out += QByteArray::number(static_cast<int>(static_cast<std::int16_t>(unit)));
    out += '?';
  }
}

}  // namespace

QByteArray WriteRtfLines(const QStringList& lines) {
  QByteArray out(kHeader);
  for (const QString& line : lines) {
    for (const QChar c : line) AppendCharacter(out, c);
    out += "\\par\r\n";
  }
  out += "}\r\n";
  return out;
}
