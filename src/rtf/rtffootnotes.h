// The footnotes of an RTF document. They are shown after the text, each read again from where its
// group starts in the input, in the state of the text around its mark.
#pragma once

#include "rtfgroupstate.h"

#include <cstddef>
#include <vector>

// A document shows at most this many footnotes.
constexpr std::size_t RtfMaxFootnotes = 256;

struct TRtfFootnote {
  std::size_t Start = 0;  // where its group's content starts in the input
  TRtfGroupState State;
  int Number = 0;
};

class TRtfFootnotes {
 public:
  // A footnote's group starts at position `start`; the text around it is in `state`. While the
  // footnotes are read again, their groups are met once more and not kept.
  void Met(std::size_t start, const TRtfGroupState& state) {
    ++Seen;
    if (Replaying || Kept.size() >= RtfMaxFootnotes) return;
    TRtfFootnote footnote;
    footnote.Start = start;
    footnote.State = state;
    footnote.State.Destination = TRtfDestination::Text;
    footnote.Number = Seen;
    Kept.push_back(footnote);
  }
  // The number a footnote mark (\chftn) shows where it stands: in the text, the next footnote's;
  // in a footnote read again, its own.
  int MarkNumber() const { return Replaying ? Current : Seen + 1; }

  bool HasAny() const { return !Kept.empty(); }
  bool IsReplaying() const { return Replaying; }
  // The footnotes to read again; each one read is named with Reading().
  const std::vector<TRtfFootnote>& StartReplay() {
    Replaying = true;
    return Kept;
  }
  void Reading(const TRtfFootnote& footnote) { Current = footnote.Number; }

 private:
  std::vector<TRtfFootnote> Kept;
  int Seen = 0;
  bool Replaying = false;
  int Current = 0;
};
