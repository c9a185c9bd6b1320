#include "rtftable.h"

#include "rtfgroupstate.h"

#include <QTextCursor>
#include <QTextLength>
#include <QTextTable>
#include <QTextTableCellFormat>
#include <QTextTableFormat>

#include <algorithm>

namespace {
constexpr int MaxMergesPerTable = 256;

double Pixels(int twips) { return RtfClamp(twips, -RtfMaxIndentTwips, RtfMaxIndentTwips) / RtfTwipsPerPixel; }

QTextCharFormat::VerticalAlignment CellAlignment(Qt::Alignment align) {
  if (align & Qt::AlignVCenter) return QTextCharFormat::AlignMiddle;
  if (align & Qt::AlignBottom) return QTextCharFormat::AlignBottom;
  return QTextCharFormat::AlignTop;
}

QBrush BorderBrush(const TRtfBorder& border, const std::vector<QColor>& colors) {
  if (border.Color >= 0 && static_cast<std::size_t>(border.Color) < colors.size() && colors[border.Color].isValid())
    return colors[border.Color];
  return QColor(Qt::black);
}

// A cell's format from its definition: alignment, shading, padding (the row's gap where the cell
// gives none) and borders.
QTextTableCellFormat CellFormat(QTextTableCellFormat format, const TRtfCellDef& def, int gapTwips,
                                const std::vector<QColor>& colors) {
  format.setVerticalAlignment(CellAlignment(def.VerticalAlign));
  if (def.Shading >= 0 && static_cast<std::size_t>(def.Shading) < colors.size() && colors[def.Shading].isValid())
    format.setBackground(colors[def.Shading]);
  format.setLeftPadding(std::max(0.0, Pixels(def.PadLeftTwips >= 0 ? def.PadLeftTwips : gapTwips)));
  format.setRightPadding(std::max(0.0, Pixels(def.PadRightTwips >= 0 ? def.PadRightTwips : gapTwips)));
  format.setTopPadding(std::max(0.0, Pixels(def.PadTopTwips)));
  format.setBottomPadding(std::max(0.0, Pixels(def.PadBottomTwips)));
  const TRtfBorder& top = def.Borders[0];
  const TRtfBorder& leftBorder = def.Borders[1];
  const TRtfBorder& bottom = def.Borders[2];
  const TRtfBorder& right = def.Borders[3];
  const auto width_of = [](const TRtfBorder& b) { return b.Present ? std::max(1.0, Pixels(b.WidthTwips)) : 0.0; };
  format.setTopBorder(width_of(top));
  format.setLeftBorder(width_of(leftBorder));
  format.setBottomBorder(width_of(bottom));
  format.setRightBorder(width_of(right));
  format.setTopBorderBrush(BorderBrush(top, colors));
  format.setLeftBorderBrush(BorderBrush(leftBorder, colors));
  format.setBottomBorderBrush(BorderBrush(bottom, colors));
  format.setRightBorderBrush(BorderBrush(right, colors));
  for (const auto side : {&QTextTableCellFormat::setTopBorderStyle, &QTextTableCellFormat::setLeftBorderStyle,
                          &QTextTableCellFormat::setBottomBorderStyle, &QTextTableCellFormat::setRightBorderStyle})
    (format.*side)(QTextFrameFormat::BorderStyle_Solid);
  return format;
}
}  // namespace

bool TRtfTables::InPlace(int level) const {
  level = std::max(0, std::min(level, RtfMaxTableDepth));
  if (Depth() > level) return false;
  if (Depth() < level && !Exhausted()) return false;
  return Depth() == 0 || (Open.back().RowOpen && Open.back().CursorInCell);
}

void TRtfTables::Place(int level, const TRtfRowDef& definition) {
  level = std::max(0, std::min(level, RtfMaxTableDepth));
  while (Depth() > level) CloseInnermost();
  while (Depth() < level) {
    if (Exhausted()) break;
    if (Depth() > 0 && !MoveToCell(Open.back())) break;
    OpenTable(definition);
  }
  if (Depth() > 0) MoveToCell(Open.back());
}

bool TRtfTables::EndCell(int level, const TRtfRowDef& definition, const QTextBlockFormat& blockFormat,
                         bool keepBlockFormat) {
  if (level > 0 && Depth() == level) {
    // An empty cell beyond the row's definition is one a writer added too many: not a cell.
    const TOpenTable& open = Open.back();
    if (open.RowOpen && !open.CursorInCell && !definition.Cells.empty() &&
        open.Column >= static_cast<int>(definition.Cells.size()))
      return true;
  }
  Place(level, definition);
  if (Depth() == 0) return false;
  TOpenTable& open = Open.back();
  if (!keepBlockFormat) Cursor.setBlockFormat(blockFormat);
  if (open.Column < RtfMaxTableColumns - 1) ++open.Column;  // the last column takes what is left
  open.CursorInCell = false;
  return true;
}

bool TRtfTables::EndRow(int level, const TRtfRowDef& definition, const std::vector<QColor>& colors) {
  level = std::min(std::max(level, 1), Depth());
  if (level == 0) return false;
  while (Depth() > level) CloseInnermost();
  TOpenTable& open = Open.back();
  if (!open.RowOpen && !MoveToCell(open)) return false;  // a row with no cells at all: one empty cell
  QTextTable* table = open.Table;
  const int columns = table->columns();
  // A row whose last cell held text but never ended it still owns that cell.
  const int used = std::max(1, std::min(columns, open.CursorInCell ? open.Column + 1 : open.Column));

  const int defined = std::min(columns, static_cast<int>(definition.Cells.size()));
  for (int i = 0; i < defined; ++i) {
    const TRtfCellDef& def = definition.Cells[static_cast<std::size_t>(i)];
    const int left = i == 0 ? definition.LeftTwips : definition.Cells[static_cast<std::size_t>(i) - 1].RightTwips;
    const double width = Pixels(def.RightTwips) - Pixels(left);
    if (width > 0) open.Widths[static_cast<std::size_t>(i)] = std::max(open.Widths[static_cast<std::size_t>(i)], width);

    QTextTableCell cell = table->cellAt(open.Row, i);
    if (!cell.isValid()) continue;
    cell.setFormat(CellFormat(cell.format().toTableCellFormat(), def, definition.GapTwips, colors));
  }

  // A row with fewer cells than the table: its last cell spans the rest. (Each merge costs a pass
  // over the table's cells, so a table has a limited number of them.)
  if (used < columns && open.Merges < MaxMergesPerTable) {
    table->mergeCells(open.Row, used - 1, 1, columns - used + 1);
    ++open.Merges;
  }

  SetColumnWidths(open, definition);
  open.RowOpen = false;
  open.CursorInCell = false;
  open.Column = 0;
  return true;
}

void TRtfTables::SetColumnWidths(TOpenTable& open, const TRtfRowDef& definition) {
  QTextTableFormat format = open.Table->format();
  QVector<QTextLength> constraints;
  for (const double width : open.Widths)
    constraints.append(width > 0 ? QTextLength(QTextLength::FixedLength, width) : QTextLength());
  const double leftMargin = open.Row == 0 ? std::max(0.0, Pixels(definition.LeftTwips)) : format.leftMargin();
  if (constraints != format.columnWidthConstraints() || leftMargin != format.leftMargin()) {
    format.setColumnWidthConstraints(constraints);
    format.setLeftMargin(leftMargin);
    open.Table->setFormat(format);
  }
}

void TRtfTables::OpenTable(const TRtfRowDef& definition) {
  const int columns = std::max(1, std::min(RtfMaxTableColumns, static_cast<int>(definition.Cells.size())));
  QTextTableFormat format;
  format.setBorder(0);
  format.setBorderCollapse(true);  // each cell draws its own borders
  format.setCellSpacing(0);
  format.setCellPadding(0);
  format.setMargin(0);
  format.setAlignment(Qt::AlignLeft);
  TOpenTable open;
  open.Table = Cursor.insertTable(1, columns, format);
  open.Widths.assign(static_cast<std::size_t>(columns), 0.0);
  CellCount += columns;
  ++TableCount;
  Open.push_back(open);
}

void TRtfTables::CloseInnermost() {
  QTextTable* table = Open.back().Table;
  const int used = Open.back().Row + 1;
  Open.pop_back();
  if (table->rows() > used) table->removeRows(used, table->rows() - used);
  Cursor.setPosition(table->lastPosition() + 1);  // the paragraph after the table
}

bool TRtfTables::MoveToCell(TOpenTable& open) {
  QTextTable* table = open.Table;
  if (!open.RowOpen) {
    if (open.Used) {
      if (CellCount >= RtfMaxTableCells) {
        // No more cells in this document: what follows is written after the table.
        while (!Open.empty() && Open.back().Table != table) CloseInnermost();
        CloseInnermost();
        return false;
      }
      // Rows are added in growing batches and the spare ones removed when the table closes:
      // every row added on its own would cost a pass over the whole document.
      if (open.Row + 1 >= table->rows()) table->appendRows(std::max(1, std::min(table->rows(), 256)));
      ++open.Row;
      CellCount += table->columns();
    }
    open.Used = true;
    open.RowOpen = true;
    open.Column = 0;
    open.CursorInCell = false;
  }
  if (!open.CursorInCell) {
    if (open.Column >= table->columns()) {
      if (table->columns() < RtfMaxTableColumns && CellCount < RtfMaxTableCells) {
        table->appendColumns(1);
        open.Widths.push_back(0.0);
        CellCount += table->rows();
      }
      open.Column = std::min(open.Column, table->columns() - 1);
    }
    Cursor = table->cellAt(open.Row, open.Column).lastCursorPosition();
    open.CursorInCell = true;
  }
  return true;
}
