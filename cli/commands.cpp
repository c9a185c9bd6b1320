#include "commands.h"

#include <cstdio>

int PrintHelp(const char* text) {
  std::fputs(text, stdout);
  return 0;
}

int Refuse(const std::string& command, const std::string& message, int status) {
  std::fprintf(stderr, "pinacora-data %s: %s\n", command.c_str(), message.c_str());
  return status;
}
