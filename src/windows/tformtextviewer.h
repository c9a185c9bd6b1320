// The "Info" window: a read-only rich-text box that shows a work's note.
#pragma once

#include <QWidget>

class QTextEdit;
class TMemoryStream;

class TFormTextViewer : public QWidget {
  Q_OBJECT
 public:
  explicit TFormTextViewer(QWidget* parent = nullptr);

  void ShowTool(bool show);
  // Replaces the content from the stream: as RTF, else as Windows-1252 plain text.
  // Throws std::runtime_error("Failed to Load Stream") when both fail.
  void LoadFromStream(TMemoryStream& stream);

  QTextEdit* RichEdit = nullptr;

 private:
  void createWindow();
  void createRichEdit();
  void createLayout();
};
