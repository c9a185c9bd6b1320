#include "rtfreader.h"

#include "rtfdocumentbuilder.h"
#include "rtffonttable.h"
#include "rtffootnotes.h"
#include "rtfformats.h"
#include "rtfgroupstate.h"
#include "rtflisttablereader.h"
#include "rtfmarks.h"
#include "rtfpicturereader.h"
#include "rtfrowdefinitions.h"
#include "rtftextbuffer.h"
#include "rtftokenizer.h"
#include "rtfwords.h"

#include <QByteArray>
#include <QImage>
#include <QTextDocument>

#include <algorithm>
#include <cstring>
#include <optional>
#include <vector>

namespace {

using TDestination = TRtfDestination;

// Words that end a paragraph, a cell or a row, or stand for a footnote's number: inside a
// writer's list mark they are not followed.
bool IsBreakWord(const std::string& word) {
  return word == "par" || word == "sect" || word == "line" || word == "page" || word == "cell" ||
         word == "nestcell" || word == "row" || word == "nestrow" || word == "chftn";
}

// The reader: a state machine over the tokens, with a stack of group states. Each destination
// hands its words and text to the part that reads it (font and colour tables, lists, pictures,
// row definitions, formats); what is shown goes to the document's builder.
class TRtfReader {
 public:
  TRtfReader(const QByteArray& bytes, QTextDocument& document)
      : Tokens(bytes.constData(), static_cast<std::size_t>(bytes.size())),
        Builder(document, Fonts, Colors, Rows, ListTables.Numbering()) {}

  bool Read();

 private:
  TRtfGroupState& State() { return Stack.back(); }
  bool InDestination(TDestination destination) const {
    return !Stack.empty() && Stack.back().Destination == destination;
  }

  // The state machine.
  bool Run();
  bool GroupStart();
  void GroupEnd();
  void ControlWord(const TRtfToken& token);
  void StarredWord(const std::string& word);
  bool DestinationWord(const std::string& word);
  void ContentWord(const std::string& word, bool has, int value);
  bool UnicodeWord(const std::string& word, bool has, int value, std::optional<char32_t>& character);
  void FontTableWord(const std::string& word, bool has, int value);
  void ListWord(const std::string& word, bool has, int value);
  void TextWord(const std::string& word, bool has, int value);
  void BreakWord(const std::string& word);
  void ControlSymbol(char symbol);
  void EscapedSymbol(char symbol);
  void TextBytes(const char* data, std::size_t length);
  void HexByte(std::uint8_t byte);
  void Binary(std::int64_t count);

  // Destinations that end with their group.
  void ListGroupEnd(TRtfListPart closing);
  void MarkGroupEnd();
  void FinishPicture();
  bool PictureShownHere(const TRtfPictureData& picture);

  // Footnotes, read again after the text.
  void FootnoteStart() { Footnotes.Met(Tokens.Position(), State()); }
  void ReplayFootnotes();
  bool ReplayFootnote(const TRtfFootnote& footnote);

  // Output.
  void OutputByte(std::uint8_t byte);
  void OutputChar(char32_t c);
  int DefinitionLevel();
  void FinishDocument();

  TRtfTokenizer Tokens;
  std::vector<TRtfGroupState> Stack;

  // The parts that read destinations, and the document's builder.
  TRtfFontTable Fonts;
  TRtfColorTable Colors;
  TRtfListTableReader ListTables{Fonts};
  TRtfPictureReader Pictures;
  TRtfRowDefinitions Rows;
  TRtfFootnotes Footnotes;
  TRtfDocumentBuilder Builder;

  int SkipLeft = 0;         // characters still to skip after \uN
  bool StarPending = false; // \* seen: the next word names an optional destination
  int DefaultTabTwips = 720;
  bool ShapePictureShown = false;  // the last \shppict showed its picture: skip its \nonshppict
};

bool TRtfReader::Read() {
  Builder.Clear();
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
      case TRtfTokenKind::ControlWord: ControlWord(token); break;
      case TRtfTokenKind::ControlSymbol: ControlSymbol(token.Symbol); break;
      case TRtfTokenKind::HexByte: HexByte(token.Byte); break;
      case TRtfTokenKind::Text: TextBytes(token.TextData, token.TextLength); break;
    }
  }
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
  const TRtfListPart closingPart = State().ListPart;
  Stack.pop_back();
  const bool ended = !InDestination(closing);  // the destination ends with this group
  if (closing == TDestination::Lists) ListGroupEnd(closingPart);
  if (closing == TDestination::Mark && ended) MarkGroupEnd();
  if (closing == TDestination::FontTable && ended) Fonts.End();
  if (Pictures.Active() && Stack.size() < Pictures.Depth()) FinishPicture();
  if (closing == TDestination::Fallback && ended)
    ShapePictureShown = false;  // the pair is complete; a later fallback stands alone
}

void TRtfReader::ControlWord(const TRtfToken& token) {
  if (Stack.empty()) return;  // a word before the first brace: not reachable past the header check
  if (token.Word == "bin") {  // binary data: always taken off the input, used only by a picture
    if (SkipLeft > 0) --SkipLeft;
    Binary(token.HasParameter ? token.Parameter : 0);
    return;
  }
  if (SkipLeft > 0) {  // the \uN fallback may be a control word
    --SkipLeft;
    return;
  }
  if (StarPending) {
    StarPending = false;
    StarredWord(token.Word);
    return;
  }
  ContentWord(token.Word, token.HasParameter, token.Parameter);
}

void TRtfReader::StarredWord(const std::string& word) {
  if (State().Destination == TDestination::Text) {
    // Optional destinations we read: the picture container, a field's result, the lists, and the
    // definition of a nested table's row. The rest is skipped.
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
}

bool TRtfReader::DestinationWord(const std::string& word) {
  TDestination& destination = State().Destination;
  if (word == "fonttbl") {
    destination = TDestination::FontTable;
    Fonts.Start();
  } else if (word == "colortbl") {
    destination = TDestination::ColorTable;
    Colors.Start();
  } else if (word == "pict") {  // (a picture inside a picture is met by the picture's reader)
    destination = TDestination::Picture;
    Pictures.Start(Stack.size());
  } else if (word == "listtext" || word == "pntext") {
    destination = TDestination::Mark;
    Builder.Marks().StartWritten();
  } else if (word == "listtable" || word == "listoverridetable" || word == "pn") {
    destination = TDestination::Lists;
    State().ListPart = ListTables.Start(word);
  } else if (word == "nonshppict") {
    destination = TDestination::Fallback;
  } else if (RtfIsIgnoredDestination(word)) {
    if (word == "footnote") FootnoteStart();
    destination = TDestination::Skip;
  } else {
    return false;
  }
  return true;
}

void TRtfReader::ContentWord(const std::string& word, bool has, int value) {
  switch (State().Destination) {
    case TDestination::Skip: return;
    case TDestination::FontTable: FontTableWord(word, has, value); return;
    case TDestination::ColorTable: Colors.Word(word, has, value); return;
    case TDestination::Picture:
      if (!Pictures.Word(word, has, value)) State().Destination = TDestination::Skip;
      return;
    case TDestination::Lists: ListWord(word, has, value); return;
    case TDestination::Mark:
      // A mark is text before the paragraph's own: breaks and cells inside it are not followed.
      if (IsBreakWord(word) || DestinationWord(word)) return;
      TextWord(word, has, value);
      return;
    case TDestination::Fallback:
      if (word == "pict") {
        DestinationWord(word);
        Pictures.MarkFallback();
      }
      return;
    case TDestination::Text:
      if (!DestinationWord(word)) TextWord(word, has, value);
      return;
  }
}

// \ucN and \uN, read alike wherever text is kept. Answers false for other words; a \uN with its
// parameter gives its character.
bool TRtfReader::UnicodeWord(const std::string& word, bool has, int value, std::optional<char32_t>& character) {
  if (word == "uc") {
    State().UnicodeSkip = has ? std::max(0, value) : 1;
    return true;
  }
  if (word != "u") return false;
  if (has) {
    character = RtfUnicodeFromParameter(value);
    SkipLeft = State().UnicodeSkip;
  }
  return true;
}

void TRtfReader::FontTableWord(const std::string& word, bool has, int value) {
  std::optional<char32_t> character;
  if (!UnicodeWord(word, has, value, character))
    Fonts.Word(word, has, value);
  else if (character)
    Fonts.AddNameCharacter(*character);
}

// The list table, the list override table and older writers' paragraph numbering.
void TRtfReader::ListWord(const std::string& word, bool has, int value) {
  std::optional<char32_t> character;
  if (UnicodeWord(word, has, value, character)) {
    if (character) ListTables.AddText(*character);
    return;
  }
  if (!ListTables.Word(word, has, value, State().ListPart)) State().Destination = TDestination::Skip;
}

void TRtfReader::TextWord(const std::string& word, bool has, int value) {
  std::optional<char32_t> character;
  if (UnicodeWord(word, has, value, character)) {
    if (character) OutputChar(*character);
    return;
  }
  TRtfGroupState& state = State();
  if (Fonts.DocumentWord(word, has, value) || RtfCharacterWord(word, has, value, state.Char) ||
      RtfParagraphWord(word, has, value, state.Para) || Rows.Word(word, has, value, DefinitionLevel()))
    return;
  if (word == "deftab") {
    if (has && value > 0) DefaultTabTwips = RtfClamp(value, 15, RtfMaxIndentTwips);
    return;
  }
  BreakWord(word);
  // Everything else (page setup, list details, revision marks ...) does not change what we show.
}

void TRtfReader::BreakWord(const std::string& word) {
  const TRtfGroupState& state = State();
  if (word == "par" || word == "sect") {
    Builder.ParagraphBreak(state);
  } else if (word == "line" || word == "page") {
    OutputChar(QChar::LineSeparator);
  } else if (word == "tab") {
    OutputChar('\t');
  } else if (word == "cell" || word == "nestcell") {
    Builder.EndCell(state);
  } else if (word == "row" || word == "nestrow") {
    Builder.EndRow(state);
  } else if (word == "chftn") {  // a footnote's mark: its number
    for (const QChar digit : QString::number(Footnotes.MarkNumber())) OutputChar(digit.unicode());
  } else if (const char32_t special = RtfSpecialCharacter(word)) {
    OutputChar(special);
  }
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
  if (symbol == '\\' || symbol == '{' || symbol == '}') {
    EscapedSymbol(symbol);
    return;
  }
  const TDestination d = State().Destination;
  if (d != TDestination::Text && !(d == TDestination::Mark && symbol != '\n')) return;
  switch (symbol) {
    case '~': OutputChar(0x00A0); break;
    case '_': OutputChar(0x2011); break;
    case '-': OutputChar(0x00AD); break;
    case '\n': Builder.ParagraphBreak(State()); break;
    case '\t': OutputChar('\t'); break;
    default: break;  // \| \: and broken escapes
  }
}

void TRtfReader::EscapedSymbol(char symbol) {
  const TDestination d = State().Destination;
  if (d == TDestination::Text || d == TDestination::Mark)
    OutputByte(static_cast<std::uint8_t>(symbol));
  else if (d == TDestination::Lists)
    ListTables.AddText(static_cast<char32_t>(symbol));
  else if (d == TDestination::FontTable)
    Fonts.EscapedSymbol(symbol);
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
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(data);
  switch (State().Destination) {
    case TDestination::Skip:
    case TDestination::Fallback: return;
    case TDestination::ColorTable: Colors.Text(data, length); return;
    case TDestination::FontTable:
      for (std::size_t i = 0; i < length; ++i) Fonts.Text(bytes[i]);
      return;
    case TDestination::Picture: Pictures.HexText(data, length); return;
    case TDestination::Lists:
      for (std::size_t i = 0; i < length; ++i)
        if (bytes[i] >= 0x20) ListTables.AddByte(bytes[i], Fonts.DocumentCodec());
      return;
    case TDestination::Text:
    case TDestination::Mark:
      for (std::size_t i = 0; i < length; ++i) OutputByte(bytes[i]);
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
  const TDestination d = State().Destination;
  if (d == TDestination::Text || d == TDestination::Mark)
    OutputByte(byte);
  else if (d == TDestination::Lists)
    // (bytes below 32 are a level text's length and its numbers' places)
    ListTables.AddByte(byte, Fonts.DocumentCodec());
  else if (d == TDestination::FontTable)
    Fonts.HexByte(byte);
}

void TRtfReader::Binary(std::int64_t count) {
  std::size_t length = 0;
  const char* data = Tokens.TakeBinary(count, length);
  if (InDestination(TDestination::Picture)) Pictures.Binary(data, length);
}

void TRtfReader::ListGroupEnd(TRtfListPart closing) {
  const bool inLists = InDestination(TDestination::Lists);
  ListTables.GroupEnd(closing, inLists ? State().ListPart : TRtfListPart::None);
  if (closing == TRtfListPart::Old && !Stack.empty() && !inLists)
    State().Para.Old = ListTables.OldNumbering();  // the numbering of the paragraph the group stands in
}

void TRtfReader::MarkGroupEnd() {
  if (!InDestination(TDestination::Text)) {
    Builder.Marks().DropWritten();
    return;
  }
  TRtfRun run;
  if (Builder.Marks().EndWritten(State().Char, run)) Builder.AddWrittenMark(run, State());
}

void TRtfReader::FinishPicture() {
  const TRtfPictureData picture = Pictures.Take();
  if (picture.TooLarge || Stack.empty() || !PictureShownHere(picture)) return;
  QImage image;
  QSizeF size;
  if (!Pictures.Decode(picture, image, size)) return;
  Builder.AddImage(image, size, State());  // the picture goes where text would
  if (State().InShapePicture) ShapePictureShown = true;
}

bool TRtfReader::PictureShownHere(const TRtfPictureData& picture) {
  const TDestination here = State().Destination;
  if ((here != TDestination::Text && here != TDestination::Fallback) || State().Char.Hidden) return false;
  return !(picture.FromFallback && ShapePictureShown);  // the better copy is shown already
}

void TRtfReader::ReplayFootnotes() {
  // Each footnote is read again from where it started, as paragraphs of its own at the end.
  for (const TRtfFootnote& footnote : Footnotes.StartReplay())
    if (!ReplayFootnote(footnote)) break;
  Stack.assign(1, TRtfGroupState());
}

bool TRtfReader::ReplayFootnote(const TRtfFootnote& footnote) {
  Builder.StartFootnote();
  Stack.assign(1, footnote.State);
  Pictures.Take();
  SkipLeft = 0;
  StarPending = false;
  Footnotes.Reading(footnote);
  Tokens.Seek(footnote.Start);
  const bool read = Run();
  if (Pictures.Active()) FinishPicture();
  Builder.EndFootnote();
  return read;
}

void TRtfReader::OutputByte(std::uint8_t byte) {
  const TRtfCharProps& props = State().Char;
  if (props.Hidden) return;
  if (State().Destination == TDestination::Mark)
    Builder.Marks().AddWrittenByte(byte, props, Fonts.CodecForFont(props.Font));
  else
    Builder.AddByte(byte, State());
}

void TRtfReader::OutputChar(char32_t c) {
  if (State().Char.Hidden) return;
  if (State().Destination == TDestination::Mark)
    Builder.Marks().AddWrittenCharacter(c, State().Char);
  else
    Builder.AddCharacter(c, State());
}

int TRtfReader::DefinitionLevel() {
  // A nested row's definition comes in its own destination, while its table is the innermost.
  if (!State().InNestedTableProps) return 1;
  return RtfClamp(std::max(State().Para.TableLevel(), Builder.TableDepth()), 2, RtfMaxTableDepth);
}

void TRtfReader::FinishDocument() {
  if (Pictures.Active()) {
    // The input ended inside the picture's group.
    Stack.resize(std::min(Stack.size(), Pictures.Depth() > 0 ? Pictures.Depth() - 1 : 0));
    if (Stack.empty()) Stack.emplace_back();
    FinishPicture();
  }
  Builder.Flush();
  if (Footnotes.HasAny() && !Footnotes.IsReplaying()) ReplayFootnotes();
  if (Stack.empty()) Stack.emplace_back();
  Builder.Finish(State(), DefaultTabTwips);
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
