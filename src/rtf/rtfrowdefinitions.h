// The row and cell definitions of RTF tables (\trowd, \cellx, the cell formats and borders), per
// table level. They live outside the group structure (writers put them in groups of their own),
// until the next \trowd of their level.
#pragma once

#include "rtftable.h"

#include <string>

class TRtfRowDefinitions {
 public:
  // A definition word for the row of table level `level` (1 the outermost). Answers false for
  // other words.
  bool Word(const std::string& word, bool has, int value, int level);
  // The definition of the row at a table level (clamped to the levels there are).
  const TRtfRowDef& At(int level) const;

 private:
  bool CellFormatWord(const std::string& word, bool has, int value);
  bool BorderWord(const std::string& word, bool has, int value);
  void StartCell();

  TRtfRowDef Rows[RtfMaxTableDepth + 1];
  // The cell being defined in the current row, and the cell border that \brdr words describe
  // (-1 none).
  TRtfCellDef NewCell;
  int NewCellBorder = -1;
};
