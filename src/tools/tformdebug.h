// The developer's log window.
#pragma once

#include <QString>
#include <QStringList>
#include <QWidget>
#include <memory>

class QPushButton;
class QTextEdit;
class QWidget;
namespace Ui {
class FormDebug;
}

class TFormDebug : public QWidget {
  Q_OBJECT
 public:
  static const QString SaveFilter;

  explicit TFormDebug(QWidget* parent = nullptr);
  ~TFormDebug() override;

  void ShowTool(bool show);
  // Adds text as a new last line of the log.
  void AppendLine(const QString& text);
  // The log, one entry per line.
  QStringList Lines() const;

 public slots:
  void Button1Click();
  void Button2Click();
  void ButtonCloseClick();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void connectSignals();
  // Writes the log as rich text; a file that cannot be written throws, naming it and the reason.
  void SaveToFile(const QString& fileName) const;

  std::unique_ptr<Ui::FormDebug> ui;
  QWidget* Panel1 = nullptr;
  QWidget* Panel2 = nullptr;
  QPushButton* Button1 = nullptr;
  QPushButton* Button2 = nullptr;
  QPushButton* ButtonClose = nullptr;
  QTextEdit* RichEdit = nullptr;
};
