#include "rtflisttablereader.h"

#include "rtffonttable.h"
#include "rtfwords.h"

#include <QTextCodec>

namespace {

// A list definition's text keeps at most this many characters.
constexpr int MaxListText = 256;

int StartNumber(int number) { return RtfClamp(number, 0, 1000000); }

}  // namespace

TRtfListPart TRtfListTableReader::Start(const std::string& word) {
  if (word != "pn") return TRtfListPart::None;
  NewOld = TRtfOldNumbering();
  return TRtfListPart::Old;
}

bool TRtfListTableReader::Word(const std::string& word, bool has, int value, TRtfListPart& part) {
  if (word == "listname" || word == "liststylename") return false;
  const TRtfListPart parent = part;
  if (PartWord(word, part) || LevelWord(word, has, value, parent) || OldWord(word, has ? value : 0)) return true;
  if (word == "tab") {
    AddText('\t');
  } else if (const char32_t special = RtfSpecialCharacter(word)) {
    AddText(special);
  }
  return true;
}

// Groups of a definition, named by their first word.
bool TRtfListTableReader::PartWord(const std::string& word, TRtfListPart& part) {
  if (word == "list") {
    part = TRtfListPart::List;
    NewList = TRtfList();
  } else if (word == "listlevel") {
    part = TRtfListPart::Level;
    NewLevel = TRtfListLevel();
  } else if (word == "leveltext" || word == "levelnumbers" || word == "pntxtb" || word == "pntxta") {
    part = word == "leveltext" ? TRtfListPart::LevelText : word == "levelnumbers" ? TRtfListPart::LevelNumbers
           : word == "pntxtb" ? TRtfListPart::OldBefore : TRtfListPart::OldAfter;
    Text.clear();
  } else if (word == "listoverride") {
    part = TRtfListPart::Override;
    NewOverride = TRtfListOverride();
    NewOverrideNumber = 0;
    NewOverrideLevel = 0;
  } else if (word == "lfolevel") {
    part = TRtfListPart::OverrideLevel;
    NewOverrideStarts = false;
    NewOverrideStart = 1;
  } else {
    return false;
  }
  return true;
}

// The words of lists, their levels and overrides.
bool TRtfListTableReader::LevelWord(const std::string& word, bool has, int value, TRtfListPart parent) {
  const int number = has ? value : 0;
  if (word == "listid") {
    if (parent == TRtfListPart::List) NewList.Id = number;
    if (parent == TRtfListPart::Override) NewOverride.ListId = number;
  } else if (word == "ls") {
    if (parent == TRtfListPart::Override) NewOverrideNumber = number;
  } else if (word == "listoverridestartat") {
    NewOverrideStarts = true;
  } else if (word == "levelstartat") {
    (parent == TRtfListPart::OverrideLevel ? NewOverrideStart : NewLevel.StartAt) = StartNumber(number);
  } else if (word == "levelnfc" || word == "levelnfcn") {
    NewLevel.NumberFormat = RtfClamp(number, 0, 255);
  } else if (word == "levelfollow") {
    NewLevel.Follow = RtfClamp(number, 0, 2);
  } else if (word == "levellegal") {
    NewLevel.Legal = !has || value != 0;
  } else if (word == "levelnorestart") {
    NewLevel.NoRestart = !has || value != 0;
  } else {
    return false;
  }
  return true;
}

// The words of an older writer's numbering.
bool TRtfListTableReader::OldWord(const std::string& word, int number) {
  if (word == "pnlvl" || word == "pnlvlbody") {
    NewOld.Kind = TRtfOldNumbering::Numbered;
    NewOld.Level = word == "pnlvlbody" ? 10 : RtfClamp(number, 1, 9);
  } else if (word == "pnlvlblt") {
    NewOld.Kind = TRtfOldNumbering::Bullet;
  } else if (word == "pnlvlcont") {
    NewOld.Kind = TRtfOldNumbering::Continued;
  } else if (word == "pnf") {
    const TRtfSymbolFont symbol = Fonts.SymbolFont(number);
    NewOld.Font = symbol != TRtfSymbolFont::None ? symbol : TRtfSymbolFont::Symbol;
  } else if (word == "pnstart") {
    NewOld.StartAt = StartNumber(number);
  } else if (word == "pndec" || word == "pnucrm" || word == "pnlcrm" || word == "pnucltr" || word == "pnlcltr" ||
             word == "pnord" || word == "pncard" || word == "pnordt" || word == "pncardt") {
    NewOld.NumberFormat = word == "pnucrm" ? 1 : word == "pnlcrm" ? 2 : word == "pnucltr" ? 3 : word == "pnlcltr" ? 4 : 0;
  } else {
    return false;
  }
  return true;
}

void TRtfListTableReader::AddText(char32_t c) {
  if (Text.size() >= MaxListText) return;
  if (c > 0xFFFF) {
    Text += QString::fromUcs4(&c, 1);
  } else {
    Text += QChar(static_cast<char16_t>(c));
  }
}

void TRtfListTableReader::AddByte(std::uint8_t byte, QTextCodec* documentCodec) {
  if (byte < 0x20) {
    AddText(byte);
    return;
  }
  const QString text = documentCodec->toUnicode(reinterpret_cast<const char*>(&byte), 1);
  if (!text.isEmpty()) AddText(text.at(0).unicode());
}

void TRtfListTableReader::EndLevelText() {
  // The first character counts those that follow; the rest (a ';') is not part of the mark.
  QString text = Text;
  if (!text.isEmpty() && text.at(0).unicode() < 0x20) {
    const int length = text.at(0).unicode();
    text.remove(0, 1);
    if (length <= text.size()) text.truncate(length);
    else if (text.endsWith(QLatin1Char(';'))) text.chop(1);
  } else {
    text.truncate(text.indexOf(QLatin1Char(';')) >= 0 ? text.indexOf(QLatin1Char(';')) : text.size());
  }
  NewLevel.Text = text;
}

void TRtfListTableReader::EndLevel(TRtfListPart parent) {
  if (parent == TRtfListPart::List && NewList.Levels.size() < static_cast<std::size_t>(RtfMaxListLevels))
    NewList.Levels.push_back(NewLevel);
  if (parent == TRtfListPart::OverrideLevel && NewOverrideLevel < RtfMaxListLevels) {
    NewOverride.Levels[NewOverrideLevel] = NewLevel;
    NewOverride.Replaces[NewOverrideLevel] = true;
    NewOverrideStart = NewLevel.StartAt;  // (used when the override starts the level again)
  }
}

void TRtfListTableReader::GroupEnd(TRtfListPart closing, TRtfListPart parent) {
  switch (closing) {
    case TRtfListPart::LevelText: EndLevelText(); break;
    case TRtfListPart::LevelNumbers:
      // Places in the level text, counted from its length character.
      NewLevel.NumberPlaces.clear();
      for (const QChar c : Text)
        if (c.unicode() >= 1 && c.unicode() < 0x20) NewLevel.NumberPlaces.push_back(c.unicode() - 1);
      break;
    case TRtfListPart::Level: EndLevel(parent); break;
    case TRtfListPart::List: Lists.AddList(NewList); break;
    case TRtfListPart::OverrideLevel:
      if (NewOverrideLevel < RtfMaxListLevels && NewOverrideStarts)
        NewOverride.StartAt[NewOverrideLevel] = NewOverrideStart;
      ++NewOverrideLevel;
      break;
    case TRtfListPart::Override:
      if (NewOverrideNumber > 0) Lists.AddOverride(NewOverrideNumber, NewOverride);
      break;
    case TRtfListPart::OldBefore: NewOld.Before = Text; break;
    case TRtfListPart::OldAfter: NewOld.After = Text; break;
    case TRtfListPart::Old:  // the reader gives the numbering to its paragraph
    case TRtfListPart::None: break;
  }
}
