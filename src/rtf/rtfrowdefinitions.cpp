#include "rtfrowdefinitions.h"

#include "rtfgroupstate.h"

bool TRtfRowDefinitions::Word(const std::string& word, bool has, int value, int level) {
  TRtfRowDef& row = Rows[RtfClamp(level, 0, RtfMaxTableDepth)];
  const int twips = has ? RtfClamp(value, -RtfMaxIndentTwips, RtfMaxIndentTwips) : 0;
  if (word == "trowd") {
    row = TRtfRowDef();
    StartCell();
  } else if (word == "trleft") {
    row.LeftTwips = twips;
  } else if (word == "trgaph") {
    row.GapTwips = std::max(0, twips);
  } else if (word == "cellx") {
    NewCell.RightTwips = twips;
    if (row.Cells.size() < static_cast<std::size_t>(RtfMaxTableColumns)) row.Cells.push_back(NewCell);
    StartCell();
  } else {
    return CellFormatWord(word, has, value) || BorderWord(word, has, value);
  }
  return true;
}

const TRtfRowDef& TRtfRowDefinitions::At(int level) const { return Rows[RtfClamp(level, 0, RtfMaxTableDepth)]; }

void TRtfRowDefinitions::StartCell() {
  NewCell = TRtfCellDef();
  NewCellBorder = -1;
}

bool TRtfRowDefinitions::CellFormatWord(const std::string& word, bool has, int value) {
  const int twips = std::max(0, has ? RtfClamp(value, -RtfMaxIndentTwips, RtfMaxIndentTwips) : 0);
  if (word == "clvertalt") {
    NewCell.VerticalAlign = Qt::AlignTop;
  } else if (word == "clvertalc") {
    NewCell.VerticalAlign = Qt::AlignVCenter;
  } else if (word == "clvertalb") {
    NewCell.VerticalAlign = Qt::AlignBottom;
  } else if (word == "clcbpat") {
    NewCell.Shading = has ? value : -1;
  } else if (word == "clpadt") {  // Word writes the left padding as \clpadt and the top as \clpadl
    NewCell.PadLeftTwips = twips;
  } else if (word == "clpadl") {
    NewCell.PadTopTwips = twips;
  } else if (word == "clpadr") {
    NewCell.PadRightTwips = twips;
  } else if (word == "clpadb") {
    NewCell.PadBottomTwips = twips;
  } else {
    return false;
  }
  return true;
}

bool TRtfRowDefinitions::BorderWord(const std::string& word, bool has, int value) {
  if (word == "clbrdrt" || word == "clbrdrl" || word == "clbrdrb" || word == "clbrdrr") {
    NewCellBorder = word == "clbrdrt" ? 0 : word == "clbrdrl" ? 1 : word == "clbrdrb" ? 2 : 3;
    NewCell.Borders[NewCellBorder].Present = true;
  } else if (word == "brdrt" || word == "brdrl" || word == "brdrb" || word == "brdrr" || word == "box" ||
             word == "trbrdrt" || word == "trbrdrl" || word == "trbrdrb" || word == "trbrdrr" ||
             word == "trbrdrh" || word == "trbrdrv") {
    NewCellBorder = -1;  // a paragraph's or the row's border, not a cell's
  } else if (word == "brdrnone" || word == "brdrw" || word == "brdrcf") {
    if (NewCellBorder < 0) return true;
    TRtfBorder& border = NewCell.Borders[NewCellBorder];
    const int twips = has ? RtfClamp(value, -RtfMaxIndentTwips, RtfMaxIndentTwips) : 0;
    if (word == "brdrnone") border.Present = false;
    if (word == "brdrw") border.WidthTwips = std::max(0, std::min(twips, 1440));
    if (word == "brdrcf") border.Color = has ? value : -1;
  } else {
    return false;
  }
  return true;
}
