// Numbers and bullets of RTF lists, for paragraphs whose writer left the mark to the reader.
//
// A paragraph joins a list with \ls N (an entry of the list override table, which names a list of
// the list table) at level \ilvl; each level says how its number is written (\levelnfc), where it
// starts (\levelstartat) and the mark's text (\leveltext, where characters 0 to 8 stand for the
// numbers of those levels). Older writers describe the mark in the paragraph itself (\pn...).
// Numbers count per list: the paragraphs of one list continue its numbering wherever they stand,
// and an item resets the levels below its own.
#pragma once

#include <QString>

#include <map>
#include <set>
#include <utility>
#include <vector>

// A list has at most this many levels; deeper \ilvl values use the deepest.
constexpr int RtfMaxListLevels = 9;
// A document keeps at most this many lists and list overrides; later ones are left out.
constexpr std::size_t RtfMaxLists = 1024;
// A mark's text keeps at most this many characters.
constexpr int RtfMaxMarkLength = 64;

// Fonts whose codes are pictures rather than letters, as list marks use them.
enum class TRtfSymbolFont { None, Symbol, Wingdings };

struct TRtfListLevel {
  int NumberFormat = 0;  // \levelnfc: 0 decimal, 1/2 upper/lower roman, 3/4 upper/lower letter, 23 bullet, 255 none ...
  int StartAt = 1;
  QString Text;  // \leveltext, its length byte removed
  std::vector<int> NumberPlaces;  // \levelnumbers: places in Text (from 0) that stand for numbers
  int Follow = 0;  // \levelfollow: 0 a tab, 1 a space, 2 nothing after the mark
  bool Legal = false;  // \levellegal: every number of the mark in decimal
  bool NoRestart = false;  // \levelnorestart: not reset by items of higher levels
};

struct TRtfList {
  int Id = 0;
  std::vector<TRtfListLevel> Levels;
};

struct TRtfListOverride {
  int ListId = 0;
  // Per level: where the override starts the level again (-1: it does not), and a level
  // definition that replaces the list's own.
  int StartAt[RtfMaxListLevels] = {-1, -1, -1, -1, -1, -1, -1, -1, -1};
  bool Replaces[RtfMaxListLevels] = {};
  TRtfListLevel Levels[RtfMaxListLevels];
};

// An older writer's numbering of one paragraph (\pnlvl..., \pnstart, \pndec, \pntxtb ...).
struct TRtfOldNumbering {
  enum TKind { None, Bullet, Numbered, Continued };
  TKind Kind = None;
  int Level = 10;  // 1 to 9 for outline levels, 10 for \pnlvlbody
  int NumberFormat = 0;  // as \levelnfc
  int StartAt = 1;
  QString Before;  // \pntxtb
  QString After;   // \pntxta
  TRtfSymbolFont Font = TRtfSymbolFont::Symbol;  // \pnf: the bullet's font (most often Symbol)
};

// A mark's character as it looks: the bullets of symbol fonts, which writers store as the font's
// own codes or in the private use area (U+F000 plus the code, whatever the font), become the
// characters they show.
QChar RtfMarkCharacter(QChar c, TRtfSymbolFont font);

// A number as a list level writes it; formats without a written form (and numbers below 1 for
// roman numerals and letters) are written in decimal.
QString RtfListNumber(int number, int numberFormat);

class TRtfListNumbering {
 public:
  void AddList(TRtfList list);
  void AddOverride(int overrideNumber, const TRtfListOverride& entry);

  // The mark of the next item at level of the list that override number names, and what follows
  // it; the list's numbers move on. Answers false, changing nothing, when there is no such list.
  bool NextMark(int overrideNumber, int level, QString& mark);
  // The mark of the next paragraph with an older writer's numbering; numbers run on while
  // numbered paragraphs follow each other.
  QString NextOldMark(const TRtfOldNumbering& numbering);
  // A paragraph without numbering came: the older writers' numbers start again.
  void EndOldRun();

 private:
  struct TCounters {
    int Value[RtfMaxListLevels] = {};
    bool Used[RtfMaxListLevels] = {};
  };

  // Moves the list's numbers on for an item at level, and answers the item's mark.
  void Count(TCounters& counters, int overrideNumber, int level, const TRtfListOverride& over, const TRtfList& list);
  static QString WriteMark(const TCounters& counters, int level, const TRtfListOverride& over, const TRtfList& list);

  std::map<int, TRtfList> Lists;
  std::map<int, TRtfListOverride> Overrides;
  std::map<int, TCounters> Counters;  // per list id
  std::set<std::pair<int, int>> StartedAgain;  // (override, level) whose restart was applied
  TCounters OldCounters;  // levels 1 to 9 and the body level, from 0
  bool OldRun = false;
};
