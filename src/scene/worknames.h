// The naming rule of works: an indexed face set named "KD_<Id>" shows the opera with that Id.
#pragma once

#include <cstdint>
#include <string>

// The name a work's face set carries in the scene: "KD_<Id>".
std::string WorkName(std::int32_t Id);

// True when the name starts with the work prefix, in either case ("KD_", "kd_", "Kd_" ...).
bool HasWorkPrefix(const char* name);

// The Id in the tail of a work name (the text after the prefix): decimal digits with an optional
// sign, nothing else. Anything else throws std::invalid_argument with the conversion error's text,
// which the program shows as it is.
std::int32_t WorkIdFromTail(const std::string& tail);

// A work name to its Id without throwing: false when the name has no work prefix or its tail is not
// a number.
bool ParseWorkName(const std::string& name, std::int32_t& Id);
