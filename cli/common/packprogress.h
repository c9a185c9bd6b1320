// What pack tells the curator while it works: remarks about inputs, and its progress.
#pragma once

#include <chrono>
#include <cstddef>
#include <string>

class TPackProgress {
 public:
  enum class Mode {
    Quiet,     // nothing at all, not even remarks
    Silent,    // remarks only
    Terminal,  // remarks, and one line rewritten in place once the pack has run a few seconds
    Lines,     // remarks, and a line for every list written
  };
  TPackProgress(Mode mode, std::size_t lists);
  ~TPackProgress();
  TPackProgress(const TPackProgress&) = delete;
  TPackProgress& operator=(const TPackProgress&) = delete;

  // The pack has started on one input of the list being built.
  void Working(const std::string& list, const std::string& input);
  // One more list is written.
  void ListDone(const std::string& list);
  // A remark the curator should read (a picture scaled, a text's encoding guessed).
  void Remark(const std::string& text);
  // Ends the line in place, if one is shown.
  void Finish();

 private:
  void ShowLine(const std::string& text);
  void ClearLine();

  Mode Shown;
  std::size_t Lists;
  std::size_t Done = 0;
  bool LineShown = false;
  std::chrono::steady_clock::time_point Start;
};

// Quiet when asked, lines when asked, in place on a terminal, and otherwise remarks only.
TPackProgress::Mode ChooseProgressMode(bool quiet, bool progress);
