#include "rtffonttable.h"

#include "rtfgroupstate.h"

#include <QTextCodec>

namespace {

int CodePageForCharset(int charset) {
  switch (charset) {
    case 77: return 10000;
    case 128: return 932;
    case 129: return 949;
    case 134: return 936;
    case 136: return 950;
    case 161: return 1253;
    case 162: return 1254;
    case 163: return 1258;
    case 177: return 1255;
    case 178: return 1256;
    case 186: return 1257;
    case 204: return 1251;
    case 222: return 874;
    case 238: return 1250;
    case 254: return 437;
    case 255: return 850;
    default: return 0;  // ANSI, default and symbol fonts: the document's code page
  }
}

}  // namespace

bool TRtfFontTable::DocumentWord(const std::string& word, bool has, int value) {
  if (word == "ansicpg") {
    if (has && value > 0) DocumentCodePage = value;
  } else if (word == "ansi") {
    DocumentCodePage = 1252;
  } else if (word == "mac") {
    DocumentCodePage = 10000;
  } else if (word == "pc") {
    DocumentCodePage = 437;
  } else if (word == "pca") {
    DocumentCodePage = 850;
  } else if (word == "deff") {
    DefaultFont = has ? value : 0;
  } else {
    return false;
  }
  return true;
}

void TRtfFontTable::Start() {
  NewFontIndex = -1;
  NewFontName.Clear();
}

void TRtfFontTable::Word(const std::string& word, bool has, int value) {
  if (word == "f") {
    CommitFont();
    NewFontIndex = has ? value : 0;
    NewFontCodePage = 0;
    NewFontSymbol = false;
    NewFontName.Clear();
  } else if (word == "fcharset") {
    NewFontCodePage = CodePageForCharset(value);
    NewFontSymbol = value == 2;
  } else if (word == "cpg") {
    NewFontCodePage = value;
  }
}

void TRtfFontTable::Text(std::uint8_t byte) {
  if (byte == ';')
    CommitFont();
  else
    HexByte(byte);
}

void TRtfFontTable::HexByte(std::uint8_t byte) {
  NewFontName.AddByte(byte, Codecs.ForCodePage(NewFontCodePage != 0 ? NewFontCodePage : DocumentCodePage));
}

void TRtfFontTable::EscapedSymbol(char symbol) {
  NewFontName.AddByte(static_cast<std::uint8_t>(symbol), DocumentCodec());
}

void TRtfFontTable::AddNameCharacter(char32_t c) { NewFontName.AddUnicode(c); }

void TRtfFontTable::CommitFont() {
  if (NewFontIndex >= 0) {
    TFontEntry entry;
    entry.Name = NewFontName.Take().trimmed();
    entry.CodePage = NewFontCodePage;
    if (entry.Name.contains(QLatin1String("Wingdings"), Qt::CaseInsensitive))
      entry.Symbol = TRtfSymbolFont::Wingdings;
    else if (NewFontSymbol || entry.Name.compare(QLatin1String("Symbol"), Qt::CaseInsensitive) == 0)
      entry.Symbol = TRtfSymbolFont::Symbol;
    Fonts[NewFontIndex] = entry;
  }
  NewFontIndex = -1;
  NewFontName.Clear();
}

const TRtfFontTable::TFontEntry* TRtfFontTable::Find(int font) const {
  const auto it = Fonts.find(font >= 0 ? font : DefaultFont);
  return it != Fonts.end() ? &it->second : nullptr;
}

QTextCodec* TRtfFontTable::CodecForFont(int font) {
  const TFontEntry* entry = Find(font);
  return Codecs.ForCodePage(entry != nullptr && entry->CodePage != 0 ? entry->CodePage : DocumentCodePage);
}

QString TRtfFontTable::Family(int font) const {
  const TFontEntry* entry = Find(font);
  return entry != nullptr ? entry->Name : QString();
}

TRtfSymbolFont TRtfFontTable::SymbolFont(int font) const {
  const TFontEntry* entry = Find(font);
  return entry != nullptr ? entry->Symbol : TRtfSymbolFont::None;
}

void TRtfColorTable::Start() {
  Entries.clear();
  NewColorSet = false;
  NewRed = NewGreen = NewBlue = 0;
}

void TRtfColorTable::Word(const std::string& word, bool has, int value) {
  if (!has) return;
  const int component = RtfClamp(value, 0, 255);
  if (word == "red") {
    NewRed = component;
    NewColorSet = true;
  } else if (word == "green") {
    NewGreen = component;
    NewColorSet = true;
  } else if (word == "blue") {
    NewBlue = component;
    NewColorSet = true;
  }
}

void TRtfColorTable::Text(const char* data, std::size_t length) {
  for (std::size_t i = 0; i < length; ++i) {
    if (data[i] != ';') continue;
    Entries.push_back(NewColorSet ? QColor(NewRed, NewGreen, NewBlue) : QColor());
    NewRed = NewGreen = NewBlue = 0;
    NewColorSet = false;
  }
}

QColor TRtfColorTable::At(int index) const {
  if (index < 0 || static_cast<std::size_t>(index) >= Entries.size()) return QColor();
  return Entries[static_cast<std::size_t>(index)];
}
