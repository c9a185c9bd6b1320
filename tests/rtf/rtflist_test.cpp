// List numbers and bullets the reader writes itself, from the list table or from older writers'
// paragraph numbering, on small documents written the way Word, LibreOffice and AbiWord write them.
#include "rtf/rtflist.h"
#include "rtf/rtfreader.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QTextTable>

void PrintTo(const QStringList& texts, std::ostream* out);

namespace {

QStringList Paragraphs(const QByteArray& rtf) {
  QTextDocument document;
  EXPECT_TRUE(ReadRtf(rtf, document));
  return document.toPlainText().split(QChar::ParagraphSeparator).join(QLatin1Char('\n')).split(QLatin1Char('\n'));
}

// A list of three levels: "1.", "1.1" (the first level's number, then the second's) and "i)".
const QByteArray OutlineList =
    "{\\*\\listtable{\\list\\listtemplateid7"
    "{\\listlevel\\levelnfc0\\levelstartat1{\\leveltext\\leveltemplateid67698703\\'02\\'00.;}{\\levelnumbers\\'01;}}"
    "{\\listlevel\\levelnfc0\\levelstartat1\\levelfollow1{\\leveltext\\'03\\'00.\\'01;}{\\levelnumbers\\'01\\'03;}}"
    "{\\listlevel\\levelnfc2\\levelstartat1{\\leveltext\\'02\\'02);}{\\levelnumbers\\'01;}}"
    "{\\listname ;}\\listid100}"
    "{\\list\\listtemplateid8{\\listlevel\\levelnfc4\\levelstartat1{\\leveltext\\'02\\'00);}{\\levelnumbers\\'01;}}"
    "\\listid200}}"
    "{\\*\\listoverridetable{\\listoverride\\listid100\\listoverridecount0\\ls1}"
    "{\\listoverride\\listid200\\listoverridecount0\\ls2}"
    "{\\listoverride\\listid100\\listoverridecount1{\\lfolevel\\listoverridestartat\\levelstartat5}\\ls3}}";

QByteArray Document(const QByteArray& body) { return "{\\rtf1\\ansi\\deff0" + OutlineList + body + "}"; }

TEST(RtfLists, NestedLevelsCountAndRestart) {
  // Items of a deeper level restart after an item of a higher one; a level shows the numbers of
  // the levels above it; the follow character is a tab or a space as the level says.
  EXPECT_EQ(Paragraphs(Document("\\pard\\ls1\\ilvl0 Ingresso\\par"
                                "\\pard\\ls1\\ilvl1 Biglietteria\\par"
                                "\\pard\\ls1\\ilvl1 Guardaroba\\par"
                                "\\pard\\ls1\\ilvl2 Armadietti\\par"
                                "\\pard\\ls1\\ilvl0 Sala grande\\par"
                                "\\pard\\ls1\\ilvl1 Affreschi\\par"
                                "\\pard\\ls1\\ilvl2 Volta\\par")),
            QStringList({"1.\tIngresso", "1.1 Biglietteria", "1.2 Guardaroba", "i)\tArmadietti", "2.\tSala grande",
                         "2.1 Affreschi", "i)\tVolta"}));
}

TEST(RtfLists, EachListCountsOnItsOwn) {
  // A list goes on counting across other paragraphs and other lists; a second override of the same
  // list continues it too, unless it starts a level again (\listoverridestartat).
  EXPECT_EQ(Paragraphs(Document("\\pard\\ls1 Primo\\par"
                                "\\pard\\ls2 alfa\\par"
                                "\\pard Testo fra le liste.\\par"
                                "\\pard\\ls2 beta\\par"
                                "\\pard\\ls1 Secondo\\par"
                                "\\pard\\ls3 Quinto\\par"
                                "\\pard\\ls3 Sesto\\par")),
            QStringList({"1.\tPrimo", "a)\talfa", "Testo fra le liste.", "b)\tbeta", "2.\tSecondo", "5.\tQuinto",
                         "6.\tSesto"}));
}

TEST(RtfLists, TheWritersOwnMarkIsShownOnce) {
  // A mark the writer gives stands as written (and the list counts it); an empty one, as AbiWord
  // writes for numbered lists, gives way to the list's number; without a list, an empty mark
  // stays what it was. Lists that are not defined leave the text alone.
  EXPECT_EQ(Paragraphs(Document("{\\listtext\\pard\\plain 7.\\tab}\\pard\\ls1 Scritto\\par"
                                "\\pard\\ls1 Contato\\par"
                                "{\\listtext\\pard  \\tab}\\pard\\ls1\\ilvl0 Vuoto\\par"
                                "{\\listtext  \\tab}\\pard Senza lista\\par"
                                "{\\pntext\\f0 A.\\tab}\\pard{\\*\\pn\\pnlvlbody\\pndec}\\ls1 Doppio\\par"
                                "\\pard\\ls99 Nessuna\\par")),
            QStringList({"7.\tScritto", "2.\tContato", "3.\tVuoto", " \tSenza lista", "A.\tDoppio", "Nessuna"}));
}

TEST(RtfLists, BulletsAndLevelsWithoutMarks) {
  // Word's Symbol bullet (a private-use character), a level that shows nothing (\levelnfc255) and
  // a level without a text.
  const QByteArray rtf =
      "{\\rtf1\\ansi{\\*\\listtable"
      "{\\list{\\listlevel\\levelnfc23{\\leveltext\\'01\\u-3913 ?;}{\\levelnumbers;}\\f3}"
      "{\\listlevel\\levelnfc255{\\leveltext\\'00;}{\\levelnumbers;}}"
      "{\\listlevel\\levelnfc3\\levelstartat2}\\listid1}}"
      "{\\*\\listoverridetable{\\listoverride\\listid1\\ls1}}"
      "\\pard\\ls1 Olio\\par\\pard\\ls1\\ilvl1 Tela\\par\\pard\\ls1\\ilvl2 Tavola\\par}";
  EXPECT_EQ(Paragraphs(rtf), QStringList({"\u2022\tOlio", "Tela", "B.\tTavola"}));
}

TEST(RtfLists, SymbolFontBulletsShowAsTheirCharacters) {
  // Word writes its marks in the Symbol and Wingdings fonts, as those fonts' codes: shown in the
  // text's font, they are the bullets they stand for.
  QTextDocument document;
  ASSERT_TRUE(ReadRtf("{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}{\\f3\\fcharset2 Symbol;}{\\f10\\fnil\\fcharset2 Wingdings;}}"
                      "{\\listtext\\pard\\plain\\f3\\'b7\\tab}\\pard\\plain Olio\\par"
                      "{\\listtext\\pard\\plain\\f10\\'a7\\tab}\\pard\\plain Tela\\par}",
                      document));
  EXPECT_EQ(document.toPlainText(), QStringLiteral("\u2022\tOlio\n\u25aa\tTela"));
  const QTextBlock first = document.firstBlock();
  EXPECT_EQ(first.begin().fragment().charFormat().fontFamily(), QStringLiteral("Arial"));
}

TEST(RtfLists, OlderWritersParagraphNumbering) {
  // \pn: numbers run on while numbered paragraphs follow each other, and start again after other
  // text; bullets take their text (the Symbol font's dot shows as a bullet).
  const QByteArray rtf =
      "{\\rtf1\\ansi"
      "\\pard{\\*\\pn\\pnlvlbody\\pndec\\pnstart3{\\pntxta .}}Terzo\\par"
      "\\pard{\\*\\pn\\pnlvlbody\\pndec\\pnstart3{\\pntxta .}}Quarto\\par"
      "\\pard Fine.\\par"
      "\\pard{\\*\\pn\\pnlvlbody\\pnucrm{\\pntxta .}}Uno\\par"
      "\\pard{\\*\\pn\\pnlvl2\\pnlcltr{\\pntxtb (}{\\pntxta )}}sotto\\par"
      "\\pard{\\*\\pn\\pnlvlblt\\pnf1{\\pntxtb\\'b7}}Punto\\par}";
  EXPECT_EQ(Paragraphs(rtf), QStringList({"3.\tTerzo", "4.\tQuarto", "Fine.", "I.\tUno", "(a)\tsotto", "\u2022\tPunto"}));
}

TEST(RtfLists, ItemsInTableCells) {
  // Each cell starts a paragraph of its own: its list item is numbered there, and a writer's
  // empty mark before it is replaced as outside tables.
  QTextDocument document;
  ASSERT_TRUE(ReadRtf(Document("\\trowd\\cellx2000\\cellx4000"
                               "\\pard\\intbl\\ls1 Vaso\\cell"
                               "{\\listtext \\tab}\\pard\\intbl\\ls1 Coppa\\par\\cell\\row"
                               "\\pard Dopo\\par"),
                      document));
  const QList<QTextFrame*> frames = document.rootFrame()->childFrames();
  ASSERT_EQ(frames.size(), 1);
  QTextTable* table = qobject_cast<QTextTable*>(frames.first());
  ASSERT_NE(table, nullptr);
  EXPECT_EQ(table->cellAt(0, 0).firstCursorPosition().block().text(), QStringLiteral("1.\tVaso"));
  EXPECT_EQ(table->cellAt(0, 1).firstCursorPosition().block().text(), QStringLiteral("2.\tCoppa"));
  EXPECT_EQ(document.lastBlock().text(), QStringLiteral("Dopo"));
}

TEST(RtfLists, AbiWordsNumbersAsLibreOfficeReadsThem) {
  // AbiWord writes empty marks for numbered lists, nested ones included; LibreOffice, reading the
  // same file, numbers them from the list table. Line by line, without indents, the note reads as
  // LibreOffice's text export of it (fixtures/make-fixtures.sh).
  const auto read = [](const char* name) {
    QFile file(QStringLiteral(RTF_FIXTURES_DIR "/") + QLatin1String(name));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name;
    return file.readAll();
  };
  const auto lines = [](const QString& text) {
    QStringList kept;
    for (QString line : text.split(QLatin1Char('\n'))) {
      line = line.replace(QLatin1Char('\t'), QLatin1Char(' ')).trimmed();
      if (!line.isEmpty()) kept << line;
    }
    return kept;
  };
  const QStringList ours = lines(Paragraphs(read("percorso-abiword.rtf")).join(QLatin1Char('\n')));
  const QStringList theirs = lines(QString::fromUtf8(read("percorso-abiword.lo-read.txt")));
  ASSERT_EQ(theirs.size(), 10);
  EXPECT_EQ(ours, theirs);
}

TEST(RtfLists, NumbersAsLevelsWriteThem) {
  EXPECT_EQ(RtfListNumber(1994, 1), QStringLiteral("MCMXCIV"));
  EXPECT_EQ(RtfListNumber(4, 2), QStringLiteral("iv"));
  EXPECT_EQ(RtfListNumber(0, 2), QStringLiteral("0"));  // no roman zero
  EXPECT_EQ(RtfListNumber(28, 4), QStringLiteral("bb"));
  EXPECT_EQ(RtfListNumber(26, 3), QStringLiteral("Z"));
  EXPECT_EQ(RtfListNumber(7, 22), QStringLiteral("07"));
  EXPECT_EQ(RtfListNumber(12, 5), QStringLiteral("12"));  // ordinals and number words in figures
  EXPECT_EQ(RtfListNumber(3, 23), QString());
}

}  // namespace
