#include "args.h"

#include <cerrno>
#include <cstdlib>
#include <limits>

std::string TArgs::Value(const std::string& option) const {
  const auto it = Values.find(option);
  return it == Values.end() || it->second.empty() ? std::string() : it->second.back();
}

TArgs ParseArgs(const std::vector<std::string>& args, const std::set<std::string>& withValue,
                const std::set<std::string>& flags) {
  TArgs result;
  bool optionsEnded = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& word = args[i];
    if (optionsEnded || word.size() < 2 || word[0] != '-' || (word[1] >= '0' && word[1] <= '9')) {
      result.Positional.push_back(word);  // negative numbers are arguments, not options
    } else if (word == "--") {
      optionsEnded = true;
    } else if (word == "-h" || word == "--help") {
      result.Flags.insert("--help");
    } else if (withValue.count(word) != 0) {
      if (i + 1 >= args.size()) {
        result.Error = "option " + word + " needs a value";
        return result;
      }
      result.Values[word].push_back(args[++i]);
    } else if (flags.count(word) != 0) {
      result.Flags.insert(word);
    } else {
      result.Error = "unknown option " + word;
      return result;
    }
  }
  return result;
}

bool ParseInt32(const std::string& text, int& value) {
  if (text.empty()) return false;
  errno = 0;
  char* end = nullptr;
  const long long v = std::strtoll(text.c_str(), &end, 10);
  if (errno != 0 || end == nullptr || *end != '\0' || v < std::numeric_limits<int>::min() ||
      v > std::numeric_limits<int>::max()) {
    return false;
  }
  value = static_cast<int>(v);
  return true;
}
