// The command line of one subcommand: positional arguments, options with a value, flags.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

struct TArgs {
  std::vector<std::string> Positional;
  std::map<std::string, std::vector<std::string>> Values;  // every occurrence, in order
  std::set<std::string> Flags;
  std::string Error;  // set when the command line cannot be understood

  bool Has(const std::string& flag) const { return Flags.count(flag) != 0; }
  // The last value of an option, or an empty text.
  std::string Value(const std::string& option) const;
};

// Splits args (the words after the subcommand's name). Options named in withValue take the next
// word; flags named in flags take none; "--" ends the options. "-h" and "--help" are always flags.
TArgs ParseArgs(const std::vector<std::string>& args, const std::set<std::string>& withValue,
                const std::set<std::string>& flags);

// Parses a whole decimal 32-bit number; false for anything else.
bool ParseInt32(const std::string& text, int& value);
