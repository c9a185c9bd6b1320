// The font and colour tables of an RTF document, read from their destinations (\fonttbl,
// \colortbl), and the code pages that the document and its fonts write their bytes in.
#pragma once

#include "rtflist.h"
#include "rtftextbuffer.h"

#include <QColor>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

class QTextCodec;

class TRtfFontTable {
 public:
  // Document words: \ansicpg, \ansi, \mac, \pc, \pca and \deff. Answers false for other words.
  bool DocumentWord(const std::string& word, bool has, int value);

  // The \fonttbl destination starts.
  void Start();
  // Words inside the font table (\f, \fcharset, \cpg); others are ignored.
  void Word(const std::string& word, bool has, int value);
  // A byte of the table's text: a ';' ends the entry, others belong to its name. A hex byte
  // (\'hh) always belongs to the name, in the entry's code page or, for an escaped symbol
  // (\\ \{ \}), the document's.
  void Text(std::uint8_t byte);
  void HexByte(std::uint8_t byte);
  void EscapedSymbol(char symbol);
  void AddNameCharacter(char32_t c);
  // The table ends: the last entry may lack its ';'.
  void End() { CommitFont(); }

  // The codec of a font's text (-1: the default font's), and of the document's own.
  QTextCodec* CodecForFont(int font);
  QTextCodec* DocumentCodec() { return Codecs.ForCodePage(DocumentCodePage); }
  // The family a font names, or nothing where the table gives none.
  QString Family(int font) const;
  TRtfSymbolFont SymbolFont(int font) const;

 private:
  struct TFontEntry {
    QString Name;
    int CodePage = 0;  // 0: the document's code page
    TRtfSymbolFont Symbol = TRtfSymbolFont::None;
  };

  const TFontEntry* Find(int font) const;
  void CommitFont();

  TRtfCodecs Codecs;
  int DocumentCodePage = 1252;
  int DefaultFont = 0;
  std::map<int, TFontEntry> Fonts;
  // The font being defined.
  int NewFontIndex = -1;
  int NewFontCodePage = 0;
  bool NewFontSymbol = false;  // \fcharset2
  TRtfTextBuffer NewFontName;
};

class TRtfColorTable {
 public:
  // The \colortbl destination starts: a new table replaces the old.
  void Start();
  // \red, \green and \blue of the colour being defined.
  void Word(const std::string& word, bool has, int value);
  // Text of the table: each ';' ends a colour (one without components is the automatic colour).
  void Text(const char* data, std::size_t length);

  const std::vector<QColor>& Colors() const { return Entries; }
  // The colour at a table index, or an invalid colour.
  QColor At(int index) const;

 private:
  std::vector<QColor> Entries;
  int NewRed = 0, NewGreen = 0, NewBlue = 0;
  bool NewColorSet = false;
};
