// The subcommands of pinacora-data. Each takes the words after its name and answers the exit status.
#pragma once

#include <string>
#include <vector>

int CommandLs(const std::vector<std::string>& args);
int CommandDump(const std::vector<std::string>& args);
int CommandPack(const std::vector<std::string>& args);
int CommandCheck(const std::vector<std::string>& args);
int CommandExtract(const std::vector<std::string>& args);
int CommandHang(const std::vector<std::string>& args);
int CommandWeb(const std::vector<std::string>& args);

// Prints a command's help on standard output and answers status 0.
int PrintHelp(const char* text);
// Prints "pinacora-data <command>: message" on standard error and answers status 1 (2 for usage).
int Refuse(const std::string& command, const std::string& message, int status = 1);
