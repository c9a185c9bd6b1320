#include "rtflist.h"

#include <algorithm>

namespace {

constexpr char16_t Bullet = 0x2022;
constexpr int MaxNumber = 1000000;  // numbers stop growing here

QString Roman(int number) {
  static const struct {
    int Value;
    const char* Digits;
  } digits[] = {{1000, "m"}, {900, "cm"}, {500, "d"}, {400, "cd"}, {100, "c"}, {90, "xc"}, {50, "l"},
                {40, "xl"},  {10, "x"},   {9, "ix"},  {5, "v"},   {4, "iv"},   {1, "i"}};
  QString text;
  for (const auto& digit : digits)
    while (number >= digit.Value) {
      text += QLatin1String(digit.Digits);
      number -= digit.Value;
    }
  return text;
}

// a ... z, then aa ... zz, aaa ...: the letter repeated, as word processors count.
QString Letters(int number) {
  const int repeat = (number - 1) / 26 + 1;
  return QString(std::min(repeat, 8), QChar('a' + (number - 1) % 26));
}

QString Limited(QString text) {
  if (text.size() > RtfMaxMarkLength) text.truncate(RtfMaxMarkLength);
  return text;
}

}  // namespace

QChar RtfMarkCharacter(QChar c, TRtfSymbolFont font) {
  char16_t code = c.unicode();
  if (code >= 0xF000 && code <= 0xF0FF) {
    code -= 0xF000;
    if (font == TRtfSymbolFont::None) font = code == 0xB7 ? TRtfSymbolFont::Symbol : TRtfSymbolFont::Wingdings;
  }
  switch (font) {
    case TRtfSymbolFont::None:
      return c;
    case TRtfSymbolFont::Symbol:
      return code == 0xB7 ? QChar(Bullet) : code < 0x80 ? QChar(code) : c;
    case TRtfSymbolFont::Wingdings:
      switch (code) {
        case 0x6C: return QChar(0x25CF);
        case 0x6E: return QChar(0x25A0);
        case 0x76: return QChar(0x2756);
        case 0xA7: return QChar(0x25AA);
        case 0xD8: return QChar(0x27A2);
        case 0xFC: return QChar(0x2713);
        default: return QChar(Bullet);
      }
  }
  return c;
}

QString RtfListNumber(int number, int numberFormat) {
  switch (numberFormat) {
    case 1:
    case 2:
      if (number >= 1 && number < 4000) return numberFormat == 1 ? Roman(number).toUpper() : Roman(number);
      break;
    case 3:
    case 4:
      if (number >= 1) return numberFormat == 3 ? Letters(number).toUpper() : Letters(number);
      break;
    case 22:
      if (number >= 0 && number < 10) return QLatin1Char('0') + QString::number(number);
      break;
    case 23:
    case 255:
      return QString();
    default:
      break;
  }
  return QString::number(number);
}

void TRtfListNumbering::AddList(TRtfList list) {
  if (Lists.size() >= RtfMaxLists && Lists.find(list.Id) == Lists.end()) return;
  if (list.Levels.size() > static_cast<std::size_t>(RtfMaxListLevels)) list.Levels.resize(RtfMaxListLevels);
  Lists[list.Id] = std::move(list);
}

void TRtfListNumbering::AddOverride(int overrideNumber, const TRtfListOverride& entry) {
  if (Overrides.size() >= RtfMaxLists && Overrides.find(overrideNumber) == Overrides.end()) return;
  Overrides[overrideNumber] = entry;
}

namespace {

// A level's definition: the override's own where it replaces the list's.
const TRtfListLevel& LevelOf(const TRtfListOverride& over, const TRtfList& list, int k) {
  return over.Replaces[k] ? over.Levels[k] : list.Levels[std::min(static_cast<std::size_t>(k), list.Levels.size() - 1)];
}

}  // namespace

bool TRtfListNumbering::NextMark(int overrideNumber, int level, QString& mark) {
  const auto entry = Overrides.find(overrideNumber);
  if (entry == Overrides.end()) return false;
  const TRtfListOverride& over = entry->second;
  const auto found = Lists.find(over.ListId);
  if (found == Lists.end() || found->second.Levels.empty()) return false;
  const TRtfList& list = found->second;
  level = std::max(0, std::min(level, RtfMaxListLevels - 1));
  TCounters& counters = Counters[list.Id];
  Count(counters, overrideNumber, level, over, list);
  mark = WriteMark(counters, level, over, list);
  return true;
}

void TRtfListNumbering::Count(TCounters& counters, int overrideNumber, int level, const TRtfListOverride& over,
                              const TRtfList& list) {
  if (over.StartAt[level] >= 0 && StartedAgain.insert({overrideNumber, level}).second) {
    counters.Value[level] = over.StartAt[level];
    counters.Used[level] = true;
  } else if (!counters.Used[level]) {
    counters.Value[level] = LevelOf(over, list, level).StartAt;
    counters.Used[level] = true;
  } else if (counters.Value[level] < MaxNumber) {
    ++counters.Value[level];
  }
  for (int k = level + 1; k < RtfMaxListLevels; ++k)
    if (!LevelOf(over, list, k).NoRestart) counters.Used[k] = false;
}

QString TRtfListNumbering::WriteMark(const TCounters& counters, int level, const TRtfListOverride& over,
                                     const TRtfList& list) {
  const TRtfListLevel& own = LevelOf(over, list, level);
  if (own.NumberFormat == 255) return QString();  // a level without marks
  QString mark;
  for (int i = 0; i < own.Text.size(); ++i) {
    const char16_t c = own.Text.at(i).unicode();
    const bool place = own.NumberPlaces.empty()
                           ? c < RtfMaxListLevels
                           : std::find(own.NumberPlaces.begin(), own.NumberPlaces.end(), i) != own.NumberPlaces.end();
    if (place && c < RtfMaxListLevels) {
      const int k = c;
      const TRtfListLevel& numbered = LevelOf(over, list, k);
      const int value = k == level ? counters.Value[level] : counters.Used[k] ? counters.Value[k] : numbered.StartAt;
      mark += RtfListNumber(value, own.Legal ? 0 : numbered.NumberFormat);
    } else if (c >= 0x20) {
      mark += RtfMarkCharacter(own.Text.at(i), TRtfSymbolFont::None);
    }
  }
  if (own.Text.isEmpty())  // a level that does not say: as most writers show it
    mark = own.NumberFormat == 23 ? QString(QChar(Bullet))
                                  : RtfListNumber(counters.Value[level], own.NumberFormat) + QLatin1Char('.');
  mark = Limited(mark);
  if (own.Follow == 0) mark += QLatin1Char('\t');
  if (own.Follow == 1) mark += QLatin1Char(' ');
  return mark;
}

QString TRtfListNumbering::NextOldMark(const TRtfOldNumbering& numbering) {
  switch (numbering.Kind) {
    case TRtfOldNumbering::None:
    case TRtfOldNumbering::Continued:
      return QString();
    case TRtfOldNumbering::Bullet: {
      QString mark;
      for (const QChar c : numbering.Before) mark += RtfMarkCharacter(c, numbering.Font);
      if (mark.trimmed().isEmpty()) mark = QChar(Bullet);
      return Limited(mark + numbering.After) + QLatin1Char('\t');
    }
    case TRtfOldNumbering::Numbered:
      break;
  }
  int* value = OldCounters.Value;
  bool* used = OldCounters.Used;
  if (!OldRun) std::fill(used, used + RtfMaxListLevels, false);
  OldRun = true;
  // (The body level shares the ninth outline level's count: documents use one or the other.)
  const int slot = std::max(0, std::min(numbering.Level - 1, RtfMaxListLevels - 1));
  if (!used[slot]) {
    value[slot] = numbering.StartAt;
    used[slot] = true;
  } else if (value[slot] < MaxNumber) {
    ++value[slot];
  }
  for (int k = slot + 1; k < RtfMaxListLevels; ++k) used[k] = false;
  return Limited(numbering.Before + RtfListNumber(value[slot], numbering.NumberFormat) + numbering.After) +
         QLatin1Char('\t');
}

void TRtfListNumbering::EndOldRun() { OldRun = false; }
