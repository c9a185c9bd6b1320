// The info text window: how it is laid out and how it loads a note from a stream.
#include "windows/tformtextviewer.h"

#include "data/memorystream.h"

#include <gtest/gtest.h>

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QFile>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextLayout>
#include <QTextTable>
#include <QUrl>

#include <stdexcept>
#include <string>

namespace {

TMemoryStream StreamOf(const std::string& bytes) {
  return TMemoryStream(std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
}

std::string Fixture(const char* name) {
  QFile file(QStringLiteral(RTF_FIXTURES_DIR "/") + QString::fromLatin1(name));
  if (!file.open(QIODevice::ReadOnly)) ADD_FAILURE() << "cannot open fixture " << name;
  const QByteArray bytes = file.readAll();
  return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

TEST(TFormTextViewer, IsAReadOnlyUnwrappedToolWindow) {
  TFormTextViewer window;
  EXPECT_EQ(window.windowTitle(), QStringLiteral(" Pinacora :  Info"));
  EXPECT_TRUE(window.windowFlags().testFlag(Qt::Tool));
  EXPECT_EQ(window.size(), QSize(320, 300));
  EXPECT_EQ(window.minimumSize(), QSize(320, 300));
  ASSERT_NE(window.RichEdit, nullptr);
  EXPECT_EQ(window.RichEdit->objectName(), QStringLiteral("RichEdit"));
  EXPECT_TRUE(window.RichEdit->isReadOnly());
  EXPECT_EQ(window.RichEdit->lineWrapMode(), QTextEdit::NoWrap);
  EXPECT_EQ(window.RichEdit->horizontalScrollBarPolicy(), Qt::ScrollBarAsNeeded);
  EXPECT_EQ(window.RichEdit->verticalScrollBarPolicy(), Qt::ScrollBarAsNeeded);
  EXPECT_EQ(window.RichEdit->font().family(), QStringLiteral("Verdana"));
  EXPECT_EQ(window.RichEdit->font().pointSize(), 8);
  const QPalette colours = window.RichEdit->palette();
  EXPECT_EQ(colours.color(QPalette::Base), window.palette().color(QPalette::Button));
  EXPECT_EQ(colours.color(QPalette::Text), window.palette().color(QPalette::WindowText));
  EXPECT_TRUE(window.RichEdit->toPlainText().isEmpty());

  // The rich-text box fills the client area, also when the window grows.
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  EXPECT_EQ(window.RichEdit->geometry(), window.rect());
  window.resize(500, 420);
  QApplication::processEvents();
  EXPECT_EQ(window.RichEdit->geometry(), window.rect());
}

TEST(TFormTextViewer, UserCannotEditTheText) {
  TFormTextViewer window;
  TMemoryStream stream = StreamOf("{\\rtf1 Nota}");
  window.LoadFromStream(stream);
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  window.RichEdit->setFocus();
  QTest::keyClicks(window.RichEdit, QStringLiteral("xyz"));
  QTest::keyClick(window.RichEdit, Qt::Key_Backspace);
  QTest::keyClick(window.RichEdit, Qt::Key_Delete);
  EXPECT_EQ(window.RichEdit->toPlainText(), QStringLiteral("Nota"));
}

TEST(TFormTextViewer, LoadsRtfNotes) {
  TFormTextViewer window;
  TMemoryStream stream = StreamOf(Fixture("wordpad.rtf"));
  window.LoadFromStream(stream);
  const QTextDocument* document = window.RichEdit->document();
  EXPECT_TRUE(document->toPlainText().startsWith(QStringLiteral("Chiesa di San Francesco\n")));
  EXPECT_EQ(document->firstBlock().begin().fragment().charFormat().fontWeight(), QFont::Bold);
  EXPECT_EQ(window.RichEdit->textCursor().position(), 0);

  // A later note replaces the whole content, pictures included.
  TMemoryStream second = StreamOf(Fixture("nota.rtf"));
  window.LoadFromStream(second);
  EXPECT_TRUE(window.RichEdit->toPlainText().startsWith(QStringLiteral("La Primavera\n")));
  EXPECT_FALSE(window.RichEdit->toPlainText().contains(QStringLiteral("Chiesa")));
  int images = 0;
  for (QTextBlock block = window.RichEdit->document()->begin(); block.isValid(); block = block.next())
    for (auto it = block.begin(); !it.atEnd(); ++it) {
      const QTextCharFormat format = it.fragment().charFormat();
      if (!format.isImageFormat()) continue;
      ++images;
      EXPECT_FALSE(window.RichEdit->document()
                       ->resource(QTextDocument::ImageResource, QUrl(format.toImageFormat().name()))
                       .isNull());
    }
  EXPECT_EQ(images, 2);
}

TEST(TFormTextViewer, PlainTextNotesShowInVerdana) {
  TFormTextViewer window;
  TMemoryStream stream = StreamOf("Il campanile \xE8 alto 48 metri.\r\nCaff\xE8 \x80 2");
  window.LoadFromStream(stream);
  EXPECT_EQ(window.RichEdit->toPlainText(), QString::fromUtf8("Il campanile è alto 48 metri.\nCaffè € 2"));
  const QTextCharFormat format = window.RichEdit->document()->firstBlock().begin().fragment().charFormat();
  EXPECT_FALSE(format.hasProperty(QTextFormat::FontFamily));  // the box's own font: Verdana 8 pt
  EXPECT_EQ(window.RichEdit->document()->defaultFont().family(), QStringLiteral("Verdana"));
  EXPECT_EQ(window.RichEdit->document()->defaultFont().pointSize(), 8);

  // RTF braces that are too deep to be read show as the text they are.
  const std::string deep = "{\\rtf1 " + std::string(300, '{') + "x";
  TMemoryStream nested = StreamOf(deep);
  window.LoadFromStream(nested);
  EXPECT_EQ(window.RichEdit->toPlainText(), QString::fromStdString(deep));
}

TEST(TFormTextViewer, ReadsFromTheStreamPosition) {
  TFormTextViewer window;
  TMemoryStream stream = StreamOf("skip{\\rtf1 kept}");
  stream.SetPosition(4);
  window.LoadFromStream(stream);
  EXPECT_EQ(window.RichEdit->toPlainText(), QStringLiteral("kept"));
}

TEST(TFormTextViewer, StreamsThatCannotBeShownFailAndKeepTheText) {
  TFormTextViewer window;
  TMemoryStream note = StreamOf("{\\rtf1 Nota precedente}");
  window.LoadFromStream(note);

  TMemoryStream empty;
  TMemoryStream atEnd = StreamOf("testo");
  atEnd.SetPosition(5);
  TMemoryStream binary = StreamOf(std::string("MZ\0\0\x90\x01", 6));
  for (TMemoryStream* stream : {&empty, &atEnd, &binary}) {
    try {
      window.LoadFromStream(*stream);
      ADD_FAILURE() << "no error";
    } catch (const std::runtime_error& error) {
      EXPECT_STREQ(error.what(), "Failed to Load Stream");
    }
    EXPECT_EQ(window.RichEdit->toPlainText(), QStringLiteral("Nota precedente"));
  }
}

TEST(TFormTextViewer, LongLinesScrollSideways) {
  TFormTextViewer window;
  TMemoryStream stream = StreamOf("{\\rtf1 " + std::string(60, 'w') + " " + std::string(60, 'w') + "}");
  window.LoadFromStream(stream);
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  EXPECT_EQ(window.RichEdit->document()->firstBlock().layout()->lineCount(), 1);
  EXPECT_GT(window.RichEdit->horizontalScrollBar()->maximum(), 0);
}

TEST(TFormTextViewer, TablesKeepTheirColumnsAndScrollSideways) {
  // Three 200-pixel columns in a 320-pixel window: the cells keep their widths (a long cell text
  // wraps inside its cell), the window scrolls sideways, a long paragraph stays one line.
  TFormTextViewer window;
  TMemoryStream stream = StreamOf("{\\rtf1 " + std::string(60, 'w') + " " + std::string(60, 'w') +
                                  "\\par\\trowd\\cellx3000\\cellx6000\\cellx9000"
                                  "\\intbl Autore e bottega del maestro fiorentino\\cell b\\cell c\\cell\\row\\pard end}");
  window.LoadFromStream(stream);
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  QTextDocument* document = window.RichEdit->document();
  EXPECT_EQ(document->firstBlock().layout()->lineCount(), 1);
  EXPECT_GT(window.RichEdit->horizontalScrollBar()->maximum(), 0);
  QTextTable* table = nullptr;
  for (QTextFrame* frame : document->rootFrame()->childFrames())
    if ((table = qobject_cast<QTextTable*>(frame)) != nullptr) break;
  ASSERT_NE(table, nullptr);
  QAbstractTextDocumentLayout* layout = document->documentLayout();
  const QTextBlock first = table->cellAt(0, 0).firstCursorPosition().block();
  const QTextBlock second = table->cellAt(0, 1).firstCursorPosition().block();
  EXPECT_GT(first.layout()->lineCount(), 1);
  EXPECT_NEAR(layout->blockBoundingRect(second).x() - layout->blockBoundingRect(first).x(), 200.0, 1.0);

  // A plain-text note still never wraps.
  TMemoryStream plain = StreamOf(std::string(60, 'w') + " " + std::string(60, 'w'));
  window.LoadFromStream(plain);
  QApplication::processEvents();
  EXPECT_EQ(window.RichEdit->document()->firstBlock().layout()->lineCount(), 1);
}

TEST(TFormTextViewer, ShowToolShowsAndHidesKeepingTheText) {
  TFormTextViewer window;
  TMemoryStream stream = StreamOf("{\\rtf1 Nota}");
  window.LoadFromStream(stream);
  window.ShowTool(true);
  EXPECT_TRUE(window.isVisible());
  window.ShowTool(false);
  EXPECT_FALSE(window.isVisible());
  window.ShowTool(true);
  EXPECT_TRUE(window.isVisible());
  EXPECT_EQ(window.RichEdit->toPlainText(), QStringLiteral("Nota"));
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
