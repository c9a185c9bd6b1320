#include "rtfreader.h"

#include "rtflist.h"
#include "rtfpicture.h"
#include "rtftable.h"
#include "rtftextbuffer.h"
#include "rtftokenizer.h"

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QTextBlock>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextImageFormat>
#include <QTextCodec>
#include <QTextOption>
#include <QUrl>

#include <algorithm>
#include <cstring>
#include <map>
#include <vector>

namespace {

// What the text of a group is for.
// (Fallback: the copy of a picture for readers without shapes, \nonshppict; only its picture counts.
// Mark: a list item's mark as the writer wrote it, \listtext or \pntext. Lists: the list tables and
// a paragraph's numbering of older writers, \pn.)
enum class TDestination { Text, Skip, FontTable, ColorTable, Picture, Fallback, Mark, Lists };

// Which part of a list definition a group of the Lists destination holds.
enum class TListPart { None, List, Level, LevelText, LevelNumbers, Override, OverrideLevel, Old, OldBefore, OldAfter };

struct TCharProps {
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

  bool operator==(const TCharProps& o) const {
    return Font == o.Font && SizeHalfPoints == o.SizeHalfPoints && Bold == o.Bold && Italic == o.Italic &&
           Underline == o.Underline && Strike == o.Strike && Hidden == o.Hidden && Fore == o.Fore &&
           Back == o.Back && Script == o.Script;
  }
  bool operator!=(const TCharProps& o) const { return !(*this == o); }
};

// A paragraph keeps at most this many tab stops.
constexpr std::size_t MaxTabStops = 64;
// A document shows at most this many footnotes.
constexpr std::size_t MaxFootnotes = 256;

struct TParaProps {
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
  bool NextTabDecimal = false;
};

struct TGroupState {
  TDestination Destination = TDestination::Text;
  TCharProps Char;
  TParaProps Para;
  int UnicodeSkip = 1;
  bool InShapePicture = false;  // inside \*\shppict, the picture that \nonshppict repeats
  bool InNestedTableProps = false;  // inside \*\nesttableprops: a nested row's definition
  TListPart ListPart = TListPart::None;
};

// What the current paragraph's list mark has come to. A writer's own mark is shown as it was
// written; an empty one (blanks and a tab) only when the paragraph's list gives none.
struct TParagraphMark {
  bool Started = false;  // the paragraph's text has begun: its list moved on
  bool Shown = false;    // a mark stands before the text
  bool HasBlank = false;
  QString Blank;
  TCharProps BlankProps;
};

// A list definition's text keeps at most this many characters.
constexpr int MaxListText = 256;

struct TFontEntry {
  QString Name;
  int CodePage = 0;  // 0: the document's code page
  TRtfSymbolFont Symbol = TRtfSymbolFont::None;
};

struct TPicture {
  bool Active = false;
  bool FromFallback = false;  // read in \nonshppict
  std::size_t Depth = 0;  // group depth at which the picture's group was opened
  TRtfPictureFormat Format = TRtfPictureFormat::Unknown;
  QByteArray Data;
  int HighNibble = -1;
  bool TooLarge = false;
  int Width = 0;  // \picw, \pich
  int Height = 0;
  int GoalWidth = 0;  // \picwgoal, \pichgoal (twips)
  int GoalHeight = 0;
  int ScaleX = 100;
  int ScaleY = 100;
};

constexpr double TwipsPerPixel = 15.0;  // 1440 twips per inch at 96 pixels per inch
constexpr int MaxIndentTwips = 31680;   // 22 inches

int Clamp(int value, int low, int high) { return std::max(low, std::min(high, value)); }

// Groups whose content is not part of the visible text.
bool IsIgnoredDestination(const std::string& word) {
  static const char* const words[] = {
      "stylesheet", "info", "header", "headerl", "headerr", "headerf", "footer", "footerl", "footerr",
      "footerf", "footnote", "fldinst", "objdata", "objclass", "objname", "xe", "tc", "rxe", "txe",
      "template", "revtbl", "filetbl", "pntxta", "pntxtb",
      "atnid", "atnauthor", "annotation", "bkmkstart", "bkmkend", "datafield", "ftnsep", "ftnsepc",
      "ftncn", "aftnsep", "aftnsepc", "aftncn", "comment", "doccomm", "author",
      "operator", "title", "subject", "keywords", "company", "buptim", "creatim", "printim",
      "revtim", "userprops", "private", "nextfile", "keycode", "picprop", "shp", "shpinst",
      "shprslt", "sp", "sn", "sv", "generator", "themedata", "colorschememapping", "latentstyles",
      "datastore", "xmlnstbl", "rsidtbl", "mmathPr", "blipuid", "background",
      "nonesttables"};  // (the flat copy of nested tables, for readers without them)
  for (const char* w : words)
    if (word == w) return true;
  return false;
}

// Control words that stand for one character.
char32_t SpecialCharacter(const std::string& word) {
  static const struct {
    const char* Word;
    char32_t Character;
  } specials[] = {{"emdash", 0x2014}, {"endash", 0x2013}, {"emspace", 0x2003}, {"enspace", 0x2002},
                  {"qmspace", 0x2005}, {"bullet", 0x2022}, {"lquote", 0x2018}, {"rquote", 0x2019},
                  {"ldblquote", 0x201C}, {"rdblquote", 0x201D}, {"zwj", 0x200D}, {"zwnj", 0x200C}};
  for (const auto& special : specials)
    if (word == special.Word) return special.Character;
  return 0;
}

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

class TRtfReader {
 public:
  TRtfReader(const QByteArray& bytes, QTextDocument& document)
      : Tokens(bytes.constData(), static_cast<std::size_t>(bytes.size())), Document(document), Cursor(&document),
        Tables(Cursor) {}

  bool Read();

 private:
  struct TFootnote {
    std::size_t Start = 0;  // where its group's content starts in the input
    TGroupState State;
    int Number = 0;
  };

  TGroupState& State() { return Stack.back(); }
  bool Run();
  void FootnoteStart();
  void ReplayFootnotes();
  bool GroupStart();
  void GroupEnd();
  void ControlWord(const TRtfToken& token);
  bool DestinationWord(const std::string& word);
  void FontTableWord(const std::string& word, bool has, int value);
  void ColorTableWord(const std::string& word, bool has, int value);
  void PictureWord(const std::string& word, bool has, int value);
  void TextWord(const std::string& word, bool has, int value);
  void ListWord(const std::string& word, bool has, int value);
  void ListGroupEnd(TListPart closing);
  void AddListText(char32_t c);
  void AddListByte(std::uint8_t byte);
  void MarkGroupEnd();
  void StartParagraphMark();
  void MarkAtBreak();
  void InsertRun(const QString& text, const TCharProps& props);
  TRtfSymbolFont SymbolFont(int font) const;
  bool TableWord(const std::string& word, bool has, int value);
  void ControlSymbol(char symbol);
  void TextBytes(const char* data, std::size_t length);
  void HexByte(std::uint8_t byte);
  void Binary(std::int64_t count);

  void OutputByte(std::uint8_t byte);
  void OutputChar(char32_t c);
  void BeforeOutput();
  void Flush();
  void ParagraphBreak();
  void EndCell();
  void EndRow();
  void PlaceCursor();
  int TableLevel() const;
  int DefinitionLevel();
  void FinishPicture();
  void FinishDocument();
  void CommitFont();
  void CommitColor();

  QTextCodec* CodecForFont(int font);
  QTextCharFormat CharFormat(const TCharProps& props) const;
  QTextBlockFormat BlockFormat(const TParaProps& props) const;

  TRtfTokenizer Tokens;
  QTextDocument& Document;
  QTextCursor Cursor;
  std::vector<TGroupState> Stack;
  TRtfCodecs Codecs;
  TRtfTables Tables;

  int DocumentCodePage = 1252;
  int DefaultFont = 0;
  std::map<int, TFontEntry> Fonts;
  std::vector<QColor> Colors;

  // The font being defined in the font table.
  int NewFontIndex = -1;
  int NewFontCodePage = 0;
  bool NewFontSymbol = false;  // \fcharset2
  TRtfTextBuffer NewFontName;
  // The colour being defined in the colour table.
  int NewRed = 0, NewGreen = 0, NewBlue = 0;
  bool NewColorSet = false;

  // Text not yet inserted, and the character properties it was written with.
  TRtfTextBuffer Pending;
  TCharProps PendingProps;

  int SkipLeft = 0;         // characters still to skip after \uN
  bool StarPending = false; // \* seen: the next word names an optional destination
  // A paragraph ended inside a cell: the next one starts only if more text of the cell follows.
  bool CellBreakPending = false;
  // The row definitions of each table level (index 1 the outermost), the cell being defined in
  // the current one, and the cell border that \brdr words describe (-1 none).
  TRtfRowDef RowDefs[RtfMaxTableDepth + 1];
  TRtfCellDef NewCell;
  int NewCellBorder = -1;
  int DefaultTabTwips = 720;
  int FootnotesSeen = 0;
  // Footnotes are shown after the text, each as read where its mark stands.
  std::vector<TFootnote> Footnotes;
  bool ReplayingFootnotes = false;
  int FootnoteNumber = 0;
  bool ShapePictureShown = false;  // the last \shppict showed its picture: skip its \nonshppict
  TPicture Picture;
  // Lists: their numbers, the definition being read, and the current paragraph's mark.
  TRtfListNumbering Numbering;
  TRtfList NewList;
  TRtfListLevel NewLevel;
  TRtfListOverride NewOverride;
  int NewOverrideNumber = 0;
  int NewOverrideLevel = 0;  // the \lfolevel being read
  bool NewOverrideStarts = false;  // \listoverridestartat
  int NewOverrideStart = 1;
  TRtfOldNumbering NewOld;
  QString ListText;  // the text of a \leveltext, \levelnumbers, \pntxtb or \pntxta
  TRtfTextBuffer MarkText;
  TCharProps MarkProps;
  bool MarkHasProps = false;
  TParagraphMark ParaMark;
  bool EmittingMark = false;
  int ImageCount = 0;
  long long ImagePixels = 0;
};

bool TRtfReader::Read() {
  Document.clear();
  Cursor = QTextCursor(&Document);
  Stack.clear();
  if (!Run()) return false;
  FinishDocument();
  return true;
}

bool TRtfReader::Run() {
  for (;;) {
    const TRtfToken token = Tokens.Next();
    switch (token.Kind) {
      case TRtfTokenKind::End:
        return true;  // a missing closing brace is forgiven
      case TRtfTokenKind::GroupStart:
        if (!GroupStart()) return false;
        break;
      case TRtfTokenKind::GroupEnd:
        GroupEnd();
        if (Stack.empty()) return true;  // the group is closed; what follows is not read
        break;
      case TRtfTokenKind::ControlWord:
        ControlWord(token);
        break;
      case TRtfTokenKind::ControlSymbol:
        ControlSymbol(token.Symbol);
        break;
      case TRtfTokenKind::HexByte:
        HexByte(token.Byte);
        break;
      case TRtfTokenKind::Text:
        TextBytes(token.TextData, token.TextLength);
        break;
    }
  }
}

void TRtfReader::FootnoteStart() {
  ++FootnotesSeen;
  if (ReplayingFootnotes || Footnotes.size() >= MaxFootnotes) return;
  TFootnote footnote;
  footnote.Start = Tokens.Position();
  footnote.State = State();
  footnote.State.Destination = TDestination::Text;
  footnote.Number = FootnotesSeen;
  Footnotes.push_back(footnote);
}

void TRtfReader::ReplayFootnotes() {
  // Each footnote is read again from where it started, as paragraphs of its own at the end.
  ReplayingFootnotes = true;
  for (const TFootnote& footnote : Footnotes) {
    Flush();
    Tables.CloseAll();
    if (Cursor.block().length() > 1) Cursor.insertBlock(QTextBlockFormat(), QTextCharFormat());
    Stack.assign(1, footnote.State);
    Picture = TPicture();
    SkipLeft = 0;
    StarPending = false;
    CellBreakPending = false;
    ParaMark = TParagraphMark();
    FootnoteNumber = footnote.Number;
    Tokens.Seek(footnote.Start);
    const bool read = Run();
    if (Picture.Active) FinishPicture();
    Flush();
    Tables.CloseAll();
    if (!read) break;
  }
  Stack.assign(1, TGroupState());
}

bool TRtfReader::GroupStart() {
  StarPending = false;
  SkipLeft = 0;
  if (Stack.size() >= static_cast<std::size_t>(RtfMaxGroupDepth)) return false;
  if (Stack.empty())
    Stack.emplace_back();
  else
    Stack.push_back(Stack.back());
  return true;
}

void TRtfReader::GroupEnd() {
  StarPending = false;
  SkipLeft = 0;
  if (Stack.empty()) return;
  const TDestination closing = State().Destination;
  const TListPart closingPart = State().ListPart;
  Stack.pop_back();
  if (closing == TDestination::Lists) ListGroupEnd(closingPart);
  if (closing == TDestination::Mark && (Stack.empty() || State().Destination != TDestination::Mark)) MarkGroupEnd();
  if (closing == TDestination::FontTable && (Stack.empty() || State().Destination != TDestination::FontTable))
    CommitFont();  // the last entry may lack its ';'
  if (Picture.Active && Stack.size() < Picture.Depth) FinishPicture();
  if (closing == TDestination::Fallback && (Stack.empty() || State().Destination != TDestination::Fallback))
    ShapePictureShown = false;  // the pair is complete; a later fallback stands alone
}

void TRtfReader::ControlWord(const TRtfToken& token) {
  if (Stack.empty()) return;  // a word before the first brace: not reachable past the header check
  const std::string& word = token.Word;
  const bool has = token.HasParameter;
  const int value = token.Parameter;

  if (word == "bin") {  // binary data: always taken off the input, used only by a picture
    if (SkipLeft > 0) --SkipLeft;
    Binary(has ? value : 0);
    return;
  }
  if (SkipLeft > 0) {  // the \uN fallback may be a control word
    --SkipLeft;
    return;
  }
  if (StarPending) {
    StarPending = false;
    if (State().Destination == TDestination::Text) {
      // Optional destinations we read: the picture container, a field's result, and the definition
      // of a nested table's row. The rest is skipped.
      if (word == "shppict") {
        State().InShapePicture = true;
        ShapePictureShown = false;
        return;
      }
      if (word == "fldrslt") return;
      if (word == "listtable" || word == "listoverridetable" || word == "pn") {
        DestinationWord(word);
        return;
      }
      if (word == "nesttableprops") {
        State().InNestedTableProps = true;
        return;
      }
      if (word == "footnote") FootnoteStart();
    }
    State().Destination = TDestination::Skip;
    return;
  }
  switch (State().Destination) {
    case TDestination::Skip: return;
    case TDestination::FontTable: FontTableWord(word, has, value); return;
    case TDestination::ColorTable: ColorTableWord(word, has, value); return;
    case TDestination::Picture: PictureWord(word, has, value); return;
    case TDestination::Lists: ListWord(word, has, value); return;
    case TDestination::Mark:
      // A mark is text before the paragraph's own: breaks and cells inside it are not followed.
      if (word == "par" || word == "sect" || word == "line" || word == "page" || word == "cell" ||
          word == "nestcell" || word == "row" || word == "nestrow" || word == "chftn")
        return;
      if (DestinationWord(word)) return;
      TextWord(word, has, value);
      return;
    case TDestination::Fallback:
      if (word == "pict") {
        DestinationWord(word);
        Picture.FromFallback = true;
      }
      return;
    case TDestination::Text:
      if (DestinationWord(word)) return;
      TextWord(word, has, value);
      return;
  }
}

bool TRtfReader::DestinationWord(const std::string& word) {
  if (word == "fonttbl") {
    State().Destination = TDestination::FontTable;
    NewFontIndex = -1;
    NewFontName.Clear();
    return true;
  }
  if (word == "colortbl") {
    State().Destination = TDestination::ColorTable;
    Colors.clear();
    NewColorSet = false;
    NewRed = NewGreen = NewBlue = 0;
    return true;
  }
  if (word == "pict") {  // (a picture inside a picture is met in PictureWord)
    State().Destination = TDestination::Picture;
    Picture = TPicture();
    Picture.Active = true;
    Picture.Depth = Stack.size();
    return true;
  }
  if (word == "listtext" || word == "pntext") {
    State().Destination = TDestination::Mark;
    MarkText.Clear();
    MarkHasProps = false;
    return true;
  }
  if (word == "listtable" || word == "listoverridetable" || word == "pn") {
    State().Destination = TDestination::Lists;
    State().ListPart = word == "pn" ? TListPart::Old : TListPart::None;
    if (word == "pn") NewOld = TRtfOldNumbering();
    return true;
  }
  if (word == "nonshppict") {
    State().Destination = TDestination::Fallback;
    return true;
  }
  if (IsIgnoredDestination(word)) {
    if (word == "footnote") FootnoteStart();
    State().Destination = TDestination::Skip;
    return true;
  }
  return false;
}

void TRtfReader::FontTableWord(const std::string& word, bool has, int value) {
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
  } else if (word == "u" && has) {
    NewFontName.AddUnicode(value);
    SkipLeft = State().UnicodeSkip;
  } else if (word == "uc") {
    State().UnicodeSkip = std::max(0, value);
  }
}

void TRtfReader::ColorTableWord(const std::string& word, bool has, int value) {
  if (!has) return;
  const int component = Clamp(value, 0, 255);
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

void TRtfReader::PictureWord(const std::string& word, bool has, int value) {
  if (word == "pngblip") {
    Picture.Format = TRtfPictureFormat::Png;
  } else if (word == "jpegblip") {
    Picture.Format = TRtfPictureFormat::Jpeg;
  } else if (word == "dibitmap") {
    Picture.Format = TRtfPictureFormat::Dib;
  } else if (word == "wmetafile" || word == "emfblip" || word == "macpict" || word == "pmmetafile") {
    Picture.Format = TRtfPictureFormat::Metafile;
  } else if (word == "picw" && has) {
    Picture.Width = value;
  } else if (word == "pich" && has) {
    Picture.Height = value;
  } else if (word == "picwgoal" && has) {
    Picture.GoalWidth = value;
  } else if (word == "pichgoal" && has) {
    Picture.GoalHeight = value;
  } else if (word == "picscalex" && has) {
    Picture.ScaleX = value;
  } else if (word == "picscaley" && has) {
    Picture.ScaleY = value;
  } else if (word == "pict" || IsIgnoredDestination(word)) {  // a picture in a picture is ignored
    State().Destination = TDestination::Skip;
  }
}

void TRtfReader::TextWord(const std::string& word, bool has, int value) {
  TGroupState& s = State();
  TCharProps& c = s.Char;
  TParaProps& p = s.Para;
  const bool on = !has || value != 0;

  // Document
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
  } else if (word == "uc") {
    s.UnicodeSkip = has ? std::max(0, value) : 1;
  } else if (word == "u") {
    if (has) {
      OutputChar(RtfUnicodeFromParameter(value));
      SkipLeft = s.UnicodeSkip;
    }
  }
  // Characters
  else if (word == "plain") {
    c = TCharProps();
  } else if (word == "f") {
    c.Font = has ? value : 0;
  } else if (word == "fs") {
    c.SizeHalfPoints = has ? Clamp(value, 2, 3276) : 24;
  } else if (word == "b") {
    c.Bold = on;
  } else if (word == "i") {
    c.Italic = on;
  } else if (word == "ulnone") {
    c.Underline = false;
  } else if (word == "ul" || word == "uld" || word == "uldash" || word == "uldashd" || word == "uldashdd" ||
             word == "uldb" || word == "ulhwave" || word == "ulldash" || word == "ulth" || word == "ulthd" ||
             word == "ulthdash" || word == "ulthdashd" || word == "ulthdashdd" || word == "ulthldash" ||
             word == "ululdbwave" || word == "ulw" || word == "ulwave") {
    c.Underline = on;
  } else if (word == "strike" || word == "striked") {
    c.Strike = on;
  } else if (word == "v") {
    c.Hidden = on;
  } else if (word == "cf") {
    c.Fore = has ? value : 0;
  } else if (word == "cb" || word == "highlight" || word == "chcbpat") {
    c.Back = has ? value : 0;
  } else if (word == "super") {
    c.Script = on ? 1 : 0;
  } else if (word == "sub") {
    c.Script = on ? -1 : 0;
  } else if (word == "nosupersub") {
    c.Script = 0;
  } else if (word == "up") {  // a raised baseline, in half points: shown as superscript
    c.Script = (has ? value : 6) > 0 ? 1 : 0;
  } else if (word == "dn") {
    c.Script = (has ? value : 6) > 0 ? -1 : 0;
  }
  // Paragraphs
  else if (word == "pard") {
    p = TParaProps();
  } else if (word == "intbl") {
    p.InTable = true;
  } else if (word == "ql") {
    p.Align = Qt::AlignLeft;
  } else if (word == "qc") {
    p.Align = Qt::AlignHCenter;
  } else if (word == "qr") {
    p.Align = Qt::AlignRight;
  } else if (word == "qj") {
    p.Align = Qt::AlignJustify;
  } else if (word == "li") {
    p.LeftTwips = Clamp(value, -MaxIndentTwips, MaxIndentTwips);
  } else if (word == "ri") {
    p.RightTwips = Clamp(value, -MaxIndentTwips, MaxIndentTwips);
  } else if (word == "fi") {
    p.FirstTwips = Clamp(value, -MaxIndentTwips, MaxIndentTwips);
  } else if (word == "sb") {
    p.BeforeTwips = Clamp(value, 0, MaxIndentTwips);
  } else if (word == "sa") {
    p.AfterTwips = Clamp(value, 0, MaxIndentTwips);
  } else if (word == "sl") {
    p.LineTwips = has ? Clamp(value, -MaxIndentTwips, MaxIndentTwips) : 0;
  } else if (word == "slmult") {
    p.LineMultiple = on;
  } else if (word == "ls") {
    p.ListOverride = has ? std::max(0, value) : 0;
  } else if (word == "ilvl") {
    p.ListLevel = has ? Clamp(value, 0, RtfMaxListLevels - 1) : 0;
  } else if (word == "itap") {
    p.Nesting = has ? Clamp(value, 0, RtfMaxTableDepth) : 1;
  } else if (word == "tqr" || word == "tqc" || word == "tqdec") {
    p.NextTabType = word == "tqr" ? QTextOption::RightTab
                    : word == "tqc" ? QTextOption::CenterTab : QTextOption::DelimiterTab;
  } else if (word == "tx" || word == "tb") {
    if (has && p.Tabs.size() < MaxTabStops) {
      const QChar delimiter = p.NextTabType == QTextOption::DelimiterTab ? QLatin1Char('.') : QChar();
      p.Tabs.emplace_back(Clamp(value, 0, MaxIndentTwips), p.NextTabType, delimiter);
    }
    p.NextTabType = QTextOption::LeftTab;
  } else if (word == "deftab") {
    if (has && value > 0) DefaultTabTwips = Clamp(value, 15, MaxIndentTwips);
  } else if (TableWord(word, has, value)) {
  }
  // Breaks and special characters
  else if (word == "par" || word == "sect") {
    ParagraphBreak();
  } else if (word == "line" || word == "page") {
    OutputChar(QChar::LineSeparator);
  } else if (word == "tab") {
    OutputChar('\t');
  } else if (word == "cell" || word == "nestcell") {
    EndCell();
  } else if (word == "row" || word == "nestrow") {
    EndRow();
  } else if (word == "chftn") {  // a footnote's mark: its number
    const int number = ReplayingFootnotes ? FootnoteNumber : FootnotesSeen + 1;
    for (const QChar digit : QString::number(number)) OutputChar(digit.unicode());
  } else if (const char32_t special = SpecialCharacter(word)) {
    OutputChar(special);
  }
  // Everything else (page setup, list details, revision marks ...) does not change what we show.
}

// Row and cell definitions. They live outside the group structure (writers put them in groups of
// their own), until the next \trowd.
bool TRtfReader::TableWord(const std::string& word, bool has, int value) {
  TRtfRowDef& row = RowDefs[DefinitionLevel()];
  const int twips = has ? Clamp(value, -MaxIndentTwips, MaxIndentTwips) : 0;
  if (word == "trowd") {
    row = TRtfRowDef();
    NewCell = TRtfCellDef();
    NewCellBorder = -1;
  } else if (word == "trleft") {
    row.LeftTwips = twips;
  } else if (word == "trgaph") {
    row.GapTwips = std::max(0, twips);
  } else if (word == "cellx") {
    NewCell.RightTwips = twips;
    if (row.Cells.size() < static_cast<std::size_t>(RtfMaxTableColumns)) row.Cells.push_back(NewCell);
    NewCell = TRtfCellDef();
    NewCellBorder = -1;
  } else if (word == "clvertalt") {
    NewCell.VerticalAlign = Qt::AlignTop;
  } else if (word == "clvertalc") {
    NewCell.VerticalAlign = Qt::AlignVCenter;
  } else if (word == "clvertalb") {
    NewCell.VerticalAlign = Qt::AlignBottom;
  } else if (word == "clcbpat") {
    NewCell.Shading = has ? value : -1;
  } else if (word == "clbrdrt" || word == "clbrdrl" || word == "clbrdrb" || word == "clbrdrr") {
    NewCellBorder = word == "clbrdrt" ? 0 : word == "clbrdrl" ? 1 : word == "clbrdrb" ? 2 : 3;
    NewCell.Borders[NewCellBorder].Present = true;
  } else if (word == "brdrt" || word == "brdrl" || word == "brdrb" || word == "brdrr" || word == "box" ||
             word == "trbrdrt" || word == "trbrdrl" || word == "trbrdrb" || word == "trbrdrr" ||
             word == "trbrdrh" || word == "trbrdrv") {
    NewCellBorder = -1;  // a paragraph's or the row's border, not a cell's
  } else if (word == "brdrnone" || word == "brdrw" || word == "brdrcf") {
    if (NewCellBorder < 0) return true;
    TRtfBorder& border = NewCell.Borders[NewCellBorder];
    if (word == "brdrnone") border.Present = false;
    if (word == "brdrw") border.WidthTwips = std::max(0, std::min(twips, 1440));
    if (word == "brdrcf") border.Color = has ? value : -1;
  } else if (word == "clpadt") {  // Word writes the left padding as \clpadt and the top as \clpadl
    NewCell.PadLeftTwips = std::max(0, twips);
  } else if (word == "clpadl") {
    NewCell.PadTopTwips = std::max(0, twips);
  } else if (word == "clpadr") {
    NewCell.PadRightTwips = std::max(0, twips);
  } else if (word == "clpadb") {
    NewCell.PadBottomTwips = std::max(0, twips);
  } else {
    return false;
  }
  return true;
}

// The list table, the list override table and older writers' paragraph numbering.
void TRtfReader::ListWord(const std::string& word, bool has, int value) {
  TListPart& part = State().ListPart;
  const TListPart parent = part;
  const int number = has ? value : 0;
  // Groups of a definition, named by their first word.
  if (word == "list") {
    part = TListPart::List;
    NewList = TRtfList();
  } else if (word == "listlevel") {
    part = TListPart::Level;
    NewLevel = TRtfListLevel();
  } else if (word == "leveltext" || word == "levelnumbers" || word == "pntxtb" || word == "pntxta") {
    part = word == "leveltext" ? TListPart::LevelText : word == "levelnumbers" ? TListPart::LevelNumbers
           : word == "pntxtb" ? TListPart::OldBefore : TListPart::OldAfter;
    ListText.clear();
  } else if (word == "listoverride") {
    part = TListPart::Override;
    NewOverride = TRtfListOverride();
    NewOverrideNumber = 0;
    NewOverrideLevel = 0;
  } else if (word == "lfolevel") {
    part = TListPart::OverrideLevel;
    NewOverrideStarts = false;
    NewOverrideStart = 1;
  } else if (word == "listname" || word == "liststylename") {
    State().Destination = TDestination::Skip;
  }
  // Their words.
  else if (word == "listid") {
    if (parent == TListPart::List) NewList.Id = number;
    if (parent == TListPart::Override) NewOverride.ListId = number;
  } else if (word == "ls") {
    if (parent == TListPart::Override) NewOverrideNumber = number;
  } else if (word == "listoverridestartat") {
    NewOverrideStarts = true;
  } else if (word == "levelstartat") {
    if (parent == TListPart::OverrideLevel)
      NewOverrideStart = Clamp(number, 0, 1000000);
    else
      NewLevel.StartAt = Clamp(number, 0, 1000000);
  } else if (word == "levelnfc" || word == "levelnfcn") {
    NewLevel.NumberFormat = Clamp(number, 0, 255);
  } else if (word == "levelfollow") {
    NewLevel.Follow = Clamp(number, 0, 2);
  } else if (word == "levellegal") {
    NewLevel.Legal = !has || value != 0;
  } else if (word == "levelnorestart") {
    NewLevel.NoRestart = !has || value != 0;
  } else if (word == "pnlvl" || word == "pnlvlbody") {
    NewOld.Kind = TRtfOldNumbering::Numbered;
    NewOld.Level = word == "pnlvlbody" ? 10 : Clamp(number, 1, 9);
  } else if (word == "pnlvlblt") {
    NewOld.Kind = TRtfOldNumbering::Bullet;
  } else if (word == "pnlvlcont") {
    NewOld.Kind = TRtfOldNumbering::Continued;
  } else if (word == "pnf") {
    const TRtfSymbolFont symbol = SymbolFont(number);
    NewOld.Font = symbol != TRtfSymbolFont::None ? symbol : TRtfSymbolFont::Symbol;
  } else if (word == "pnstart") {
    NewOld.StartAt = Clamp(number, 0, 1000000);
  } else if (word == "pndec" || word == "pnucrm" || word == "pnlcrm" || word == "pnucltr" || word == "pnlcltr" ||
             word == "pnord" || word == "pncard" || word == "pnordt" || word == "pncardt") {
    NewOld.NumberFormat = word == "pnucrm" ? 1 : word == "pnlcrm" ? 2 : word == "pnucltr" ? 3 : word == "pnlcltr" ? 4 : 0;
  }
  // Their text.
  else if (word == "u") {
    if (has) {
      AddListText(RtfUnicodeFromParameter(value));
      SkipLeft = State().UnicodeSkip;
    }
  } else if (word == "uc") {
    State().UnicodeSkip = has ? std::max(0, value) : 1;
  } else if (word == "tab") {
    AddListText('\t');
  } else if (const char32_t special = SpecialCharacter(word)) {
    AddListText(special);
  }
}

void TRtfReader::AddListText(char32_t c) {
  if (ListText.size() >= MaxListText) return;
  if (c > 0xFFFF) {
    ListText += QString::fromUcs4(&c, 1);
  } else {
    ListText += QChar(static_cast<char16_t>(c));
  }
}

void TRtfReader::AddListByte(std::uint8_t byte) {
  // Bytes below 32 are a level text's length and the levels its numbers stand for.
  if (byte < 0x20) {
    AddListText(byte);
    return;
  }
  const QString text = Codecs.ForCodePage(DocumentCodePage)->toUnicode(reinterpret_cast<const char*>(&byte), 1);
  if (!text.isEmpty()) AddListText(text.at(0).unicode());
}

void TRtfReader::ListGroupEnd(TListPart closing) {
  const TListPart parent =
      !Stack.empty() && State().Destination == TDestination::Lists ? State().ListPart : TListPart::None;
  switch (closing) {
    case TListPart::LevelText: {
      // The first character counts those that follow; the rest (a ';') is not part of the mark.
      QString text = ListText;
      if (!text.isEmpty() && text.at(0).unicode() < 0x20) {
        const int length = text.at(0).unicode();
        text.remove(0, 1);
        if (length <= text.size()) text.truncate(length);
        else if (text.endsWith(QLatin1Char(';'))) text.chop(1);
      } else {
        text.truncate(text.indexOf(QLatin1Char(';')) >= 0 ? text.indexOf(QLatin1Char(';')) : text.size());
      }
      NewLevel.Text = text;
      break;
    }
    case TListPart::LevelNumbers:
      // Places in the level text, counted from its length character.
      NewLevel.NumberPlaces.clear();
      for (const QChar c : ListText)
        if (c.unicode() >= 1 && c.unicode() < 0x20) NewLevel.NumberPlaces.push_back(c.unicode() - 1);
      break;
    case TListPart::Level:
      if (parent == TListPart::List && NewList.Levels.size() < static_cast<std::size_t>(RtfMaxListLevels))
        NewList.Levels.push_back(NewLevel);
      if (parent == TListPart::OverrideLevel && NewOverrideLevel < RtfMaxListLevels) {
        NewOverride.Levels[NewOverrideLevel] = NewLevel;
        NewOverride.Replaces[NewOverrideLevel] = true;
        NewOverrideStart = NewLevel.StartAt;  // (used when the override starts the level again)
      }
      break;
    case TListPart::List:
      Numbering.AddList(NewList);
      break;
    case TListPart::OverrideLevel:
      if (NewOverrideLevel < RtfMaxListLevels && NewOverrideStarts)
        NewOverride.StartAt[NewOverrideLevel] = NewOverrideStart;
      ++NewOverrideLevel;
      break;
    case TListPart::Override:
      if (NewOverrideNumber > 0) Numbering.AddOverride(NewOverrideNumber, NewOverride);
      break;
    case TListPart::OldBefore:
      NewOld.Before = ListText;
      break;
    case TListPart::OldAfter:
      NewOld.After = ListText;
      break;
    case TListPart::Old:
      if (!Stack.empty() && parent == TListPart::None && State().Destination != TDestination::Lists)
        State().Para.Old = NewOld;  // the numbering of the paragraph the group stands in
      break;
    case TListPart::None:
      break;
  }
}

void TRtfReader::MarkGroupEnd() {
  const QString text = MarkText.Take();
  if (Stack.empty() || State().Destination != TDestination::Text) return;
  bool blank = true;
  for (const QChar c : text)
    if (c != QLatin1Char(' ') && c != QLatin1Char('\t') && c != QChar(0x00A0)) blank = false;
  if (blank) {
    ParaMark.HasBlank = true;
    ParaMark.Blank = text;
    ParaMark.BlankProps = MarkHasProps ? MarkProps : State().Char;
    return;
  }
  // A bullet in a symbol font is shown as the character it stands for, in the text's font.
  QString shown = text;
  TCharProps props = MarkProps;
  const TRtfSymbolFont symbol = SymbolFont(props.Font);
  if (symbol != TRtfSymbolFont::None) {
    for (QChar& c : shown)
      if (c != QLatin1Char('\t') && c != QLatin1Char(' ')) c = RtfMarkCharacter(c, symbol);
    props.Font = State().Char.Font;
  }
  EmittingMark = true;
  BeforeOutput();
  InsertRun(shown, props);
  EmittingMark = false;
  ParaMark.Shown = true;
}

void TRtfReader::StartParagraphMark() {
  ParaMark.Started = true;
  const TParaProps& p = State().Para;
  QString mark;
  bool listed = p.ListOverride > 0 && Numbering.NextMark(p.ListOverride, p.ListLevel, mark);
  if (!listed && p.Old.Kind != TRtfOldNumbering::None) {
    mark = Numbering.NextOldMark(p.Old);
    listed = true;
  }
  if (!listed) Numbering.EndOldRun();
  if (ParaMark.Shown) return;  // the writer's own mark is there
  ParaMark.Shown = true;
  EmittingMark = true;
  if (!mark.isEmpty()) {
    TCharProps props = State().Char;  // the text's font and colour, without its lines
    props.Underline = props.Strike = false;
    props.Script = 0;
    InsertRun(mark, props);
  } else if (ParaMark.HasBlank) {
    InsertRun(ParaMark.Blank, ParaMark.BlankProps);
  }
  EmittingMark = false;
}

TRtfSymbolFont TRtfReader::SymbolFont(int font) const {
  const auto entry = Fonts.find(font >= 0 ? font : DefaultFont);
  return entry != Fonts.end() ? entry->second.Symbol : TRtfSymbolFont::None;
}

void TRtfReader::InsertRun(const QString& text, const TCharProps& props) {
  Flush();
  PendingProps = props;
  for (const char32_t c : text.toUcs4()) Pending.AddUnicode(c);
  Flush();
}

int TRtfReader::TableLevel() const {
  const TParaProps& p = Stack.back().Para;
  return std::max(p.InTable ? 1 : 0, p.Nesting);
}

int TRtfReader::DefinitionLevel() {
  // A nested row's definition comes in its own destination, while its table is the innermost.
  if (!State().InNestedTableProps) return 1;
  return Clamp(std::max(TableLevel(), Tables.Depth()), 2, RtfMaxTableDepth);
}

void TRtfReader::ControlSymbol(char symbol) {
  if (Stack.empty()) return;
  if (SkipLeft > 0) {
    --SkipLeft;
    return;
  }
  if (symbol == '*') {
    StarPending = true;
    return;
  }
  StarPending = false;
  const TDestination d = State().Destination;
  if (symbol == '\\' || symbol == '{' || symbol == '}') {
    if (d == TDestination::Text || d == TDestination::Mark)
      OutputByte(static_cast<std::uint8_t>(symbol));
    else if (d == TDestination::Lists)
      AddListText(static_cast<char32_t>(symbol));
    else if (d == TDestination::FontTable)
      NewFontName.AddByte(static_cast<std::uint8_t>(symbol), Codecs.ForCodePage(DocumentCodePage));
    return;
  }
  if (d != TDestination::Text && !(d == TDestination::Mark && symbol != '\n')) return;
  switch (symbol) {
    case '~': OutputChar(0x00A0); break;
    case '_': OutputChar(0x2011); break;
    case '-': OutputChar(0x00AD); break;
    case '\n': ParagraphBreak(); break;
    case '\t': OutputChar('\t'); break;
    default: break;  // \| \: and broken escapes
  }
}

void TRtfReader::TextBytes(const char* data, std::size_t length) {
  if (Stack.empty()) return;
  StarPending = false;
  if (SkipLeft > 0) {
    const std::size_t skip = std::min<std::size_t>(length, static_cast<std::size_t>(SkipLeft));
    SkipLeft -= static_cast<int>(skip);
    data += skip;
    length -= skip;
  }
  if (length == 0) return;
  switch (State().Destination) {
    case TDestination::Skip:
    case TDestination::Fallback:
    case TDestination::ColorTable:
      if (State().Destination == TDestination::ColorTable)
        for (std::size_t i = 0; i < length; ++i)
          if (data[i] == ';') CommitColor();
      return;
    case TDestination::FontTable:
      for (std::size_t i = 0; i < length; ++i) {
        if (data[i] == ';')
          CommitFont();
        else
          NewFontName.AddByte(static_cast<std::uint8_t>(data[i]),
                              Codecs.ForCodePage(NewFontCodePage != 0 ? NewFontCodePage : DocumentCodePage));
      }
      return;
    case TDestination::Picture:
      for (std::size_t i = 0; i < length; ++i) {
        const int nibble = RtfHexValue(data[i]);
        if (nibble < 0) continue;  // blanks between the digits
        if (Picture.HighNibble < 0) {
          Picture.HighNibble = nibble;
          continue;
        }
        if (static_cast<std::size_t>(Picture.Data.size()) >= RtfMaxPictureBytes)
          Picture.TooLarge = true;
        else
          Picture.Data.append(static_cast<char>(Picture.HighNibble * 16 + nibble));
        Picture.HighNibble = -1;
      }
      return;
    case TDestination::Lists:
      for (std::size_t i = 0; i < length; ++i) {
        const std::uint8_t byte = static_cast<std::uint8_t>(data[i]);
        if (byte >= 0x20) AddListByte(byte);
      }
      return;
    case TDestination::Text:
    case TDestination::Mark:
      for (std::size_t i = 0; i < length; ++i) OutputByte(static_cast<std::uint8_t>(data[i]));
      return;
  }
}

void TRtfReader::HexByte(std::uint8_t byte) {
  if (Stack.empty()) return;
  StarPending = false;
  if (SkipLeft > 0) {
    --SkipLeft;
    return;
  }
  if (State().Destination == TDestination::Text || State().Destination == TDestination::Mark)
    OutputByte(byte);
  else if (State().Destination == TDestination::Lists)
    // (bytes below 32 are a level text's length and its numbers' places)
    AddListByte(byte);
  else if (State().Destination == TDestination::FontTable)
    NewFontName.AddByte(byte, Codecs.ForCodePage(NewFontCodePage != 0 ? NewFontCodePage : DocumentCodePage));
}

void TRtfReader::Binary(std::int64_t count) {
  std::size_t length = 0;
  const char* data = Tokens.TakeBinary(count, length);
  if (Stack.empty() || State().Destination != TDestination::Picture) return;
  const std::size_t room = RtfMaxPictureBytes - std::min(RtfMaxPictureBytes, static_cast<std::size_t>(Picture.Data.size()));
  if (length > room) {
    Picture.TooLarge = true;
    return;
  }
  Picture.Data.append(data, static_cast<int>(length));
}

void TRtfReader::PlaceCursor() {
  const int level = TableLevel();
  if (Tables.InPlace(level)) return;
  Flush();  // what is pending belongs where the cursor stands now
  CellBreakPending = false;
  Tables.Place(level, RowDefs[std::min(level, RtfMaxTableDepth)]);
}

void TRtfReader::BeforeOutput() {
  PlaceCursor();
  if (CellBreakPending) {  // the cell's previous paragraph ended: this text starts the next
    CellBreakPending = false;
    Flush();
    Cursor.insertBlock();
  }
  if (!EmittingMark && !ParaMark.Started) StartParagraphMark();
  if (State().Char != PendingProps) {
    Flush();
    PendingProps = State().Char;
  }
}

void TRtfReader::OutputByte(std::uint8_t byte) {
  if (State().Char.Hidden) return;
  if (State().Destination == TDestination::Mark) {
    if (!MarkHasProps) MarkProps = State().Char;
    MarkHasProps = true;
    MarkText.AddByte(byte, CodecForFont(State().Char.Font));
    return;
  }
  BeforeOutput();
  Pending.AddByte(byte, CodecForFont(State().Char.Font));
}

void TRtfReader::OutputChar(char32_t c) {
  if (State().Char.Hidden) return;
  if (State().Destination == TDestination::Mark) {
    if (!MarkHasProps) MarkProps = State().Char;
    MarkHasProps = true;
    MarkText.AddUnicode(c);
    return;
  }
  BeforeOutput();
  Pending.AddUnicode(c);
}

void TRtfReader::Flush() {
  const QString text = Pending.Take();
  if (!text.isEmpty()) Cursor.insertText(text, CharFormat(PendingProps));
}

void TRtfReader::ParagraphBreak() {
  PlaceCursor();
  MarkAtBreak();
  if (Tables.Depth() > 0) {
    // Inside a cell the paragraph keeps its format now, and the next one starts only when more of
    // the cell's text comes (writers end a cell's last paragraph with \par before \cell).
    if (CellBreakPending) Cursor.insertBlock();  // an empty paragraph of the cell
    Flush();
    Cursor.setBlockFormat(BlockFormat(State().Para));
    CellBreakPending = true;
    return;
  }
  Flush();
  Cursor.setBlockFormat(BlockFormat(State().Para));
  Cursor.insertBlock();
}

void TRtfReader::MarkAtBreak() {
  // A paragraph that ends before any text: its list moves on only where the writer marked it as
  // an item, and a mark is shown only then.
  if (!ParaMark.Started && !CellBreakPending && (ParaMark.Shown || ParaMark.HasBlank)) BeforeOutput();
  ParaMark = TParagraphMark();
}

void TRtfReader::EndCell() {
  const int level = TableLevel() > 0 ? TableLevel() : std::max(1, Tables.Depth());
  if (!Tables.InPlace(level)) CellBreakPending = false;
  MarkAtBreak();
  Flush();
  const bool keepFormat = CellBreakPending;
  CellBreakPending = false;
  if (!Tables.EndCell(level, RowDefs[level], BlockFormat(State().Para), keepFormat))
    OutputChar('\t');  // no more tables in this document: cells as tab-separated text
}

void TRtfReader::EndRow() {
  const int level = TableLevel() > 0 ? TableLevel() : Tables.Depth();
  Flush();
  CellBreakPending = false;
  ParaMark = TParagraphMark();
  if (Tables.EndRow(level, RowDefs[Clamp(level, 1, RtfMaxTableDepth)], Colors)) return;
  if (Tables.Depth() == 0 && Tables.Exhausted()) {  // rows as paragraphs
    Cursor.setBlockFormat(BlockFormat(State().Para));
    Cursor.insertBlock();
  }
}

void TRtfReader::FinishPicture() {
  TPicture picture = std::move(Picture);
  Picture = TPicture();
  if (picture.TooLarge || Stack.empty()) return;
  const TDestination here = State().Destination;
  if ((here != TDestination::Text && here != TDestination::Fallback) || State().Char.Hidden) return;
  if (picture.FromFallback && ShapePictureShown) return;  // the better copy is shown already

  // Shown size: the goal size in twips if given, else the picture's own size; then the scale.
  // A metafile's own size (\picw, \pich) is in hundredths of a millimetre.
  QImage image;
  double width = 0;
  double height = 0;
  const long long pixelsLeft = std::min(RtfMaxImagePixels, 4 * RtfMaxImagePixels - ImagePixels);
  if (picture.Format == TRtfPictureFormat::Metafile) {
    width = picture.GoalWidth > 0 ? picture.GoalWidth / TwipsPerPixel : picture.Width * 96.0 / 2540.0;
    height = picture.GoalHeight > 0 ? picture.GoalHeight / TwipsPerPixel : picture.Height * 96.0 / 2540.0;
  } else {
    if (picture.Data.isEmpty()) return;
    image = RtfDecodePicture(picture.Format, picture.Data, pixelsLeft);
    if (image.isNull()) return;
    width = picture.GoalWidth > 0 ? picture.GoalWidth / TwipsPerPixel : image.width();
    height = picture.GoalHeight > 0 ? picture.GoalHeight / TwipsPerPixel : image.height();
  }
  if (picture.ScaleX > 0) width = width * std::min(picture.ScaleX, 10000) / 100.0;
  if (picture.ScaleY > 0) height = height * std::min(picture.ScaleY, 10000) / 100.0;
  if (picture.Format == TRtfPictureFormat::Metafile) {
    // The empty box is drawn at its shown size, so it counts against the pixel limits.
    if (!(width >= 1 && height >= 1) || width > 16384 || height > 16384) return;
    const QSize size(static_cast<int>(width + 0.5), static_cast<int>(height + 0.5));
    if (static_cast<long long>(size.width()) * size.height() > pixelsLeft) return;
    image = RtfEmptyBox(size);
    if (image.isNull()) return;
  }
  ImagePixels += static_cast<long long>(image.width()) * image.height();
  width = std::max(1.0, std::min(width, 16384.0));
  height = std::max(1.0, std::min(height, 16384.0));

  BeforeOutput();  // the picture goes where text would
  Flush();
  const QString name = QStringLiteral("rtf-image-%1").arg(++ImageCount);
  Document.addResource(QTextDocument::ImageResource, QUrl(name), image);
  QTextImageFormat imageFormat;
  imageFormat.setName(name);
  imageFormat.setWidth(width);
  imageFormat.setHeight(height);
  Cursor.insertImage(imageFormat);
  if (State().InShapePicture) ShapePictureShown = true;
}

void TRtfReader::FinishDocument() {
  if (Picture.Active) {
    // The input ended inside the picture's group.
    Stack.resize(std::min(Stack.size(), Picture.Depth > 0 ? Picture.Depth - 1 : 0));
    if (Stack.empty()) Stack.emplace_back();
    FinishPicture();
  }
  Flush();
  if (!Footnotes.empty() && !ReplayingFootnotes) ReplayFootnotes();
  if (Stack.empty()) Stack.emplace_back();
  if (Tables.Depth() > 0) {
    Tables.CloseAll();
  } else {
    Cursor.setBlockFormat(BlockFormat(State().Para));
  }
  // Paragraphs keep their lines (each is marked so); the text of a cell wraps within its cell, so
  // that the cells keep the widths the writer gave them.
  QTextOption option = Document.defaultTextOption();
  option.setTabStopDistance(DefaultTabTwips / TwipsPerPixel);
  option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
  Document.setDefaultTextOption(option);
  // A closing \par leaves an empty last paragraph, which is not shown (unless a table ends
  // there: a table is always followed by a paragraph).
  const QTextBlock last = Document.lastBlock();
  const QTextBlock previous = last.previous();
  if (Document.blockCount() > 1 && last.length() <= 1 && previous.isValid() &&
      QTextCursor(previous).currentFrame() == Document.rootFrame() && QTextCursor(previous).currentTable() == nullptr) {
    Cursor.movePosition(QTextCursor::End);
    Cursor.deletePreviousChar();
  }
}

void TRtfReader::CommitFont() {
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

void TRtfReader::CommitColor() {
  Colors.push_back(NewColorSet ? QColor(NewRed, NewGreen, NewBlue) : QColor());
  NewRed = NewGreen = NewBlue = 0;
  NewColorSet = false;
}

QTextCodec* TRtfReader::CodecForFont(int font) {
  const auto it = Fonts.find(font >= 0 ? font : DefaultFont);
  const int codePage = (it != Fonts.end() && it->second.CodePage != 0) ? it->second.CodePage : DocumentCodePage;
  return Codecs.ForCodePage(codePage);
}

QTextCharFormat TRtfReader::CharFormat(const TCharProps& props) const {
  QTextCharFormat format;
  const auto font = Fonts.find(props.Font >= 0 ? props.Font : DefaultFont);
  if (font != Fonts.end() && !font->second.Name.isEmpty()) format.setFontFamily(font->second.Name);
  format.setFontPointSize(props.SizeHalfPoints / 2.0);
  format.setFontWeight(props.Bold ? QFont::Bold : QFont::Normal);
  format.setFontItalic(props.Italic);
  format.setFontUnderline(props.Underline);
  format.setFontStrikeOut(props.Strike);
  if (props.Fore >= 0 && static_cast<std::size_t>(props.Fore) < Colors.size() && Colors[props.Fore].isValid())
    format.setForeground(Colors[props.Fore]);
  if (props.Back >= 0 && static_cast<std::size_t>(props.Back) < Colors.size() && Colors[props.Back].isValid())
    format.setBackground(Colors[props.Back]);
  if (props.Script > 0) format.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
  if (props.Script < 0) format.setVerticalAlignment(QTextCharFormat::AlignSubScript);
  return format;
}

QTextBlockFormat TRtfReader::BlockFormat(const TParaProps& props) const {
  QTextBlockFormat format;
  format.setNonBreakableLines(Tables.Depth() == 0);
  format.setAlignment(props.Align);
  format.setLeftMargin(props.LeftTwips / TwipsPerPixel);
  format.setRightMargin(props.RightTwips / TwipsPerPixel);
  format.setTextIndent(props.FirstTwips / TwipsPerPixel);
  format.setTopMargin(props.BeforeTwips / TwipsPerPixel);
  format.setBottomMargin(props.AfterTwips / TwipsPerPixel);
  if (props.LineTwips != 0) {
    if (props.LineMultiple && props.LineTwips > 0)
      format.setLineHeight(props.LineTwips * 100.0 / 240.0, QTextBlockFormat::ProportionalHeight);
    else if (props.LineTwips > 0)
      format.setLineHeight(props.LineTwips / TwipsPerPixel, QTextBlockFormat::MinimumHeight);
    else
      format.setLineHeight(-props.LineTwips / TwipsPerPixel, QTextBlockFormat::FixedHeight);
  }
  // RTF counts tab stops from the left margin, Qt from where the line starts: the stops are moved
  // by where the first line starts (later lines of the paragraph start elsewhere, and keep that
  // shift). A hanging first line has one more stop at the paragraph's indent, where a list's text
  // starts after its bullet.
  std::vector<QTextOption::Tab> tabs = props.Tabs;
  if (props.FirstTwips < 0 && props.LeftTwips > 0 &&
      std::none_of(tabs.begin(), tabs.end(), [&](const QTextOption::Tab& t) { return t.position == props.LeftTwips; }))
    tabs.emplace_back(props.LeftTwips, QTextOption::LeftTab);
  if (!tabs.empty()) {
    std::sort(tabs.begin(), tabs.end(), [](const QTextOption::Tab& a, const QTextOption::Tab& b) {
      return a.position < b.position;
    });
    const int lineStart = props.LeftTwips + props.FirstTwips;
    QList<QTextOption::Tab> positions;
    for (QTextOption::Tab tab : tabs) {
      if (tab.position <= lineStart) continue;  // behind the line's start: never reached
      tab.position = (tab.position - lineStart) / TwipsPerPixel;
      positions.append(tab);
    }
    format.setTabPositions(positions);
  }
  return format;
}

}  // namespace

bool ReadRtf(const QByteArray& bytes, QTextDocument& document) {
  static const char header[] = "{\\rtf";
  constexpr int headerLength = static_cast<int>(sizeof(header) - 1);
  if (bytes.size() < headerLength || std::memcmp(bytes.constData(), header, headerLength) != 0) {
    document.clear();
    return false;
  }
  TRtfReader reader(bytes, document);
  if (reader.Read()) return true;
  document.clear();
  return false;
}
