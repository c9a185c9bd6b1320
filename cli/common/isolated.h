// Runs a piece of work in a child process with a time limit, so that a library that crashes or
// hangs on hostile input cannot take the caller with it. The work answers a text, which comes back.
#pragma once

#include <functional>
#include <string>

struct TIsolatedRun {
  enum class End { Finished, Failed, Crashed, TimedOut, NotStarted };
  End How = End::NotStarted;
  int Code = 0;  // the exit status (Failed) or the signal (Crashed)
  std::string Output;
  // What went wrong, in words ("was killed by signal 11 (Segmentation fault)"); empty when finished.
  std::string Reason() const;
};

TIsolatedRun RunIsolated(const std::function<std::string()>& work, int seconds);
