#include "rtfdocumentbuilder.h"

#include "rtffonttable.h"
#include "rtfformats.h"
#include "rtflist.h"
#include "rtfrowdefinitions.h"

#include <QImage>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextImageFormat>
#include <QUrl>

TRtfDocumentBuilder::TRtfDocumentBuilder(QTextDocument& document, TRtfFontTable& fonts, const TRtfColorTable& colors,
                                         const TRtfRowDefinitions& rows, TRtfListNumbering& numbering)
    : Document(document), Cursor(&document), Tables(Cursor), Fonts(fonts), Colors(colors), Rows(rows),
      Numbering(numbering), ParagraphMarks(fonts) {}

void TRtfDocumentBuilder::Clear() {
  Document.clear();
  Cursor = QTextCursor(&Document);
}

QTextBlockFormat TRtfDocumentBuilder::BlockFormat(const TRtfParaProps& props) const {
  return RtfBlockFormat(props, Tables.Depth() == 0);
}

void TRtfDocumentBuilder::AddByte(std::uint8_t byte, const TRtfGroupState& state) {
  BeforeOutput(state);
  Pending.AddByte(byte, Fonts.CodecForFont(state.Char.Font));
}

void TRtfDocumentBuilder::AddCharacter(char32_t c, const TRtfGroupState& state) {
  BeforeOutput(state);
  Pending.AddUnicode(c);
}

void TRtfDocumentBuilder::AddWrittenMark(const TRtfRun& run, const TRtfGroupState& state) {
  BeforeOutput(state, false);  // the writer's mark is the paragraph's mark
  InsertRun(run);
}

void TRtfDocumentBuilder::AddImage(const QImage& image, QSizeF size, const TRtfGroupState& state) {
  BeforeOutput(state);
  Flush();
  const QString name = QStringLiteral("rtf-image-%1").arg(++ImageCount);
  Document.addResource(QTextDocument::ImageResource, QUrl(name), image);
  QTextImageFormat imageFormat;
  imageFormat.setName(name);
  imageFormat.setWidth(size.width());
  imageFormat.setHeight(size.height());
  Cursor.insertImage(imageFormat);
}

void TRtfDocumentBuilder::PlaceCursor(const TRtfGroupState& state) {
  const int level = state.Para.TableLevel();
  if (Tables.InPlace(level)) return;
  Flush();  // what is pending belongs where the cursor stands now
  CellBreakPending = false;
  Tables.Place(level, Rows.At(level));
}

void TRtfDocumentBuilder::BeforeOutput(const TRtfGroupState& state, bool startsParagraphMark) {
  PlaceCursor(state);
  if (CellBreakPending) {  // the cell's previous paragraph ended: this text starts the next
    CellBreakPending = false;
    Flush();
    Cursor.insertBlock();
  }
  TRtfRun mark;
  if (startsParagraphMark && !ParagraphMarks.Begun() && ParagraphMarks.Begin(state.Para, state.Char, Numbering, mark))
    InsertRun(mark);
  if (state.Char != PendingProps) {
    Flush();
    PendingProps = state.Char;
  }
}

void TRtfDocumentBuilder::InsertRun(const TRtfRun& run) {
  Flush();
  PendingProps = run.Props;
  for (const char32_t c : run.Text.toUcs4()) Pending.AddUnicode(c);
  Flush();
}

void TRtfDocumentBuilder::Flush() {
  const QString text = Pending.Take();
  if (!text.isEmpty()) Cursor.insertText(text, RtfCharFormat(PendingProps, Fonts, Colors));
}

void TRtfDocumentBuilder::ParagraphBreak(const TRtfGroupState& state) {
  PlaceCursor(state);
  MarkAtBreak(state);
  if (Tables.Depth() > 0) {
    // Inside a cell the paragraph keeps its format now, and the next one starts only when more of
    // the cell's text comes (writers end a cell's last paragraph with \par before \cell).
    if (CellBreakPending) Cursor.insertBlock();  // an empty paragraph of the cell
    Flush();
    Cursor.setBlockFormat(BlockFormat(state.Para));
    CellBreakPending = true;
    return;
  }
  Flush();
  Cursor.setBlockFormat(BlockFormat(state.Para));
  Cursor.insertBlock();
}

void TRtfDocumentBuilder::MarkAtBreak(const TRtfGroupState& state) {
  // A paragraph that ends before any text: its list moves on only where the writer marked it as
  // an item, and a mark is shown only then.
  if (!CellBreakPending && ParagraphMarks.EndsAnItem()) BeforeOutput(state);
  ParagraphMarks.NextParagraph();
}

void TRtfDocumentBuilder::EndCell(const TRtfGroupState& state) {
  const int tableLevel = state.Para.TableLevel();
  const int level = tableLevel > 0 ? tableLevel : std::max(1, Tables.Depth());
  if (!Tables.InPlace(level)) CellBreakPending = false;
  MarkAtBreak(state);
  Flush();
  const bool keepFormat = CellBreakPending;
  CellBreakPending = false;
  if (!Tables.EndCell(level, Rows.At(level), BlockFormat(state.Para), keepFormat) && !state.Char.Hidden)
    AddCharacter('\t', state);  // no more tables in this document: cells as tab-separated text
}

void TRtfDocumentBuilder::EndRow(const TRtfGroupState& state) {
  const int tableLevel = state.Para.TableLevel();
  const int level = tableLevel > 0 ? tableLevel : Tables.Depth();
  Flush();
  CellBreakPending = false;
  ParagraphMarks.NextParagraph();
  if (Tables.EndRow(level, Rows.At(RtfClamp(level, 1, RtfMaxTableDepth)), Colors.Colors())) return;
  if (Tables.Depth() == 0 && Tables.Exhausted()) {  // rows as paragraphs
    Cursor.setBlockFormat(BlockFormat(state.Para));
    Cursor.insertBlock();
  }
}

void TRtfDocumentBuilder::StartFootnote() {
  Flush();
  Tables.CloseAll();
  if (Cursor.block().length() > 1) Cursor.insertBlock(QTextBlockFormat(), QTextCharFormat());
  CellBreakPending = false;
  ParagraphMarks.NextParagraph();
}

void TRtfDocumentBuilder::EndFootnote() {
  Flush();
  Tables.CloseAll();
}

void TRtfDocumentBuilder::Finish(const TRtfGroupState& state, int defaultTabTwips) {
  if (Tables.Depth() > 0) {
    Tables.CloseAll();
  } else {
    Cursor.setBlockFormat(BlockFormat(state.Para));
  }
  // Paragraphs keep their lines (each is marked so); the text of a cell wraps within its cell, so
  // that the cells keep the widths the writer gave them.
  QTextOption option = Document.defaultTextOption();
  option.setTabStopDistance(defaultTabTwips / RtfTwipsPerPixel);
  option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
  Document.setDefaultTextOption(option);
  DropEmptyLastParagraph();
}

void TRtfDocumentBuilder::DropEmptyLastParagraph() {
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
