// Everything the program relies on in a data file, checked without trusting a byte of it.
#pragma once

#include <string>
#include <vector>

// One line per problem; none for a clean file.
std::vector<std::string> CheckDataFile(const std::string& path);
