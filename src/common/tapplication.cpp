#include "tapplication.h"

#include <QSocketNotifier>
#include <csignal>
#include <exception>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include "dialogs.h"

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {
  setApplicationName("pinacora");
  setOrganizationName("pinacora");
}

bool TApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (const std::exception& error) {
    ShowException(QString::fromLocal8Bit(error.what()));
  } catch (...) {
    ShowException(QString());
  }
  return false;
}

namespace {
int SignalWriteEnd = -1;

void OnTerminationSignal(int) {
  const char byte = 1;
  if (SignalWriteEnd >= 0) (void)!::write(SignalWriteEnd, &byte, 1);
}
}  // namespace

void TApplication::QuitOnTerminationSignals() {
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, SignalPipe) != 0) return;
  SignalWriteEnd = SignalPipe[0];
  auto* notifier = new QSocketNotifier(SignalPipe[1], QSocketNotifier::Read, this);
  connect(notifier, &QSocketNotifier::activated, this, [this] {
    char byte;
    while (::read(SignalPipe[1], &byte, 1) > 0) {
    }
    quit();
  });
  struct sigaction action {};
  action.sa_handler = OnTerminationSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  ::sigaction(SIGTERM, &action, nullptr);
  ::sigaction(SIGINT, &action, nullptr);
}

void TApplication::ShowException(const QString& message) {
  QString text = message;
  if (!text.isEmpty() && !text.endsWith('.')) text += '.';
  Dialogs::ShowMessage(QStringLiteral("Pinacora"), text, QMessageBox::Critical);
}
