#include "rtfmarks.h"

#include "rtffonttable.h"
#include "rtflist.h"

void TRtfParagraphMarks::StartWritten() {
  WrittenText.Clear();
  HasWrittenProps = false;
}

void TRtfParagraphMarks::NoteWrittenProps(const TRtfCharProps& props) {
  if (!HasWrittenProps) WrittenProps = props;
  HasWrittenProps = true;
}

void TRtfParagraphMarks::AddWrittenByte(std::uint8_t byte, const TRtfCharProps& props, QTextCodec* codec) {
  NoteWrittenProps(props);
  WrittenText.AddByte(byte, codec);
}

void TRtfParagraphMarks::AddWrittenCharacter(char32_t c, const TRtfCharProps& props) {
  NoteWrittenProps(props);
  WrittenText.AddUnicode(c);
}

bool TRtfParagraphMarks::EndWritten(const TRtfCharProps& textProps, TRtfRun& run) {
  const QString text = WrittenText.Take();
  bool blank = true;
  for (const QChar c : text)
    if (c != QLatin1Char(' ') && c != QLatin1Char('\t') && c != QChar(0x00A0)) blank = false;
  if (blank) {
    Current.HasBlank = true;
    Current.Blank = text;
    Current.BlankProps = HasWrittenProps ? WrittenProps : textProps;
    return false;
  }
  // A bullet in a symbol font is shown as the character it stands for, in the text's font.
  run.Text = text;
  run.Props = WrittenProps;
  const TRtfSymbolFont symbol = Fonts.SymbolFont(run.Props.Font);
  if (symbol != TRtfSymbolFont::None) {
    for (QChar& c : run.Text)
      if (c != QLatin1Char('\t') && c != QLatin1Char(' ')) c = RtfMarkCharacter(c, symbol);
    run.Props.Font = textProps.Font;
  }
  Current.Shown = true;
  return true;
}

bool TRtfParagraphMarks::Begin(const TRtfParaProps& para, const TRtfCharProps& textProps,
                               TRtfListNumbering& numbering, TRtfRun& run) {
  Current.Started = true;
  QString mark;
  bool listed = para.ListOverride > 0 && numbering.NextMark(para.ListOverride, para.ListLevel, mark);
  if (!listed && para.Old.Kind != TRtfOldNumbering::None) {
    mark = numbering.NextOldMark(para.Old);
    listed = true;
  }
  if (!listed) numbering.EndOldRun();
  if (Current.Shown) return false;  // the writer's own mark is there
  Current.Shown = true;
  if (!mark.isEmpty()) {
    run.Text = mark;
    run.Props = textProps;  // the text's font and colour, without its lines
    run.Props.Underline = run.Props.Strike = false;
    run.Props.Script = 0;
    return true;
  }
  if (!Current.HasBlank) return false;
  run.Text = Current.Blank;
  run.Props = Current.BlankProps;
  return true;
}
