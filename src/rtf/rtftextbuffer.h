// Collects the text of an RTF run: bytes in a code page and Unicode characters, in order.
#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <map>

class QTextCodec;

// The text codec of each Windows code page, looked up once; unknown code pages read as 1252.
class TRtfCodecs {
 public:
  QTextCodec* ForCodePage(int codePage);

 private:
  std::map<int, QTextCodec*> Known;
};

class TRtfTextBuffer {
 public:
  void AddByte(std::uint8_t byte, QTextCodec* codec);
  void AddUnicode(char32_t c);
  // The text so far, with control characters and unpaired surrogates dropped; empties the buffer.
  QString Take();
  void Clear();

 private:
  void DecodeBytes();

  QByteArray Bytes;
  QTextCodec* BytesCodec = nullptr;
  QString Text;
};

// The character of a \uN parameter: negative values count from 65536, as RTF writers store
// 16-bit values signed; anything outside Unicode becomes U+FFFD.
char32_t RtfUnicodeFromParameter(std::int32_t value);
