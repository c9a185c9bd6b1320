#include "rtftokenizer.h"

#include <limits>

namespace {
bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
}  // namespace

int RtfHexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

TRtfToken TRtfTokenizer::Next() {
  TRtfToken token;
  // Line ends between tokens mean nothing in RTF.
  while (Pos < Size && (Data[Pos] == '\r' || Data[Pos] == '\n')) ++Pos;
  char c = 0;
  if (!Peek(c)) return token;
  if (c == '{') {
    ++Pos;
    token.Kind = TRtfTokenKind::GroupStart;
    return token;
  }
  if (c == '}') {
    ++Pos;
    token.Kind = TRtfTokenKind::GroupEnd;
    return token;
  }
  if (c == '\\') return ReadControl();

  token.Kind = TRtfTokenKind::Text;
  token.TextData = Data + Pos;
  while (Pos < Size) {
    const char t = Data[Pos];
    if (t == '\\' || t == '{' || t == '}' || t == '\r' || t == '\n') break;
    ++Pos;
  }
  token.TextLength = static_cast<std::size_t>(Data + Pos - token.TextData);
  return token;
}

TRtfToken TRtfTokenizer::ReadControl() {
  ++Pos;  // the backslash
  char c = 0;
  if (!Peek(c)) return TRtfToken();  // a lone backslash at the very end: nothing more
  if (IsLetter(c)) return ReadWord();
  ++Pos;
  if (c == '\'') return ReadHexByte();
  TRtfToken token;
  token.Kind = TRtfTokenKind::ControlSymbol;
  // A backslash before a line end is a paragraph break, as \par.
  token.Symbol = (c == '\r' || c == '\n') ? '\n' : c;
  return token;
}

TRtfToken TRtfTokenizer::ReadHexByte() {
  // \'hh: both digits must be there; a broken escape yields nothing and the cursor moves on past
  // whatever hex digits it had.
  TRtfToken token;
  char h = 0;
  char l = 0;
  const bool haveHigh = Peek(h) && RtfHexValue(h) >= 0;
  if (haveHigh) ++Pos;
  const bool haveLow = haveHigh && Peek(l) && RtfHexValue(l) >= 0;
  if (haveLow) ++Pos;
  if (haveHigh && haveLow) {
    token.Kind = TRtfTokenKind::HexByte;
    token.Byte = static_cast<std::uint8_t>(RtfHexValue(h) * 16 + RtfHexValue(l));
    return token;
  }
  token.Kind = TRtfTokenKind::ControlSymbol;
  token.Symbol = 0;  // ignored by the reader
  return token;
}

TRtfToken TRtfTokenizer::ReadWord() {
  TRtfToken token;
  token.Kind = TRtfTokenKind::ControlWord;
  while (Pos < Size && IsLetter(Data[Pos])) {
    if (token.Word.size() < MaxWordLength) token.Word.push_back(Data[Pos]);
    ++Pos;
  }
  token.HasParameter = ReadParameter(token.Parameter);
  // One space after a control word is its delimiter and belongs to it.
  if (Pos < Size && Data[Pos] == ' ') ++Pos;
  return token;
}

bool TRtfTokenizer::ReadParameter(std::int32_t& parameter) {
  // An optional signed number, saturated rather than overflowing.
  bool negative = false;
  if (Pos < Size && Data[Pos] == '-' && Pos + 1 < Size && IsDigit(Data[Pos + 1])) {
    negative = true;
    ++Pos;
  }
  if (Pos >= Size || !IsDigit(Data[Pos])) return false;
  std::int64_t value = 0;
  constexpr std::int64_t limit = static_cast<std::int64_t>(std::numeric_limits<std::int32_t>::max()) + 1;
  while (Pos < Size && IsDigit(Data[Pos])) {
    if (value < limit) value = value * 10 + (Data[Pos] - '0');
    ++Pos;
  }
  if (negative) value = -value;
  if (value > std::numeric_limits<std::int32_t>::max()) value = std::numeric_limits<std::int32_t>::max();
  if (value < std::numeric_limits<std::int32_t>::min()) value = std::numeric_limits<std::int32_t>::min();
  parameter = static_cast<std::int32_t>(value);
  return true;
}

const char* TRtfTokenizer::TakeBinary(std::int64_t count, std::size_t& length) {
  const char* start = Data + Pos;
  const std::size_t left = Size - Pos;
  length = count <= 0 ? 0 : (static_cast<std::uint64_t>(count) < left ? static_cast<std::size_t>(count) : left);
  Pos += length;
  return start;
}
