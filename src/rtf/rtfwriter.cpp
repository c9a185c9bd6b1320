#include "rtfwriter.h"

#include <QChar>
#include <cstdint>

#include "data/cp1252.h"

namespace {

const char kHeader[] =
    "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss\\fcharset0 MS Sans Serif;}}\r\n"
    "\\viewkind4\\uc1\\pard\\f0\\fs16 ";

void AppendHex(std::string& out, unsigned char byte) {
  static const char digits[] = "0123456789abcdef";
  out += "\\'";
  out += digits[byte >> 4];
  out += digits[byte & 0x0F];
}

}  // namespace

void AppendRtfText(std::string& rtf, char16_t unit) {
  char byte = 0;
  if (unit == '\\' || unit == '{' || unit == '}') {
    rtf += '\\';
    rtf += static_cast<char>(unit);
  } else if (unit == '\t') {
    rtf += "\\tab ";
  } else if (unit >= 0x20 && unit < 0x7F) {
    rtf += static_cast<char>(unit);
  } else if (unit < 0x20 || unit == 0x7F) {
    // Control characters are the caller's to turn into paragraphs, pages or nothing.
  } else if (EncodeCp1252(unit, byte)) {
    AppendHex(rtf, static_cast<unsigned char>(byte));
  } else {
    rtf += "\\u" + std::to_string(static_cast<int>(static_cast<std::int16_t>(unit))) + "?";
  }
}

QByteArray WriteRtfLines(const QStringList& lines) {
  std::string out(kHeader);
  for (const QString& line : lines) {
    for (const QChar c : line) {
      if (c == QChar::LineSeparator) out += "\\line ";
      else AppendRtfText(out, c.unicode());
    }
    out += "\\par\r\n";
  }
  out += "}\r\n";
  return QByteArray::fromStdString(out);
}
