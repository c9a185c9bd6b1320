// Texts of the data file are Windows-1252 bytes; people, terminals and manifests use UTF-8.
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
