// Names travel as UTF-8 on the command line and in manifests, and as Windows-1252 bytes in the file.
#pragma once

#include <string>

// Encodes UTF-8 text as Windows-1252 bytes; false when a character has no Windows-1252 form.
bool Utf8ToCp1252(const std::string& utf8, std::string& bytes);
// Decodes Windows-1252 bytes for the terminal.
std::string Cp1252ToUtf8(const std::string& bytes);
