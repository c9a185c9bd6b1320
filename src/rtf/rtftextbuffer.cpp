#include "rtftextbuffer.h"

#include <QTextCodec>

namespace {
QTextCodec* FindCodec(int codePage) {
  QByteArrayList names;
  switch (codePage) {
    case 437: names = {"IBM437", "IBM 437", "cp437"}; break;
    case 850: names = {"IBM850", "IBM 850", "cp850"}; break;
    case 874: names = {"windows-874", "TIS-620"}; break;
    case 932: names = {"Shift_JIS", "windows-31j"}; break;
    case 936: names = {"GBK", "GB2312"}; break;
    case 949: names = {"cp949", "windows-949", "EUC-KR"}; break;
    case 950: names = {"Big5"}; break;
    case 10000: names = {"macintosh", "Apple Roman"}; break;
    case 65001: names = {"UTF-8"}; break;
    default:
      if (codePage >= 1250 && codePage <= 1258) names = {"windows-" + QByteArray::number(codePage)};
      if (codePage >= 28591 && codePage <= 28606) names = {"ISO-8859-" + QByteArray::number(codePage - 28590)};
      break;
  }
  for (const QByteArray& name : names)
    if (QTextCodec* codec = QTextCodec::codecForName(name)) return codec;
  return nullptr;
}
}  // namespace

QTextCodec* TRtfCodecs::ForCodePage(int codePage) {
  const auto it = Known.find(codePage);
  if (it != Known.end()) return it->second;
  QTextCodec* codec = FindCodec(codePage);
  if (codec == nullptr) codec = FindCodec(1252);
  if (codec == nullptr) codec = QTextCodec::codecForName("ISO-8859-1");
  Known[codePage] = codec;
  return codec;
}

void TRtfTextBuffer::AddByte(std::uint8_t byte, QTextCodec* codec) {
  // Bytes of one code page are decoded together, so that double-byte characters stay whole.
  if (codec != BytesCodec) DecodeBytes();
  BytesCodec = codec;
  Bytes.append(static_cast<char>(byte));
}

void TRtfTextBuffer::AddUnicode(char32_t c) {
  DecodeBytes();
  if (c > 0xFFFF) {
    Text.append(QChar(QChar::highSurrogate(c)));
    Text.append(QChar(QChar::lowSurrogate(c)));
  } else {
    Text.append(QChar(static_cast<char16_t>(c)));
  }
}

void TRtfTextBuffer::DecodeBytes() {
  if (Bytes.isEmpty()) return;
  Text.append(BytesCodec != nullptr ? BytesCodec->toUnicode(Bytes) : QString::fromLatin1(Bytes));
  Bytes.clear();
}

QString TRtfTextBuffer::Take() {
  DecodeBytes();
  QString clean;
  clean.reserve(Text.size());
  for (int i = 0; i < Text.size(); ++i) {
    const QChar c = Text.at(i);
    if (c.isHighSurrogate() && i + 1 < Text.size() && Text.at(i + 1).isLowSurrogate()) {
      clean.append(c);
      clean.append(Text.at(++i));
      continue;
    }
    if (c.isSurrogate()) {
      clean.append(QChar(QChar::ReplacementCharacter));
      continue;
    }
    const char16_t u = c.unicode();
    if (u < 0x20 && u != '\t') continue;
    if (u == QChar::ObjectReplacementCharacter) {  // reserved by the document for images
      clean.append(QChar(QChar::ReplacementCharacter));
      continue;
    }
    clean.append(c);
  }
  Text.clear();
  return clean;
}

void TRtfTextBuffer::Clear() {
  Bytes.clear();
  Text.clear();
  BytesCodec = nullptr;
}

char32_t RtfUnicodeFromParameter(std::int32_t value) {
  std::int64_t code = value;
  if (code < 0 && code >= -32768) code += 65536;
  if (code < 0 || code > 0x10FFFF) return QChar::ReplacementCharacter;
  return static_cast<char32_t>(code);
}
