// The application object: shows an exception that escapes an event handler and goes on.
#pragma once

#include <QApplication>
#include <QString>

class TApplication : public QApplication {
 public:
  TApplication(int& argc, char** argv);
  bool notify(QObject* receiver, QEvent* event) override;

  // The standard exception display: the text in a message box with the error icon.
  static void ShowException(const QString& message);
};
