// Builds the QTextDocument that an RTF document reads into, through one cursor: runs of text in
// their character formats, paragraphs in their formats, list marks before a paragraph's text,
// table cells and rows, and images. The reader hands it what it read with the group state it was
// read in.
#pragma once

#include "rtfgroupstate.h"
#include "rtfmarks.h"
#include "rtftable.h"
#include "rtftextbuffer.h"

#include <QSizeF>
#include <QTextCursor>

#include <cstdint>

class QImage;
class QTextDocument;
class TRtfColorTable;
class TRtfFontTable;
class TRtfListNumbering;
class TRtfRowDefinitions;

class TRtfDocumentBuilder {
 public:
  TRtfDocumentBuilder(QTextDocument& document, TRtfFontTable& fonts, const TRtfColorTable& colors,
                      const TRtfRowDefinitions& rows, TRtfListNumbering& numbering);

  // Empties the document.
  void Clear();
  TRtfParagraphMarks& Marks() { return ParagraphMarks; }
  int TableDepth() const { return Tables.Depth(); }

  // Text: a byte in the code page of the state's font, or a character.
  void AddByte(std::uint8_t byte, const TRtfGroupState& state);
  void AddCharacter(char32_t c, const TRtfGroupState& state);
  // A writer's own list mark, where the paragraph's text starts.
  void AddWrittenMark(const TRtfRun& run, const TRtfGroupState& state);
  // An image where text would go, shown at size (pixels).
  void AddImage(const QImage& image, QSizeF size, const TRtfGroupState& state);

  void ParagraphBreak(const TRtfGroupState& state);
  void EndCell(const TRtfGroupState& state);
  void EndRow(const TRtfGroupState& state);

  // Inserts what is pending.
  void Flush();
  // A footnote is read again after the text: it starts a paragraph of its own, outside tables;
  // and when it is read, its tables are closed.
  void StartFootnote();
  void EndFootnote();
  // The document is read: tables are closed, the last paragraph takes the state's format, and
  // the document's tab stops are defaultTabTwips apart.
  void Finish(const TRtfGroupState& state, int defaultTabTwips);

 private:
  void BeforeOutput(const TRtfGroupState& state, bool startsParagraphMark = true);
  void PlaceCursor(const TRtfGroupState& state);
  void InsertRun(const TRtfRun& run);
  void MarkAtBreak(const TRtfGroupState& state);
  void DropEmptyLastParagraph();
  QTextBlockFormat BlockFormat(const TRtfParaProps& props) const;

  QTextDocument& Document;
  QTextCursor Cursor;
  TRtfTables Tables;
  TRtfFontTable& Fonts;
  const TRtfColorTable& Colors;
  const TRtfRowDefinitions& Rows;
  TRtfListNumbering& Numbering;
  TRtfParagraphMarks ParagraphMarks;
  // Text not yet inserted, and the character properties it was written with.
  TRtfTextBuffer Pending;
  TRtfCharProps PendingProps;
  // A paragraph ended inside a cell: the next one starts only if more text of the cell follows.
  bool CellBreakPending = false;
  int ImageCount = 0;
};
