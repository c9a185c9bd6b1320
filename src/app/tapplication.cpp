#include "tapplication.h"

#include <exception>

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

void TApplication::ShowException(const QString& message) {
  QString text = message;
  if (!text.isEmpty() && !text.endsWith('.')) text += '.';
  Dialogs::ShowMessage(QStringLiteral("Pinacora"), text, QMessageBox::Critical);
}
