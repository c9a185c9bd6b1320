#include "tformtextviewer.h"

#include "data/memorystream.h"
#include "rtf/rtfreader.h"
#include "common/showtool.h"
#include "common/texts.h"

#include <QByteArray>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextOption>
#include <QVBoxLayout>

#include <stdexcept>

namespace {
// A stream position past the end reads nothing.
QByteArray ReadRest(TMemoryStream& stream) {
  const std::size_t start = stream.GetPosition();
  const std::size_t size = stream.GetSize();
  if (start >= size) return QByteArray();
  QByteArray bytes(static_cast<int>(size - start), '\0');
  bytes.resize(static_cast<int>(stream.Read(bytes.data(), static_cast<std::size_t>(bytes.size()))));
  stream.SetPosition(start);
  return bytes;
}

// Plain text is anything but nothing at all and binary data (which holds NUL bytes).
bool CanShowAsText(const QByteArray& bytes) { return !bytes.isEmpty() && !bytes.contains('\0'); }
}  // namespace

TFormTextViewer::TFormTextViewer(QWidget* parent) : QWidget(parent, Qt::Tool) {
  createWindow();
  createRichEdit();
  createLayout();
}

void TFormTextViewer::createWindow() {
  setObjectName(QStringLiteral("FormTextViewer"));
  setWindowTitle(QStringLiteral(" Pinacora :  Info"));
  setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
  // The designed window is 328 x 334 with its frame, which leaves a 320 x 300 client area; Qt sizes
  // the client area, so that is both the size and the minimum here.
  resize(320, 300);
  setMinimumSize(320, 300);
}

void TFormTextViewer::createRichEdit() {
  RichEdit = new QTextEdit(this);
  RichEdit->setObjectName(QStringLiteral("RichEdit"));
  RichEdit->setReadOnly(true);
  RichEdit->setAcceptRichText(true);
  RichEdit->setLineWrapMode(QTextEdit::NoWrap);
  RichEdit->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  RichEdit->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  RichEdit->setToolTip(QString());
  QFont font(QStringLiteral("Verdana"));
  font.setPointSize(8);
  RichEdit->setFont(font);
  QPalette colours = RichEdit->palette();
  colours.setColor(QPalette::Base, colours.color(QPalette::Button));
  colours.setColor(QPalette::Text, colours.color(QPalette::WindowText));
  RichEdit->setPalette(colours);
}

void TFormTextViewer::createLayout() {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(RichEdit);
}

void TFormTextViewer::ShowTool(bool show) { ::ShowTool(this, show); }

void TFormTextViewer::LoadFromStream(TMemoryStream& stream) {
  const QByteArray bytes = ReadRest(stream);

  // The new content is built aside, so that a stream that cannot be shown leaves the old one.
  auto* document = new QTextDocument(RichEdit);
  document->setDefaultFont(RichEdit->font());
  const bool rich = ReadRtf(bytes, *document);
  if (!rich) {
    if (!CanShowAsText(bytes)) {
      delete document;
      throw std::runtime_error("Failed to Load Stream");
    }
    document->setPlainText(FromCp1252(bytes.constData(), bytes.size()));
  }

  // The box deletes the document it made itself; one of ours (a previous note) we delete.
  QTextDocument* previous = RichEdit->document();
  const bool ours = previous != nullptr && previous->parent() == RichEdit;
  const QTextOption option = document->defaultTextOption();
  RichEdit->setDocument(document);
  // The box sets its own no-wrap mode on the document; a rich note keeps the reader's, in which
  // only the text inside table cells wraps (its paragraphs are non-breakable lines).
  if (rich) document->setDefaultTextOption(option);
  if (ours) delete previous;
  RichEdit->moveCursor(QTextCursor::Start);
}
