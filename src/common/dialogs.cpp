#include "dialogs.h"

#include <QFileDialog>
#include <QPointer>

namespace Dialogs {

namespace {
MessageHook& MessageSlot() {
  static MessageHook hook;
  return hook;
}
SaveFileHook& SaveFileSlot() {
  static SaveFileHook hook;
  return hook;
}
QPointer<QWidget>& OwnerSlot() {
  static QPointer<QWidget> owner;
  return owner;
}
}  // namespace

void SetMessageHook(MessageHook hook) { MessageSlot() = std::move(hook); }
void SetSaveFileHook(SaveFileHook hook) { SaveFileSlot() = std::move(hook); }

void SetOwner(QWidget* owner) { OwnerSlot() = owner; }

QWidget* Owner() {
  QWidget* owner = OwnerSlot();
  return owner != nullptr && owner->isVisible() ? owner : nullptr;
}

void ShowMessage(const QString& caption, const QString& text, QMessageBox::Icon icon) {
  if (MessageSlot()) {
    MessageSlot()(caption, text, icon);
    return;
  }
  QMessageBox box(icon, caption, text, QMessageBox::Ok, Owner());
  box.setWindowModality(Qt::ApplicationModal);
  box.exec();
}

QString GetSaveFileName(QWidget* parent, const QString& caption, const QString& fileName, const QString& filter,
                        const QString& defaultSuffix) {
  if (SaveFileSlot()) return SaveFileSlot()(caption, fileName, filter);
  QFileDialog dialog(parent != nullptr ? parent : Owner(), caption, QString(), filter);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setDefaultSuffix(defaultSuffix);
  dialog.selectFile(fileName);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return QString();
  return dialog.selectedFiles().first();
}

}  // namespace Dialogs
