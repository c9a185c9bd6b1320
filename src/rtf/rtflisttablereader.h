// Reads the list table (\listtable), the list override table (\listoverridetable) and older
// writers' paragraph numbering (\pn) into list definitions and their numbering.
#pragma once

#include "rtfgroupstate.h"
#include "rtflist.h"

#include <QString>

#include <cstdint>
#include <string>

class QTextCodec;
class TRtfFontTable;

class TRtfListTableReader {
 public:
  explicit TRtfListTableReader(const TRtfFontTable& fonts) : Fonts(fonts) {}

  // One of the list destinations starts (\listtable, \listoverridetable or \pn); answers the
  // part of a definition its group holds.
  TRtfListPart Start(const std::string& word);
  // A word inside a list destination. `part` is the part the group holds; a word that starts a
  // part changes it. Answers false when the group is to be skipped (list names).
  bool Word(const std::string& word, bool has, int value, TRtfListPart& part);
  // Text of a definition: a character, or a byte in the document's code page (bytes below 32 are
  // a level text's length and the places of its numbers).
  void AddText(char32_t c);
  void AddByte(std::uint8_t byte, QTextCodec* documentCodec);
  // A group of the part `closing` ends inside one of part `parent`.
  void GroupEnd(TRtfListPart closing, TRtfListPart parent);

  // The older writers' numbering last read, for the paragraph its \pn stands in.
  const TRtfOldNumbering& OldNumbering() const { return NewOld; }
  TRtfListNumbering& Numbering() { return Lists; }

 private:
  bool PartWord(const std::string& word, TRtfListPart& part);
  bool LevelWord(const std::string& word, bool has, int value, TRtfListPart parent);
  bool OldWord(const std::string& word, int number);
  void EndLevelText();
  void EndLevel(TRtfListPart parent);

  const TRtfFontTable& Fonts;
  TRtfListNumbering Lists;
  // The definition being read.
  TRtfList NewList;
  TRtfListLevel NewLevel;
  TRtfListOverride NewOverride;
  int NewOverrideNumber = 0;
  int NewOverrideLevel = 0;  // the \lfolevel being read
  bool NewOverrideStarts = false;  // \listoverridestartat
  int NewOverrideStart = 1;
  TRtfOldNumbering NewOld;
  QString Text;  // the text of a \leveltext, \levelnumbers, \pntxtb or \pntxta
};
