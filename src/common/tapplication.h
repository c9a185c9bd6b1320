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

  // SIGTERM and SIGINT (a kiosk being shut down, a service manager stopping it) end the message
  // loop like "Exit" does, so the windows close in order.
  void QuitOnTerminationSignals();

 private:
  int SignalPipe[2] = {-1, -1};
};
