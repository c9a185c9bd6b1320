#include "tformdebug.h"

#include <QCloseEvent>
#include <QPushButton>
#include <QSaveFile>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <stdexcept>

#include "common/dialogs.h"
#include "rtf/rtfwriter.h"
#include "common/showtool.h"
#include "ui_tformdebug.h"

const QString TFormDebug::SaveFilter = QStringLiteral("Text File (*.txt)");

namespace {
const QPoint kDesignedPosition(674, 212);
const QString kSaveSuffix = QStringLiteral("txt");
const QString kSaveInitialName = QStringLiteral("*.txt");
}  // namespace

TFormDebug::TFormDebug(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint), ui(std::make_unique<Ui::FormDebug>()) {
  ui->setupUi(this);
  Panel1 = ui->Panel1;
  Panel2 = ui->Panel2;
  Button1 = ui->Button1;
  Button2 = ui->Button2;
  ButtonClose = ui->ButtonClose;
  RichEdit = ui->RichEdit;
  move(kDesignedPosition);  // the form's size comes with the form, its position does not
  connectSignals();
}

TFormDebug::~TFormDebug() = default;

void TFormDebug::connectSignals() {
  connect(Button1, &QPushButton::clicked, this, &TFormDebug::Button1Click);
  connect(Button2, &QPushButton::clicked, this, &TFormDebug::Button2Click);
  connect(ButtonClose, &QPushButton::clicked, this, &TFormDebug::ButtonCloseClick);
}

void TFormDebug::ShowTool(bool show) { ::ShowTool(this, show); }

void TFormDebug::AppendLine(const QString& text) {
  QTextDocument* document = RichEdit->document();
  QTextCursor cursor(document);
  cursor.movePosition(QTextCursor::End);
  // An empty log has one empty block: the first line goes into it.
  if (!document->isEmpty()) cursor.insertBlock();
  cursor.insertText(text);
  // Keep the newest line in sight, scrolled to its start.
  cursor.movePosition(QTextCursor::StartOfBlock);
  RichEdit->setTextCursor(cursor);
  RichEdit->ensureCursorVisible();
}

QStringList TFormDebug::Lines() const {
  QStringList lines;
  const QTextDocument* document = RichEdit->document();
  if (document->isEmpty()) return lines;
  for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) lines << block.text();
  return lines;
}

void TFormDebug::Button1Click() { RichEdit->clear(); }

void TFormDebug::Button2Click() {
  const QString fileName = Dialogs::GetSaveFileName(this, QString(), kSaveInitialName, SaveFilter, kSaveSuffix);
  if (fileName.isEmpty()) return;
  SaveToFile(fileName);
}

void TFormDebug::ButtonCloseClick() { ShowTool(false); }

void TFormDebug::closeEvent(QCloseEvent* event) {
  // The close box only hides the window: the log lives as long as the window does.
  event->ignore();
  ShowTool(false);
}

void TFormDebug::SaveToFile(const QString& fileName) const {
  const QByteArray rtf = WriteRtfLines(Lines());
  QSaveFile file(fileName);
  if (!file.open(QIODevice::WriteOnly) || file.write(rtf) != rtf.size() || !file.commit()) {
    const QString message = QStringLiteral("Cannot create file \"%1\". %2").arg(fileName, file.errorString());
    throw std::runtime_error(message.toLocal8Bit().toStdString());
  }
}
