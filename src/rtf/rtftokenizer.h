// Splits RTF bytes into tokens: group braces, control words and symbols, hex bytes and plain text.
// Every byte of input is read through one bounded cursor; nothing here can read past the end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

enum class TRtfTokenKind {
  End,           // no more input
  GroupStart,    // {
  GroupEnd,      // }
  ControlWord,   // \word or \wordN
  ControlSymbol, // \x for a non-letter x other than '
  HexByte,       // \'hh
  Text,          // a run of plain bytes (line ends dropped)
};

struct TRtfToken {
  TRtfTokenKind Kind = TRtfTokenKind::End;
  std::string Word;           // control word (letters only, at most MaxWordLength kept)
  bool HasParameter = false;  // control word with a numeric parameter
  std::int32_t Parameter = 0; // saturated to the int32 range
  char Symbol = 0;            // control symbol character
  std::uint8_t Byte = 0;      // hex byte value
  const char* TextData = nullptr;  // text run: points into the input
  std::size_t TextLength = 0;
};

class TRtfTokenizer {
 public:
  static constexpr std::size_t MaxWordLength = 32;

  TRtfTokenizer(const char* data, std::size_t size) : Data(data), Size(size) {}

  // Reads the next token. Text runs never contain '\\', '{', '}', CR or LF.
  TRtfToken Next();

  // Hands out up to count raw bytes following a \bin word (clamped to what is left) and moves past
  // them. Answers the start of the run and stores its length.
  const char* TakeBinary(std::int64_t count, std::size_t& length);

  std::size_t Position() const { return Pos; }
  // Goes back (or on) to a position seen before.
  void Seek(std::size_t position) { Pos = position < Size ? position : Size; }
  bool AtEnd() const { return Pos >= Size; }

 private:
  bool Peek(char& c) const {
    if (Pos >= Size) return false;
    c = Data[Pos];
    return true;
  }
  TRtfToken ReadControl();
  TRtfToken ReadHexByte();
  TRtfToken ReadWord();
  bool ReadParameter(std::int32_t& parameter);

  const char* Data;
  std::size_t Size;
  std::size_t Pos = 0;
};

// Value of one hexadecimal digit, or -1.
int RtfHexValue(char c);
