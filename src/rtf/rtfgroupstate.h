// What an RTF group carries: the destination its text goes to, and the character and paragraph
// properties that its words set and that end with it.
#pragma once

#include "rtflist.h"

#include <QTextOption>

#include <algorithm>
#include <cstddef>
#include <vector>

// What the text of a group is for.
// (Fallback: the copy of a picture for readers without shapes, \nonshppict; only its picture counts.
// Mark: a list item's mark as the writer wrote it, \listtext or \pntext. Lists: the list tables and
// a paragraph's numbering of older writers, \pn.)
enum class TRtfDestination { Text, Skip, FontTable, ColorTable, Picture, Fallback, Mark, Lists };

// Which part of a list definition a group of the Lists destination holds.
enum class TRtfListPart { None, List, Level, LevelText, LevelNumbers, Override, OverrideLevel, Old, OldBefore, OldAfter };

struct TRtfCharProps {
  int Font = -1;  // -1: the document's default font
  int SizeHalfPoints = 24;
  bool Bold = false;
  bool Italic = false;
  bool Underline = false;
  bool Strike = false;
  bool Hidden = false;
  int Fore = -1;  // colour table index, -1 none
  int Back = -1;
  int Script = 0;  // 1 superscript, -1 subscript

  bool operator==(const TRtfCharProps& o) const {
    return Font == o.Font && SizeHalfPoints == o.SizeHalfPoints && Bold == o.Bold && Italic == o.Italic &&
           Underline == o.Underline && Strike == o.Strike && Hidden == o.Hidden && Fore == o.Fore &&
           Back == o.Back && Script == o.Script;
  }
  bool operator!=(const TRtfCharProps& o) const { return !(*this == o); }
};

struct TRtfParaProps {
  Qt::Alignment Align = Qt::AlignLeft;
  int LeftTwips = 0;
  int RightTwips = 0;
  int FirstTwips = 0;
  int BeforeTwips = 0;
  int AfterTwips = 0;
  int LineTwips = 0;  // \sl: 0 single; above 0 at least, below 0 exactly that much
  bool LineMultiple = false;  // \slmult1: LineTwips is a multiple of single spacing (240 = 1)
  bool InTable = false;
  int Nesting = 0;  // \itap: the table level of the paragraph
  int ListOverride = 0;  // \ls: the list override table's entry, 0 none
  int ListLevel = 0;     // \ilvl
  TRtfOldNumbering Old;  // \pn
  std::vector<QTextOption::Tab> Tabs;  // in twips, as given
  QTextOption::TabType NextTabType = QTextOption::LeftTab;  // for the next \tx

  // The table level of the paragraph: 0 outside tables.
  int TableLevel() const { return std::max(InTable ? 1 : 0, Nesting); }
};

struct TRtfGroupState {
  TRtfDestination Destination = TRtfDestination::Text;
  TRtfCharProps Char;
  TRtfParaProps Para;
  int UnicodeSkip = 1;
  bool InShapePicture = false;  // inside \*\shppict, the picture that \nonshppict repeats
  bool InNestedTableProps = false;  // inside \*\nesttableprops: a nested row's definition
  TRtfListPart ListPart = TRtfListPart::None;
};

constexpr double RtfTwipsPerPixel = 15.0;  // 1440 twips per inch at 96 pixels per inch
constexpr int RtfMaxIndentTwips = 31680;   // 22 inches: the widest page a writer offers

inline int RtfClamp(int value, int low, int high) { return std::max(low, std::min(high, value)); }
