// What a check of an exhibition file found: errors (the program would show something broken, or
// nothing), warnings (it works, but a curator should look), and one line per work for a summary.
#pragma once

#include <string>
#include <vector>

enum class TSeverity { Error, Warning };

struct TFinding {
  TSeverity Severity = TSeverity::Error;
  std::string Text;
};

struct TCheckReport {
  std::vector<TFinding> Findings;
  // One line per opera with a work in the works' scene: where the flight goes and what it sees.
  // Lines about a single work (its size, its texture bytes ...) belong here.
  std::vector<std::string> Works;

  void Error(const std::string& text) { Findings.push_back({TSeverity::Error, text}); }
  void Warning(const std::string& text) { Findings.push_back({TSeverity::Warning, text}); }
  int Count(TSeverity severity) const;
  // Every finding as printed: errors as they stand, warnings after "warning: ".
  std::vector<std::string> Lines() const;
};

struct TCheckOptions {
  // Shape text is read in a child process, so that a reader that crashes or hangs on it cannot take
  // the checker down; off for fuzzing, where the fuzzer itself watches.
  bool IsolateScenes = true;
  // How long the scenes of a file may take to read and measure before they count as broken.
  int SceneSeconds = 120;
};
