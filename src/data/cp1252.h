// Texts of the data file are Windows-1252 bytes; people, terminals and manifests use UTF-8.
// Names are the one exception: a name Windows-1252 cannot hold is stored as its UTF-8 bytes.
#pragma once

#include <string>

// Encodes UTF-8 text as Windows-1252 bytes; false when the text is not valid UTF-8 or a character
// has no Windows-1252 form (bytes is then left as it was).
bool Utf8ToCp1252(const std::string& utf8, std::string& bytes);

// The Windows-1252 byte of one code point; false when the code page has none (the five
// unassigned positions 0x81, 0x8D, 0x8F, 0x90, 0x9D are no characters of it).
bool EncodeCp1252(char32_t c, char& byte);

// Decodes Windows-1252 bytes as UTF-8. The five positions Windows-1252 leaves unassigned keep their
// own code points, so no byte is lost.
std::string Cp1252ToUtf8(const std::string& bytes);

// The bytes a name is stored as: Windows-1252 when that holds it and reads back the same, otherwise
// its UTF-8 bytes. False only when the name is not valid UTF-8 (bytes is then left as it was).
bool EncodeName(const std::string& utf8, std::string& bytes);

// Reads a stored name as UTF-8: bytes that are valid UTF-8 and hold at least one multi-byte
// sequence are taken as they are, any others as Windows-1252 (as every older file has them).
std::string DecodeName(const std::string& bytes);

// True when the bytes are valid UTF-8 with at least one character outside ASCII.
bool LooksLikeUtf8(const std::string& bytes);
