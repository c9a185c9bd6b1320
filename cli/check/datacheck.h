// Everything the program relies on in a data file, checked without trusting a byte of it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "checkreport.h"

// Errors, warnings and the per-work lines of a data file.
TCheckReport CheckExhibitionFile(const std::string& path, const TCheckOptions& options = {});
TCheckReport CheckExhibitionBytes(const std::uint8_t* bytes, std::size_t length, const TCheckOptions& options = {});

// One line per problem (warnings after "warning: "); none for a clean file.
std::vector<std::string> CheckDataFile(const std::string& path);
// The same for a data file held in memory (fuzzing, tests).
std::vector<std::string> CheckDataBytes(const std::uint8_t* bytes, std::size_t length);
