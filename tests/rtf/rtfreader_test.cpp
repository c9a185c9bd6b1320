// The RTF reader on files made by real writers (LibreOffice, pandoc, a RichEdit-style file written
// by hand; see fixtures/make-fixtures.sh), and on broken input.
#include "rtf/rtfreader.h"
#include "rtf/rtftable.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QAbstractTextDocumentLayout>
#include <QTextBlock>
#include <QTextDocumentFragment>
#include <QTextDocument>
#include <QTextFragment>
#include <QTextImageFormat>
#include <QTextLayout>
#include <QTextTable>
#include <QUrl>

#include <vector>

// Readable failure messages.
void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }
void PrintTo(const QStringList& texts, std::ostream* out) {
  *out << '[' << texts.join(QStringLiteral("|")).toStdString() << ']';
}

namespace {

QByteArray ReadFixture(const QString& name) {
  QFile file(QStringLiteral(RTF_FIXTURES_DIR "/") + name);
  if (!file.open(QIODevice::ReadOnly)) {
    ADD_FAILURE() << "cannot open fixture " << name.toStdString();
    return QByteArray();
  }
  return file.readAll();
}

QString Text(const QByteArray& rtf) {
  QTextDocument document;
  EXPECT_TRUE(ReadRtf(rtf, document));
  return document.toPlainText();
}

// unrtf prints the ANSI stand-in that writers put after each \uN for readers without Unicode
// (pandoc writes '?', LibreOffice the code page 1252 byte), and it prints images as nothing (their
// comment lines were trimmed). So before comparing, on our side: images are dropped, typographic
// quotes and dashes become their ASCII stand-ins, soft hyphens go and no-break spaces are spaces.
// On both sides every run of blanks, tabs and line ends is one space (unrtf lays out tables and
// breaks with its own blank lines and tabs). Left over, a '?' in unrtf's text stands for any one
// character of ours.
QString Normalised(QString text) {
  text.remove(QChar::ObjectReplacementCharacter);
  text.remove(QChar(0x00AD));
  text.replace(QChar(0x2018), QLatin1Char('\'')).replace(QChar(0x2019), QLatin1Char('\''));
  text.replace(QChar(0x201C), QLatin1Char('"')).replace(QChar(0x201D), QLatin1Char('"'));
  text.replace(QChar(0x2013), QLatin1Char('-')).replace(QChar(0x2014), QLatin1Char('-'));
  return text.simplified();  // also turns U+00A0, U+2028 and U+2029 into single spaces
}

QString ResolveStandIns(const QString& theirs, const QString& ours) {
  QString resolved = theirs;
  for (int i = 0; i < resolved.size() && i < ours.size(); ++i)
    if (resolved[i] == QLatin1Char('?')) resolved[i] = ours[i];
  return resolved;
}

// The fragment that holds text, with its format.
QTextFragment FindFragment(const QTextDocument& document, const QString& text) {
  for (QTextBlock block = document.begin(); block.isValid(); block = block.next())
    for (auto it = block.begin(); !it.atEnd(); ++it)
      if (it.fragment().text().contains(text)) return it.fragment();
  ADD_FAILURE() << "no fragment holds " << text.toStdString();
  return QTextFragment();
}

QTextBlock FindBlock(const QTextDocument& document, const QString& text) {
  for (QTextBlock block = document.begin(); block.isValid(); block = block.next())
    if (block.text().contains(text)) return block;
  ADD_FAILURE() << "no paragraph holds " << text.toStdString();
  return QTextBlock();
}

std::vector<QTextImageFormat> Images(const QTextDocument& document) {
  std::vector<QTextImageFormat> images;
  for (QTextBlock block = document.begin(); block.isValid(); block = block.next())
    for (auto it = block.begin(); !it.atEnd(); ++it)
      if (it.fragment().charFormat().isImageFormat()) images.push_back(it.fragment().charFormat().toImageFormat());
  return images;
}

// The document's tables in reading order, nested ones after the table that holds them.
std::vector<QTextTable*> Tables(const QTextDocument& document) {
  std::vector<QTextTable*> tables;
  std::vector<QTextFrame*> frames{document.rootFrame()};
  while (!frames.empty()) {
    QTextFrame* frame = frames.front();
    frames.erase(frames.begin());
    if (auto* table = qobject_cast<QTextTable*>(frame)) tables.push_back(table);
    const QList<QTextFrame*> children = frame->childFrames();
    frames.insert(frames.begin(), children.begin(), children.end());
  }
  return tables;
}

// A cell's text, its paragraphs joined by '\n'.
QString CellText(QTextTable* table, int row, int column) {
  const QTextTableCell cell = table->cellAt(row, column);
  if (!cell.isValid()) return QStringLiteral("<no cell>");
  QTextCursor cursor = cell.firstCursorPosition();
  cursor.setPosition(cell.lastCursorPosition().position(), QTextCursor::KeepAnchor);
  return cursor.selection().toPlainText();
}

QStringList RowTexts(QTextTable* table, int row) {
  QStringList texts;
  for (int column = 0; column < table->columns(); ++column) texts << CellText(table, row, column);
  return texts;
}

// The fixture picture is 48 x 32, red on the left half and blue on the right.
void ExpectFixturePicture(const QTextDocument& document, const QTextImageFormat& format) {
  const QImage image = document.resource(QTextDocument::ImageResource, QUrl(format.name())).value<QImage>();
  ASSERT_FALSE(image.isNull());
  EXPECT_EQ(image.size(), QSize(48, 32));
  const QColor left = image.pixelColor(5, 16);
  const QColor right = image.pixelColor(42, 16);
  EXPECT_GT(left.red(), 200);
  EXPECT_LT(left.blue(), 60);
  EXPECT_GT(right.blue(), 200);
  EXPECT_LT(right.red(), 60);
}

class RtfFixture : public ::testing::TestWithParam<const char*> {};

TEST_P(RtfFixture, PlainTextMatchesUnrtf) {
  const QString name = QString::fromLatin1(GetParam());
  QTextDocument document;
  ASSERT_TRUE(ReadRtf(ReadFixture(name + QStringLiteral(".rtf")), document));
  const QString ours = Normalised(document.toPlainText());
  const QString theirs = QString::fromUtf8(ReadFixture(name + QStringLiteral(".txt"))).simplified();
  ASSERT_FALSE(theirs.isEmpty());
  EXPECT_EQ(ours, ResolveStandIns(theirs, ours));
}

INSTANTIATE_TEST_SUITE_P(Writers, RtfFixture, ::testing::Values("nota", "scheda", "wordpad"));

// The words of a text in order: runs of letters and digits. Super- and subscript digits count as
// digits (pandoc's plain text writes "m²" where the document has a raised 2).
QStringList Words(QString text) {
  static const QString raised = QString::fromUtf8("⁰¹²³⁴⁵⁶⁷⁸⁹");
  static const QString lowered = QString::fromUtf8("₀₁₂₃₄₅₆₇₈₉");
  for (int i = 0; i < 10; ++i) {
    text.replace(raised[i], QChar('0' + i));
    text.replace(lowered[i], QChar('0' + i));
  }
  QStringList words;
  QString word;
  for (const QChar c : text) {
    if (c.isLetterOrNumber()) {
      word += c;
    } else if (!word.isEmpty()) {
      words << word;
      word.clear();
    }
  }
  if (!word.isEmpty()) words << word;
  return words;
}

// Documents with tables, lists, footnotes, links and pictures, written by LibreOffice, AbiWord and
// pandoc (fixtures/make-fixtures.sh), against the writer's own plain-text export. Where the exports
// differ from what a reader of the note sees, the test says so: the info window shows a footnote's
// mark where it stands and its text at the end of the note, while LibreOffice's export leaves the
// text out, AbiWord's puts it after its paragraph without the mark, and pandoc's puts "[1] text" at
// the end; pandoc's export also writes a picture's description in its place. AbiWord's export
// leaves out the numbers of a numbered list, which its RTF leaves to the reader (the window shows
// them).
struct TWriterExport {
  const char* Name;
  bool HasFootnote = false;
  bool ExportDropsMark = false;
  const char* PictureDescription = nullptr;
  bool ExportDropsNumbers = false;
};

class RtfWriterExport : public ::testing::TestWithParam<TWriterExport> {};

TEST_P(RtfWriterExport, TextInReadingOrderMatchesTheWritersExport) {
  const TWriterExport& writer = GetParam();
  const QString name = QString::fromLatin1(writer.Name);
  QTextDocument document;
  ASSERT_TRUE(ReadRtf(ReadFixture(name + QStringLiteral(".rtf")), document));
  const QStringList ours = Words(document.toPlainText());
  QStringList theirs = Words(QString::fromUtf8(ReadFixture(name + QStringLiteral(".export.txt"))));
  ASSERT_FALSE(theirs.isEmpty());
  if (writer.PictureDescription != nullptr) theirs.removeOne(QString::fromLatin1(writer.PictureDescription));
  if (writer.HasFootnote) {
    const QStringList footnote = {"Misura", "del", "2019"};
    const int at = theirs.indexOf(footnote[0]);
    if (at >= 0) theirs.erase(theirs.begin() + at, theirs.begin() + at + footnote.size());
    if (writer.ExportDropsMark) theirs.insert(theirs.indexOf(QStringLiteral("m2")) + 1, QStringLiteral("1"));
    if (theirs.last() == QStringLiteral("1")) theirs.removeLast();
    theirs << QStringLiteral("1") << footnote;
  }
  if (writer.ExportDropsNumbers) {
    theirs.insert(theirs.indexOf(QStringLiteral("Entrare")), QStringLiteral("1"));
    theirs.insert(theirs.indexOf(QStringLiteral("Seguire")), QStringLiteral("2"));
  }
  EXPECT_EQ(ours, theirs) << "ours: " << document.toPlainText().toStdString();
}

INSTANTIATE_TEST_SUITE_P(Writers, RtfWriterExport,
                         ::testing::Values(TWriterExport{"sala-libreoffice", true, false, nullptr},
                                           TWriterExport{"sala-abiword", true, true, nullptr, true},
                                           TWriterExport{"sala-pandoc", true, false, "Pianta"},
                                           TWriterExport{"vetrina-libreoffice"}));

// Where each cell of a table's first row starts, in pixels from the first cell's left edge, once
// the document is laid out in the info window's width.
std::vector<double> CellLefts(QTextDocument& document, QTextTable* table) {
  document.setTextWidth(320);
  QAbstractTextDocumentLayout* layout = document.documentLayout();
  std::vector<double> lefts;
  for (int column = 0; column < table->columns(); ++column) {
    const QTextTableCell cell = table->cellAt(0, column);
    const double text = layout->blockBoundingRect(cell.firstCursorPosition().block()).x();
    const QTextTableCellFormat format = cell.format().toTableCellFormat();
    lefts.push_back(text - format.leftPadding() - format.leftBorder());
  }
  for (std::size_t i = lefts.size(); i-- > 0;) lefts[i] -= lefts[0];
  return lefts;
}

TEST(RtfWriters, TableCellsSitAtTheirCellBoundaries) {
  // Each writer's first table: where \cellx puts the cells' left edges (twips from the first one),
  // and the header row's own alignments (centred, left, right in the source).
  const struct {
    const char* Name;
    std::vector<int> LeftTwips;
  } writers[] = {{"sala-libreoffice", {0, 2640, 5280}},
                 {"sala-abiword", {0, 2675, 5315}},
                 {"sala-pandoc", {0, 2880, 5760}},
                 {"vetrina-libreoffice", {0, 1775, 3742}}};
  for (const auto& writer : writers) {
    SCOPED_TRACE(writer.Name);
    QTextDocument document;
    ASSERT_TRUE(ReadRtf(ReadFixture(QString::fromLatin1(writer.Name) + QStringLiteral(".rtf")), document));
    const std::vector<QTextTable*> tables = Tables(document);
    ASSERT_FALSE(tables.empty());
    ASSERT_EQ(tables[0]->columns(), 3);
    const std::vector<double> lefts = CellLefts(document, tables[0]);
    for (std::size_t i = 0; i < lefts.size(); ++i) EXPECT_NEAR(lefts[i], writer.LeftTwips[i] / 15.0, 2.0) << i;  // (borders are drawn on the edge)
    if (!QByteArray(writer.Name).startsWith("sala")) continue;
    const Qt::Alignment aligns[] = {Qt::AlignHCenter, Qt::AlignLeft, Qt::AlignRight};
    for (int column = 0; column < 3; ++column)
      EXPECT_EQ(tables[0]->cellAt(0, column).firstCursorPosition().block().blockFormat().alignment() &
                    Qt::AlignHorizontal_Mask,
                aligns[column]) << column;
  }
}

TEST(RtfLibreOffice, NestedTablesAndCellFormats) {
  QTextDocument document;
  ASSERT_TRUE(ReadRtf(ReadFixture(QStringLiteral("vetrina-libreoffice.rtf")), document));
  const std::vector<QTextTable*> tables = Tables(document);
  ASSERT_EQ(tables.size(), 2u);
  EXPECT_EQ(tables[0]->rows(), 2);
  EXPECT_EQ(RowTexts(tables[0], 1), QStringList({"Fiorino d'oro", "Firenze", "3,5 g"}));
  EXPECT_EQ(tables[1]->parentFrame(), tables[0]);
  EXPECT_EQ(tables[1]->rows(), 2);
  EXPECT_EQ(RowTexts(tables[1], 1), QStringList({"Venezia", "1284"}));
  const QTextTableCellFormat coin = tables[0]->cellAt(0, 0).format().toTableCellFormat();
  EXPECT_EQ(coin.background().color(), QColor(255, 255, 0));
  EXPECT_EQ(coin.verticalAlignment(), QTextCharFormat::AlignMiddle);
  EXPECT_EQ(tables[0]->cellAt(0, 2).format().toTableCellFormat().verticalAlignment(), QTextCharFormat::AlignBottom);
  EXPECT_GT(coin.topBorder(), 0.0);
  // The nested table sits inside its cell: its cells start at or right of the outer cell's text.
  QAbstractTextDocumentLayout* layout = document.documentLayout();
  const double outer = layout->blockBoundingRect(tables[0]->cellAt(0, 1).firstCursorPosition().block()).x();
  const double inner = layout->blockBoundingRect(tables[1]->cellAt(0, 0).firstCursorPosition().block()).x();
  EXPECT_GE(inner, outer - 1);
}

// Where the text after the first tab of a paragraph starts, in pixels from the document's left.
double TextAfterTab(QTextDocument& document, const QTextBlock& block) {
  document.setTextWidth(320);
  (void)document.documentLayout()->documentSize();
  const int tab = block.text().indexOf(QLatin1Char('\t'));
  EXPECT_GE(tab, 0);
  const QTextLine line = block.layout()->lineForTextPosition(tab + 1);
  return block.layout()->position().x() + line.cursorToX(tab + 1) - document.documentMargin();
}

QString WithoutLeadingSpaces(QString text) {
  while (text.startsWith(QLatin1Char(' '))) text.remove(0, 1);
  return text;
}

TEST(RtfWriters, ListsAndTabStops) {
  // The writers' bullets and numbers come before a tab; the item's text starts at the paragraph's
  // indent (a hanging first line), not at the next default tab stop.
  const struct {
    const char* Name;
    double IndentPixels;
    const char* Bullet;
    const char* Number;
  } writers[] = {{"sala-libreoffice", 48.0, "\u2022", "1."}, {"sala-abiword", 48.0, "\u2022", "1."},
                 {"sala-pandoc", 24.0, "\u2022", "1."}};
  for (const auto& writer : writers) {
    SCOPED_TRACE(writer.Name);
    QTextDocument document;
    ASSERT_TRUE(ReadRtf(ReadFixture(QString::fromLatin1(writer.Name) + QStringLiteral(".rtf")), document));
    const QTextBlock bullet = FindBlock(document, QStringLiteral("Il pozzo medievale"));
    EXPECT_EQ(WithoutLeadingSpaces(bullet.text()), QString::fromUtf8(writer.Bullet) + QStringLiteral("\tIl pozzo medievale"));
    EXPECT_NEAR(TextAfterTab(document, bullet), writer.IndentPixels, 1.0);
    const QTextBlock number = FindBlock(document, QStringLiteral("Entrare dalla porta nord"));
    EXPECT_EQ(WithoutLeadingSpaces(number.text()), QString::fromUtf8(writer.Number) + QStringLiteral("\tEntrare dalla porta nord"));
    EXPECT_EQ(WithoutLeadingSpaces(FindBlock(document, QStringLiteral("Seguire")).text()),
              QStringLiteral("2.\tSeguire il percorso blu"));
    EXPECT_NEAR(TextAfterTab(document, number), writer.IndentPixels, 1.0);
  }

  // Explicit stops: left, right, centred and decimal, counted from the left margin whatever the
  // paragraph's indent; \deftab sets the distance of the default stops.
  QTextDocument document;
  ASSERT_TRUE(ReadRtf("{\\rtf1\\deftab360\\pard\\li720\\tx1440\\tqr\\tx4320\\tqc\\tx2880\\tqdec\\tx3600 a\\tab b\\par"
                      "\\pard x\\tab y\\par}",
                      document));
  const QList<QTextOption::Tab> tabs = document.firstBlock().blockFormat().tabPositions();
  ASSERT_EQ(tabs.size(), 4);
  EXPECT_DOUBLE_EQ(tabs[0].position, 96.0 - 48.0);  // (from the line's start, at the indent)
  EXPECT_EQ(tabs[0].type, QTextOption::LeftTab);
  EXPECT_EQ(tabs[1].type, QTextOption::CenterTab);
  EXPECT_EQ(tabs[2].type, QTextOption::DelimiterTab);
  EXPECT_EQ(tabs[3].type, QTextOption::RightTab);
  EXPECT_DOUBLE_EQ(tabs[3].position, 288.0 - 48.0);
  EXPECT_NEAR(TextAfterTab(document, document.firstBlock()), 96.0, 1.0);
  EXPECT_DOUBLE_EQ(document.defaultTextOption().tabStopDistance(), 24.0);
  EXPECT_NEAR(TextAfterTab(document, document.lastBlock()), 24.0, 1.0);
}

TEST(RtfLibreOffice, FormatsLandWhereTheyShould) {
  QTextDocument document;
  ASSERT_TRUE(ReadRtf(ReadFixture(QStringLiteral("nota.rtf")), document));

  const QTextBlock title = FindBlock(document, QStringLiteral("La Primavera"));
  EXPECT_EQ(title.blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
  EXPECT_EQ(FindFragment(document, QStringLiteral("La Primavera")).charFormat().fontWeight(), QFont::Bold);
  EXPECT_EQ(FindBlock(document, QStringLiteral("Uffizi")).blockFormat().alignment() & Qt::AlignHorizontal_Mask,
            Qt::AlignRight);
  EXPECT_EQ(FindBlock(document, QStringLiteral("Sandro")).blockFormat().alignment() & Qt::AlignHorizontal_Mask,
            Qt::AlignLeft);

  const QTextCharFormat plain = FindFragment(document, QStringLiteral("Sandro Botticelli")).charFormat();
  EXPECT_EQ(plain.fontWeight(), QFont::Normal);
  EXPECT_FALSE(plain.fontItalic());
  EXPECT_EQ(plain.fontFamily(), QStringLiteral("DejaVu Serif"));  // \deff3
  EXPECT_DOUBLE_EQ(plain.fontPointSize(), 12.0);
  EXPECT_TRUE(FindFragment(document, QStringLiteral("tempera su tavola")).charFormat().fontItalic());
  EXPECT_TRUE(FindFragment(document, QString::fromUtf8("203 × 314 cm")).charFormat().fontUnderline());
  EXPECT_TRUE(FindFragment(document, QStringLiteral("Testo barrato")).charFormat().fontStrikeOut());
  EXPECT_EQ(FindFragment(document, QStringLiteral("rosso")).charFormat().foreground().color(), QColor(255, 0, 0));
  EXPECT_EQ(FindFragment(document, QStringLiteral("blu")).charFormat().foreground().color(), QColor(0, 0, 255));

  EXPECT_TRUE(document.toPlainText().contains(QString::fromUtf8("È una delle più celebri della città")));
  EXPECT_TRUE(document.toPlainText().contains(QString::fromUtf8("perché no, caffè.")));

  const std::vector<QTextTable*> tables = Tables(document);
  ASSERT_EQ(tables.size(), 1u);
  ASSERT_EQ(tables[0]->rows(), 2);
  EXPECT_EQ(RowTexts(tables[0], 0), QStringList({"Autore", "Opera", "Anno"}));
  EXPECT_EQ(RowTexts(tables[0], 1), QStringList({"Botticelli", "Nascita di Venere", "1485"}));

  // The PNG (48 x 32, goal 720 x 480 twips, scaled 200%) and the JPEG (same goal, scaled 125%);
  // the metafile copies LibreOffice adds for older readers are not shown.
  const std::vector<QTextImageFormat> images = Images(document);
  ASSERT_EQ(images.size(), 2u);
  EXPECT_DOUBLE_EQ(images[0].width(), 96.0);
  EXPECT_DOUBLE_EQ(images[0].height(), 64.0);
  EXPECT_DOUBLE_EQ(images[1].width(), 60.0);
  EXPECT_DOUBLE_EQ(images[1].height(), 40.0);
  ExpectFixturePicture(document, images[0]);
  ExpectFixturePicture(document, images[1]);
}

TEST(RtfPandoc, FormatsLandWhereTheyShould) {
  QTextDocument document;
  ASSERT_TRUE(ReadRtf(ReadFixture(QStringLiteral("scheda.rtf")), document));

  const QTextCharFormat heading = FindFragment(document, QStringLiteral("Il David")).charFormat();
  EXPECT_EQ(heading.fontWeight(), QFont::Bold);
  EXPECT_DOUBLE_EQ(heading.fontPointSize(), 18.0);
  EXPECT_EQ(heading.fontFamily(), QStringLiteral("Helvetica"));
  EXPECT_EQ(FindFragment(document, QStringLiteral("cinque metri")).charFormat().fontWeight(), QFont::Bold);
  EXPECT_TRUE(FindFragment(document, QStringLiteral("libert")).charFormat().fontItalic());
  const QTextFragment link = FindFragment(document, QString::fromUtf8("Galleria dell’Accademia"));
  EXPECT_TRUE(link.charFormat().fontUnderline());
  EXPECT_EQ(link.text(), QString::fromUtf8("Galleria dell’Accademia"));  // the \u's '?' is skipped

  EXPECT_TRUE(document.toPlainText().contains(QString::fromUtf8("Perché è così famoso?")));
  EXPECT_TRUE(document.toPlainText().contains(QString::fromUtf8("Fine della scheda — “arrivederci”.")));

  // pandoc ends every cell's paragraph with \par before \cell: still one paragraph per cell.
  const std::vector<QTextTable*> tables = Tables(document);
  ASSERT_EQ(tables.size(), 1u);
  ASSERT_EQ(tables[0]->rows(), 3);
  EXPECT_EQ(RowTexts(tables[0], 0), QStringList({"Opera", "Autore", "Anno"}));
  EXPECT_EQ(RowTexts(tables[0], 2), QStringList({QString::fromUtf8("Mosè"), "Michelangelo", "1515"}));

  const std::vector<QTextImageFormat> images = Images(document);
  ASSERT_EQ(images.size(), 1u);
  EXPECT_DOUBLE_EQ(images[0].width(), 96.0);  // \picwgoal1440
  EXPECT_DOUBLE_EQ(images[0].height(), 64.0);
  ExpectFixturePicture(document, images[0]);
}

TEST(RtfRichEdit, FormatsLandWhereTheyShould) {
  QTextDocument document;
  ASSERT_TRUE(ReadRtf(ReadFixture(QStringLiteral("wordpad.rtf")), document));

  const QTextFragment title = FindFragment(document, QStringLiteral("Chiesa di San Francesco"));
  EXPECT_EQ(title.charFormat().fontFamily(), QStringLiteral("Verdana"));
  EXPECT_DOUBLE_EQ(title.charFormat().fontPointSize(), 10.0);
  EXPECT_EQ(title.charFormat().fontWeight(), QFont::Bold);
  EXPECT_EQ(FindBlock(document, QStringLiteral("Chiesa")).blockFormat().alignment() & Qt::AlignHorizontal_Mask,
            Qt::AlignHCenter);

  const QTextFragment body = FindFragment(document, QStringLiteral("La chiesa"));
  EXPECT_EQ(body.charFormat().fontFamily(), QStringLiteral("Arial"));
  EXPECT_DOUBLE_EQ(body.charFormat().fontPointSize(), 8.0);
  EXPECT_EQ(body.charFormat().fontWeight(), QFont::Normal);
  EXPECT_TRUE(body.text().contains(QString::fromUtf8("ed è dedicata")));
  EXPECT_TRUE(body.text().contains(QString::fromUtf8("l’ingresso costa 5 €.")));  // \rquote, \'80

  // \li720\fi-360 with a tab, and \line keeping one paragraph.
  const QTextBlock indented = FindBlock(document, QStringLiteral("Navata"));
  EXPECT_DOUBLE_EQ(indented.blockFormat().leftMargin(), 48.0);
  EXPECT_DOUBLE_EQ(indented.blockFormat().textIndent(), -24.0);
  EXPECT_TRUE(indented.text().startsWith(QStringLiteral("\tNavata: ")));
  EXPECT_TRUE(indented.text().contains(QStringLiteral("Giotto") + QChar(QChar::LineSeparator) + QStringLiteral("Abside")));
  EXPECT_TRUE(FindFragment(document, QStringLiteral("affreschi")).charFormat().fontItalic());
  EXPECT_TRUE(FindFragment(document, QStringLiteral("vetrate")).charFormat().fontUnderline());
  EXPECT_FALSE(FindFragment(document, QStringLiteral("Navata")).charFormat().fontItalic());

  EXPECT_EQ(FindFragment(document, QStringLiteral("Restauro")).charFormat().foreground().color(), QColor(128, 0, 0));
  const QTextCharFormat stopped = FindFragment(document, QStringLiteral("lavori sospesi")).charFormat();
  EXPECT_TRUE(stopped.fontStrikeOut());
  EXPECT_EQ(stopped.foreground().color(), QColor(0, 128, 0));
  // \cf0 is the automatic colour of the empty first entry: no colour of its own.
  const QTextBlock colours = FindBlock(document, QStringLiteral("Restauro"));
  int automatic = 0;
  for (auto it = colours.begin(); !it.atEnd(); ++it)
    if (it.fragment().text() == QStringLiteral(" e ")) {
      ++automatic;
      EXPECT_FALSE(it.fragment().charFormat().hasProperty(QTextFormat::ForegroundBrush));
    }
  EXPECT_EQ(automatic, 1);

  // \fcharset204 reads \'hh as code page 1251; \u8364? is the euro sign with its '?' skipped.
  EXPECT_TRUE(FindBlock(document, QStringLiteral("gemellaggio")).text().startsWith(
      QString::fromUtf8("Москва – gemellaggio; € 12.")));

  const QTextBlock last = document.lastBlock();
  EXPECT_TRUE(last.text().startsWith(QStringLiteral("Testo:")));  // the closing \par adds no empty line
  EXPECT_EQ(last.blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
  EXPECT_DOUBLE_EQ(FindFragment(document, QStringLiteral("Arezzo")).charFormat().fontPointSize(), 7.0);
}

TEST(RtfReader, RefusesWhatIsNotRtf) {
  for (const char* bytes : {"", "Hello", "{\\rt", " {\\rtf1 x}", "rtf1", "{rtf1}"}) {
    QTextDocument document;
    document.setPlainText(QStringLiteral("old"));
    EXPECT_FALSE(ReadRtf(QByteArray(bytes), document)) << bytes;
    EXPECT_TRUE(document.isEmpty()) << bytes;
  }
}

TEST(RtfReader, ReplacesTheWholeDocument) {
  QTextDocument document;
  ASSERT_TRUE(ReadRtf("{\\rtf1 first\\par second\\par}", document));
  ASSERT_TRUE(ReadRtf("{\\rtf1 third}", document));
  EXPECT_EQ(document.toPlainText(), QStringLiteral("third"));
}

TEST(RtfReader, DestinationsThatAreNotText) {
  EXPECT_EQ(Text("{\\rtf1{\\fonttbl{\\f0 Arial;}}{\\colortbl;\\red1\\green2\\blue3;}"
                 "{\\stylesheet{\\s0 Normal;}}{\\info{\\title T}{\\author A}}"
                 "{\\header H}{\\footer F}{\\*\\unknown U}{\\*\\generator G;}Body}"),
            QStringLiteral("Body"));
  // Fields show their result, not their instruction; hidden text is not shown.
  EXPECT_EQ(Text("{\\rtf1 see {\\field{\\*\\fldinst HYPERLINK \"http://x\"}{\\fldrslt the site}} now}"),
            QStringLiteral("see the site now"));
  EXPECT_EQ(Text("{\\rtf1 a{\\v hidden}b\\v c\\v0 d}"), QStringLiteral("abd"));
  // An unknown destination without \* is text, as readers must show what they don't know.
  EXPECT_EQ(Text("{\\rtf1 {\\newthing kept}}"), QStringLiteral("kept"));
  // Escaped braces and backslashes, control symbols.
  QTextDocument document;
  ASSERT_TRUE(ReadRtf("{\\rtf1 \\{a\\}\\\\b\\~c\\_d\\-e}", document));
  EXPECT_EQ(document.firstBlock().text(), QString::fromUtf8("{a}\\b\u00A0c\u2011d\u00ADe"));
}

TEST(RtfReader, CodePagesAndUnicode) {
  // \ansicpg; a font's \fcharset overrides it; \cpg in the font table too; double-byte pages.
  EXPECT_EQ(Text("{\\rtf1\\ansi\\ansicpg1251 \\'c0\\'e1}"), QString::fromUtf8("Аб"));
  EXPECT_EQ(Text("{\\rtf1\\ansi{\\fonttbl{\\f0 A;}{\\f1\\fcharset161 G;}}\\'e0\\f1\\'e1}"), QString::fromUtf8("àα"));
  EXPECT_EQ(Text("{\\rtf1{\\fonttbl{\\f0\\fcharset128 MS Mincho;}}\\f0\\'82\\'a0}"), QString::fromUtf8("あ"));
  EXPECT_EQ(Text("{\\rtf1{\\fonttbl{\\f0\\cpg1250 X;}}\\'9a}"), QString::fromUtf8("š"));
  // \uN skips \ucN stand-ins: bytes, hex escapes or control words; a group end stops skipping.
  EXPECT_EQ(Text("{\\rtf1 caf\\u233?s}"), QString::fromUtf8("cafés"));
  EXPECT_EQ(Text("{\\rtf1\\uc2 \\u233\\'65\\'27x}"), QString::fromUtf8("éx"));
  EXPECT_EQ(Text("{\\rtf1\\uc0 \\u233 x}"), QString::fromUtf8("éx"));
  EXPECT_EQ(Text("{\\rtf1{\\uc3 \\u233 a}bc}"), QString::fromUtf8("ébc"));
  EXPECT_EQ(Text("{\\rtf1\\uc1\\u8364\\endash x}"), QString::fromUtf8("€x"));
  // Negative values count from 65536; surrogate pairs come as two \u.
  EXPECT_EQ(Text("{\\rtf1\\u-3937?}"), QString(QChar(0xF09F)));
  EXPECT_EQ(Text("{\\rtf1\\u-10179?\\u-8704?}"), QString::fromUtf8("😀"));
  // Font names read \u as the text does: a Japanese font's full-width letters come as negative values.
  QTextDocument document;
  ASSERT_TRUE(ReadRtf("{\\rtf1{\\fonttbl{\\f0 \\u-211?\\u-205? \\u26126?\\u26397?;}}\\f0 x}", document));
  EXPECT_EQ(FindFragment(document, QStringLiteral("x")).charFormat().fontFamily(), QString::fromUtf8("ＭＳ 明朝"));
}

TEST(RtfReader, TablesAreTables) {
  // Empty cells stay cells; a row with fewer cells spans its last one over the rest; the text
  // after the table is a paragraph of its own.
  QTextDocument document;
  ASSERT_TRUE(ReadRtf("{\\rtf1\\trowd\\cellx1500\\cellx3000\\cellx4500 \\intbl a\\cell\\cell c\\cell\\row"
                      "\\trowd\\cellx4500 \\intbl one\\par two\\cell\\row\\pard after}",
                      document));
  std::vector<QTextTable*> tables = Tables(document);
  ASSERT_EQ(tables.size(), 1u);
  ASSERT_EQ(tables[0]->rows(), 2);
  ASSERT_EQ(tables[0]->columns(), 3);
  EXPECT_EQ(RowTexts(tables[0], 0), QStringList({"a", "", "c"}));
  EXPECT_EQ(tables[0]->cellAt(1, 0).columnSpan(), 3);
  EXPECT_EQ(CellText(tables[0], 1, 0), QStringLiteral("one\ntwo"));  // two paragraphs, no empty third
  EXPECT_EQ(document.lastBlock().text(), QStringLiteral("after"));
  EXPECT_EQ(QTextCursor(document.lastBlock()).currentTable(), nullptr);

  // A row definition in a group of its own (AbiWord) or after the row's cells (Word) still holds;
  // more cells than the first row had add columns. Cell formats: each paragraph's alignment,
  // vertical alignment, shading and borders.
  ASSERT_TRUE(ReadRtf("{\\rtf1{\\colortbl;\\red255\\green0\\blue0;\\red0\\green0\\blue255;}"
                      "{\\trowd\\trgaph60\\clvertalc\\clcbpat1\\clbrdrb\\brdrs\\brdrw30\\brdrcf2\\cellx2000\\cellx4000}"
                      "\\pard\\intbl\\qc centred\\cell\\pard\\intbl\\qr right\\cell\\row"
                      "\\pard\\intbl x\\cell y\\cell z\\cell\\trowd\\cellx1000\\cellx2000\\cellx6000\\row}",
                      document));
  tables = Tables(document);
  ASSERT_EQ(tables.size(), 1u);
  ASSERT_EQ(tables[0]->columns(), 3);
  EXPECT_EQ(RowTexts(tables[0], 1), QStringList({"x", "y", "z"}));
  const QTextTableCell centred = tables[0]->cellAt(0, 0);
  EXPECT_EQ(centred.firstCursorPosition().block().blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
  EXPECT_EQ(tables[0]->cellAt(0, 1).firstCursorPosition().block().blockFormat().alignment() & Qt::AlignHorizontal_Mask,
            Qt::AlignRight);
  const QTextTableCellFormat cellFormat = centred.format().toTableCellFormat();
  EXPECT_EQ(cellFormat.verticalAlignment(), QTextCharFormat::AlignMiddle);
  EXPECT_EQ(cellFormat.background().color(), QColor(255, 0, 0));
  EXPECT_DOUBLE_EQ(cellFormat.bottomBorder(), 2.0);
  EXPECT_EQ(cellFormat.bottomBorderBrush().color(), QColor(0, 0, 255));
  EXPECT_DOUBLE_EQ(cellFormat.topBorder(), 0.0);
  EXPECT_DOUBLE_EQ(cellFormat.leftPadding(), 4.0);  // \trgaph60
  // Column widths: the widest each column had in any row (pixels at 96 dpi).
  const QVector<QTextLength> widths = tables[0]->format().columnWidthConstraints();
  ASSERT_EQ(widths.size(), 3);
  EXPECT_DOUBLE_EQ(widths[0].rawValue(), 2000 / 15.0);
  EXPECT_DOUBLE_EQ(widths[1].rawValue(), 2000 / 15.0);
  EXPECT_DOUBLE_EQ(widths[2].rawValue(), 4000 / 15.0);

  // A nested table inside a cell, its row defined in \nesttableprops, as Word and LibreOffice write.
  ASSERT_TRUE(ReadRtf("{\\rtf1\\trowd\\cellx3000\\cellx6000\\pard\\intbl outer\\cell"
                      "\\pard\\intbl\\itap2 in1\\nestcell in2\\nestcell"
                      "{\\*\\nesttableprops\\trowd\\cellx4000\\cellx5000\\nestrow}"
                      "\\pard\\intbl\\itap1 tail\\cell\\row\\pard end}",
                      document));
  tables = Tables(document);
  ASSERT_EQ(tables.size(), 2u);
  EXPECT_EQ(tables[0]->rows(), 1);
  EXPECT_EQ(CellText(tables[0], 0, 0), QStringLiteral("outer"));
  EXPECT_EQ(RowTexts(tables[1], 0), QStringList({"in1", "in2"}));
  EXPECT_EQ(tables[1]->parentFrame(), tables[0]);
  EXPECT_TRUE(CellText(tables[0], 0, 1).endsWith(QStringLiteral("tail")));
  EXPECT_DOUBLE_EQ(tables[1]->format().columnWidthConstraints().value(1).rawValue(), 1000 / 15.0);
  EXPECT_DOUBLE_EQ(tables[0]->format().columnWidthConstraints().value(1).rawValue(), 3000 / 15.0);
  EXPECT_EQ(document.lastBlock().text(), QStringLiteral("end"));
}

TEST(RtfReader, TablesAreBounded) {
  // Cells beyond the document's limit are read as tab-separated text, rows as paragraphs; nesting
  // beyond the limit joins the deepest table.
  QByteArray many = "{\\rtf1\\trowd\\cellx100\\cellx200 ";
  const int rows = static_cast<int>(RtfMaxTableCells / 2) + 10;
  for (int i = 0; i < rows; ++i) many += "\\intbl a\\cell b\\cell\\row ";
  many += "}";
  QTextDocument document;
  ASSERT_TRUE(ReadRtf(many, document));
  long long cells = 0;
  for (QTextTable* table : Tables(document)) cells += static_cast<long long>(table->rows()) * table->columns();
  EXPECT_LE(cells, RtfMaxTableCells);
  EXPECT_EQ(document.lastBlock().text(), QStringLiteral("a\tb\t"));
  EXPECT_EQ(document.toPlainText().count(QLatin1Char('a')), rows);

  ASSERT_TRUE(ReadRtf("{\\rtf1\\pard\\intbl\\itap99 deep\\nestcell\\nestrow\\pard after}", document));
  EXPECT_EQ(Tables(document).size(), static_cast<std::size_t>(RtfMaxTableDepth));
  EXPECT_TRUE(document.toPlainText().contains(QStringLiteral("deep")));
  EXPECT_EQ(document.lastBlock().text(), QStringLiteral("after"));
}

TEST(RtfReader, MalformedInputEndsCleanly) {
  // Unbalanced braces: a missing end is forgiven, what follows the closing brace is not read.
  EXPECT_EQ(Text("{\\rtf1 abc"), QStringLiteral("abc"));
  EXPECT_EQ(Text("{\\rtf1 {{{ x"), QStringLiteral(" x"));
  EXPECT_EQ(Text("{\\rtf1 a}}}}b{"), QStringLiteral("a"));
  // Truncated and broken escapes.
  EXPECT_EQ(Text("{\\rtf1 a\\'4"), QStringLiteral("a"));
  EXPECT_EQ(Text("{\\rtf1 a\\'"), QStringLiteral("a"));
  EXPECT_EQ(Text("{\\rtf1 a\\"), QStringLiteral("a"));
  EXPECT_EQ(Text("{\\rtf1 a\\'zz}"), QStringLiteral("azz"));
  EXPECT_EQ(Text("{\\rtf1 a\\u"), QStringLiteral("a"));
  // Huge numbers saturate and stay harmless.
  EXPECT_EQ(Text("{\\rtf1\\u99999999999999999999?x}"), QString(QChar(QChar::ReplacementCharacter)) + QStringLiteral("x"));
  EXPECT_EQ(Text("{\\rtf1\\u-40000?x}"), QString(QChar(QChar::ReplacementCharacter)) + QStringLiteral("x"));
  EXPECT_EQ(Text("{\\rtf1{\\uc2147483647\\u65 abc} def}"), QStringLiteral("A def"));
  EXPECT_EQ(Text("{\\rtf1\\fs99999999999\\li-99999999999\\cf99999 big}"), QStringLiteral("big"));
  // A lone surrogate, NUL and control bytes, and the document's own object character.
  const QString replacement(QChar(QChar::ReplacementCharacter));
  QByteArray controls("{\\rtf1 a\\u55357?b\x01");
  controls.append('\0').append("c\\u65532?}");
  EXPECT_EQ(Text(controls), QStringLiteral("a") + replacement + QStringLiteral("bc") + replacement);
  // \bin data is taken off the input wherever it is, clamped to what is there.
  EXPECT_EQ(Text("{\\rtf1 a\\bin3 }{xc}"), QStringLiteral("ac"));
  EXPECT_EQ(Text("{\\rtf1 a\\bin4294967295 xyz}"), QStringLiteral("a"));
  EXPECT_EQ(Text("{\\rtf1 a\\bin-5 b}"), QStringLiteral("ab"));
}

TEST(RtfReader, CharacterAndParagraphFormats) {
  QTextDocument document;
  ASSERT_TRUE(ReadRtf("{\\rtf1{\\colortbl;\\red255\\green255\\blue0;}"
                      "H{\\dn4 2}O, m{\\up6 2}, x{\\super 3}{\\sub i}\\par"
                      "\\pard\\sb120\\sa240\\sl360\\slmult1 {\\highlight1 marked}\\par"
                      "\\pard\\sl-300 exact\\par"
                      "{\\field{\\*\\fldinst HYPERLINK \"x\"}{\\*\\fldrslt{\\ul link}}} and {\\field{\\*\\fldinst PAGE}}end}",
                      document));
  EXPECT_EQ(FindFragment(document, QStringLiteral("H")).charFormat().verticalAlignment(), QTextCharFormat::AlignNormal);
  QTextBlock first = document.firstBlock();
  std::vector<QTextCharFormat::VerticalAlignment> scripts;
  for (auto it = first.begin(); !it.atEnd(); ++it)
    if (it.fragment().text() == QStringLiteral("2") || it.fragment().text() == QStringLiteral("3") ||
        it.fragment().text() == QStringLiteral("i"))
      scripts.push_back(it.fragment().charFormat().verticalAlignment());
  EXPECT_EQ(scripts, std::vector<QTextCharFormat::VerticalAlignment>(
                         {QTextCharFormat::AlignSubScript, QTextCharFormat::AlignSuperScript,
                          QTextCharFormat::AlignSuperScript, QTextCharFormat::AlignSubScript}));
  EXPECT_EQ(first.text(), QStringLiteral("H2O, m2, x3i"));

  const QTextBlock spaced = FindBlock(document, QStringLiteral("marked"));
  EXPECT_DOUBLE_EQ(spaced.blockFormat().topMargin(), 8.0);
  EXPECT_DOUBLE_EQ(spaced.blockFormat().bottomMargin(), 16.0);
  EXPECT_EQ(spaced.blockFormat().lineHeightType(), int(QTextBlockFormat::ProportionalHeight));
  EXPECT_DOUBLE_EQ(spaced.blockFormat().lineHeight(), 150.0);
  EXPECT_EQ(FindFragment(document, QStringLiteral("marked")).charFormat().background().color(), QColor(255, 255, 0));
  const QTextBlock exact = FindBlock(document, QStringLiteral("exact"));
  EXPECT_EQ(exact.blockFormat().lineHeightType(), int(QTextBlockFormat::FixedHeight));
  EXPECT_DOUBLE_EQ(exact.blockFormat().lineHeight(), 20.0);

  // A field's result is its text (AbiWord marks it optional with \*); a field without one shows
  // nothing. Links are text in their format, not anchors.
  EXPECT_EQ(document.lastBlock().text(), QStringLiteral("link and end"));
  const QTextCharFormat link = FindFragment(document, QStringLiteral("link")).charFormat();
  EXPECT_TRUE(link.fontUnderline());
  EXPECT_FALSE(link.isAnchor());
}

TEST(RtfReader, FootnotesFollowTheText) {
  // The mark stays where it is, numbered; the footnotes follow the text in their own paragraphs,
  // in order, with their own formats. A footnote in a footnote is not shown.
  QTextDocument document;
  ASSERT_TRUE(ReadRtf("{\\rtf1 One{\\super\\chftn}{\\*\\footnote\\pard{\\super\\chftn} first {\\i note}.}"
                      " two{\\super\\chftn}{\\footnote\\pard\\chftn  second{\\footnote\\chftn inner}}.\\par"
                      "{\\footnote\\chftn  third}}",
                      document));
  EXPECT_EQ(document.toPlainText(), QStringLiteral("One1 two2.\n1 first note.\n2 second\n3 third"));
  EXPECT_TRUE(FindFragment(document, QStringLiteral("note")).charFormat().fontItalic());
}

TEST(RtfReader, NestingDepthIsCapped) {
  const auto nested = [](int depth) {
    return QByteArray("{\\rtf1 ") + QByteArray(depth - 1, '{') + "deep" + QByteArray(depth, '}');
  };
  QTextDocument document;
  EXPECT_TRUE(ReadRtf(nested(RtfMaxGroupDepth), document));
  EXPECT_EQ(document.toPlainText(), QStringLiteral("deep"));
  EXPECT_FALSE(ReadRtf(nested(RtfMaxGroupDepth + 1), document));
  EXPECT_TRUE(document.isEmpty());
  EXPECT_FALSE(ReadRtf(QByteArray("{\\rtf1 ") + QByteArray(1000000, '{'), document));
}

TEST(RtfReader, BrokenPicturesAreLeftOut) {
  const QByteArray png = ReadFixture(QStringLiteral("sources/quadro.png"));
  ASSERT_FALSE(png.isEmpty());
  const QByteArray hex = png.toHex();
  const auto count = [](const QByteArray& rtf) {
    QTextDocument document;
    EXPECT_TRUE(ReadRtf(rtf, document));
    return Images(document).size();
  };
  EXPECT_EQ(count("{\\rtf1{\\pict\\pngblip " + hex + "}}"), 1u);
  // Binary picture data after \bin is read as well.
  EXPECT_EQ(count("{\\rtf1{\\pict\\pngblip\\bin" + QByteArray::number(png.size()) + " " + png + "}}"), 1u);
  // No format we show, a cut stream, a broken stream, nothing at all, a truncated file.
  EXPECT_EQ(count("{\\rtf1{\\pict\\wmetafile8 " + hex + "}}"), 0u);
  EXPECT_EQ(count("{\\rtf1{\\pict\\pngblip " + hex.left(hex.size() / 2) + "}}"), 0u);
  EXPECT_EQ(count("{\\rtf1{\\pict\\jpegblip " + hex + "}}"), 0u);
  EXPECT_EQ(count("{\\rtf1{\\pict\\pngblip}}"), 0u);
  EXPECT_EQ(count("{\\rtf1{\\pict\\pngblip " + hex.left(41)), 0u);
  // A PNG that claims 100000 x 100000 pixels is not decoded.
  QByteArray huge = png;
  const char dims[8] = {0, 1, static_cast<char>(0x86), static_cast<char>(0xA0),
                        0, 1, static_cast<char>(0x86), static_cast<char>(0xA0)};
  huge.replace(16, 8, QByteArray(dims, 8));
  EXPECT_EQ(count("{\\rtf1{\\pict\\pngblip " + huge.toHex() + "}}"), 0u);
  // A picture inside a picture is ignored, the outer one kept; the input may end inside it.
  EXPECT_EQ(count("{\\rtf1{\\pict\\pngblip{\\pict\\pngblip " + hex + "}" + hex + "}}"), 1u);
  EXPECT_EQ(count("{\\rtf1{\\pict\\pngblip " + hex), 1u);
  // A device-independent bitmap (a BMP without its file header) is shown; a DIB that claims a
  // colour table longer than its data is not.
  QImage picture;
  ASSERT_TRUE(picture.loadFromData(png, "png"));
  QByteArray bmp;
  {
    QBuffer buffer(&bmp);
    buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(picture.save(&buffer, "bmp"));
  }
  const QByteArray dib = bmp.mid(14).toHex();
  QTextDocument document;
  ASSERT_TRUE(ReadRtf("{\\rtf1{\\pict\\dibitmap0\\picw48\\pich32 " + dib + "}}", document));
  ASSERT_EQ(Images(document).size(), 1u);
  ExpectFixturePicture(document, Images(document)[0]);
  QByteArray broken = bmp.mid(14);
  broken[32] = static_cast<char>(0xFF);  // 255 colours used, in a picture with no colour table
  EXPECT_EQ(count("{\\rtf1{\\pict\\dibitmap0 " + broken.left(60).toHex() + "}}"), 0u);

  // Stored twice: the shape picture is shown and its copy for older readers is not; a copy alone is.
  ASSERT_TRUE(ReadRtf("{\\rtf1{\\*\\shppict{\\pict\\pngblip\\picwgoal1440\\pichgoal960 " + hex + "}}"
                      "{\\nonshppict{\\pict\\dibitmap0\\picwgoal720\\pichgoal480 " + dib + "}} and "
                      "{\\nonshppict{\\pict\\dibitmap0\\picwgoal720\\pichgoal480 " + dib + "}}}",
                      document));
  std::vector<QTextImageFormat> images = Images(document);
  ASSERT_EQ(images.size(), 2u);
  EXPECT_DOUBLE_EQ(images[0].width(), 96.0);
  EXPECT_DOUBLE_EQ(images[1].width(), 48.0);
  EXPECT_EQ(document.toPlainText().remove(QChar::ObjectReplacementCharacter), QStringLiteral(" and "));

  // A metafile alone is an empty box of its shown size; one too large for the limits is left out.
  ASSERT_TRUE(ReadRtf("{\\rtf1{\\pict\\wmetafile8\\picw1270\\pich635\\picwgoal1500\\pichgoal750\\picscalex50 "
                      "0100090000}{\\pict\\emfblip\\picw2540\\pich2540 01}"
                      "{\\pict\\wmetafile8\\picwgoal240000\\pichgoal240000 00}}",
                      document));
  images = Images(document);
  ASSERT_EQ(images.size(), 2u);
  EXPECT_DOUBLE_EQ(images[0].width(), 50.0);
  EXPECT_DOUBLE_EQ(images[0].height(), 50.0);
  EXPECT_DOUBLE_EQ(images[1].width(), 96.0);  // 1 inch in hundredths of a millimetre
  const QImage box = document.resource(QTextDocument::ImageResource, QUrl(images[0].name())).value<QImage>();
  ASSERT_EQ(box.size(), QSize(50, 50));
  EXPECT_EQ(box.pixelColor(25, 25), box.pixelColor(10, 40));  // empty inside
  EXPECT_NE(box.pixelColor(0, 25), box.pixelColor(25, 25));   // framed

  // Picture data beyond the cap drops the picture.
  const int over = static_cast<int>(RtfMaxPictureBytes) + 1;
  EXPECT_EQ(count("{\\rtf1{\\pict\\pngblip\\bin" + QByteArray::number(over) + " " + QByteArray(over, 'x') + "}}"), 0u);
}

}  // namespace

int main(int argc, char** argv) {
  QGuiApplication app(argc, argv);  // images and fonts need the GUI side of Qt
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
