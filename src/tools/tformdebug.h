// The developer's log window.
#pragma once

#include <QString>
#include <QWidget>

class TFormDebug : public QWidget {
  Q_OBJECT
 public:
  explicit TFormDebug(QWidget* parent = nullptr);

  void ShowTool(bool show);
  // Adds text as a new last line of the log.
  void AppendLine(const QString& text);
};
