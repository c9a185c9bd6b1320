// Runs a helper program (pandoc) with a time limit, without a shell.
#pragma once

#include <string>
#include <vector>

struct TProgramRun {
  bool Started = false;   // false when the program could not be started (not installed)
  bool TimedOut = false;  // killed after the time limit
  int Status = -1;        // exit status; -1 when it did not exit normally
  std::string Errors;     // what it wrote on standard error (the first few kilobytes)
};

// Looks the program up on PATH; the empty text when it is not there.
std::string FindProgram(const std::string& name);

// Runs argv[0] (found on PATH) with the arguments; standard input and output are /dev/null.
TProgramRun RunProgram(const std::vector<std::string>& argv, int timeLimitSeconds);
