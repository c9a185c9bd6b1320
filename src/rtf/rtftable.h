// Builds the tables of an RTF document as QTextTables, through the reader's one cursor.
//
// RTF gives a row's cell boundaries (\cellx) and cell formats in a row definition that may come
// before or after the row's text, so the builder creates cells as their text arrives and applies
// the definition when the row ends. Rows of one table may differ in their number of cells; tables
// nest through the cells of outer tables (\itap).
#pragma once

#include <QColor>
#include <QTextBlockFormat>

#include <vector>

class QTextCursor;
class QTextTable;

// Tables nest at most this deep; deeper cells are written into the deepest table.
constexpr int RtfMaxTableDepth = 8;
// A row has at most this many cells; later cells of a row share its last one.
constexpr int RtfMaxTableColumns = 64;
// A document's tables hold at most this many cells together, and a document has at most this many
// tables (each new one costs a pass over the document); later rows become plain paragraphs.
constexpr long long RtfMaxTableCells = 20000;
constexpr int RtfMaxTables = 1000;

struct TRtfBorder {
  bool Present = false;
  int WidthTwips = 0;  // 0: a hairline
  int Color = -1;      // colour table index, -1 automatic
};

struct TRtfCellDef {
  int RightTwips = 0;  // \cellx: the cell's right edge, from the left margin
  Qt::Alignment VerticalAlign = Qt::AlignTop;
  int Shading = -1;  // \clcbpat: colour table index of the background
  TRtfBorder Borders[4];  // top, left, bottom, right
  int PadLeftTwips = -1;  // -1: the row's gap
  int PadRightTwips = -1;
  int PadTopTwips = 0;
  int PadBottomTwips = 0;
};

struct TRtfRowDef {
  int LeftTwips = 0;  // \trleft: the first cell's left edge
  int GapTwips = 0;   // \trgaph: half the space between cells, the cells' side padding
  std::vector<TRtfCellDef> Cells;
};

class TRtfTables {
 public:
  explicit TRtfTables(QTextCursor& cursor) : Cursor(cursor) {}

  // Open tables, outermost first; 0 when the cursor is in plain text.
  int Depth() const { return static_cast<int>(Open.size()); }
  // Whether no more cells may be made in this document.
  bool Exhausted() const { return CellCount >= RtfMaxTableCells || TableCount >= RtfMaxTables; }
  // Whether Place(level) would leave the cursor where it is.
  bool InPlace(int level) const;

  // Puts the cursor where the text of a paragraph at table level `level` goes: closes deeper
  // tables, opens tables down to that level, starts a row or moves on to the next cell as needed.
  // Level 0 closes every table.
  void Place(int level, const TRtfRowDef& definition);
  // Ends the current cell of the table at `level`, giving its last paragraph blockFormat unless
  // keepBlockFormat (the paragraph had its format when it ended). Answers false when no table can
  // take the cell (the document's cells are used up).
  bool EndCell(int level, const TRtfRowDef& definition, const QTextBlockFormat& blockFormat, bool keepBlockFormat);
  // Ends the current row of the table at `level`, giving its cells their widths and formats.
  // Answers false when no table is open.
  bool EndRow(int level, const TRtfRowDef& definition, const std::vector<QColor>& colors);
  void CloseAll() { Place(0, TRtfRowDef()); }

 private:
  struct TOpenTable {
    QTextTable* Table = nullptr;
    int Row = 0;
    int Column = 0;     // the cell the next text goes to
    bool RowOpen = false;  // the cursor is in a cell of Row
    bool Used = false;  // the table's first row has been started
    bool CursorInCell = false;  // the cursor stands in cell (Row, Column)
    int Merges = 0;
    std::vector<double> Widths;  // each column's width in pixels, 0 where unknown
  };

  void OpenTable(const TRtfRowDef& definition);
  // Gives the table's columns the widest widths its rows have defined, and its first row's indent.
  void SetColumnWidths(TOpenTable& open, const TRtfRowDef& definition);
  void CloseInnermost();
  // Answers false when the table had to be closed instead (no more cells).
  bool MoveToCell(TOpenTable& open);

  QTextCursor& Cursor;
  std::vector<TOpenTable> Open;
  long long CellCount = 0;
  int TableCount = 0;
};
