// Whole-file reading and writing with errors that name the file and the reason.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Reads a whole file; false with "path: reason" in error. Refuses files over maxBytes.
bool ReadWholeFile(const std::string& path, std::vector<std::uint8_t>& bytes, std::string& error,
                   std::uint64_t maxBytes = std::uint64_t(1) << 31);
// Writes bytes to a new file (replacing any old one); false with "path: reason" in error.
bool WriteWholeFile(const std::string& path, const std::uint8_t* bytes, std::size_t length, std::string& error);
// The same for text.
bool WriteTextFile(const std::string& path, const std::string& text, std::string& error);
bool FileExists(const std::string& path);
// The file's name without folder and extension.
std::string BaseName(const std::string& path);
