#include "worknames.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <stdexcept>

std::string WorkName(std::int32_t Id) { return "KD_" + std::to_string(Id); }

bool HasWorkPrefix(const char* name) {
  return name != nullptr && name[0] != 0 && (name[0] == 'K' || name[0] == 'k') && name[1] != 0 &&
         (name[1] == 'D' || name[1] == 'd') && name[2] == '_';
}

namespace {

bool TailToInteger(const std::string& tail, std::int32_t& value) {
  const char* begin = tail.c_str();
  char* end = nullptr;
  errno = 0;
  const long parsed = std::strtol(begin, &end, 10);
  const bool digitsOnly = end != begin && *end == 0 && tail.find_first_of(" \t\n\r\f\v") == std::string::npos;
  if (!digitsOnly || errno == ERANGE || parsed < INT_MIN || parsed > INT_MAX) return false;
  value = static_cast<std::int32_t>(parsed);
  return true;
}

}  // namespace

std::int32_t WorkIdFromTail(const std::string& tail) {
  std::int32_t value = 0;
  if (!TailToInteger(tail, value)) throw std::invalid_argument("'" + tail + "' is not a valid integer value");
  return value;
}

bool ParseWorkName(const std::string& name, std::int32_t& Id) {
  return HasWorkPrefix(name.c_str()) && TailToInteger(name.substr(3), Id);
}
