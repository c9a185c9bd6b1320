// The program's dialogs pass through here, so that tests can answer them without a person.
#pragma once

#include <QMessageBox>
#include <QString>
#include <functional>

class QWidget;

namespace Dialogs {

// A message box without an owner window, application-modal, with one OK button.
void ShowMessage(const QString& caption, const QString& text, QMessageBox::Icon icon);

// A save-file dialog; answers the chosen path, or an empty text when cancelled.
// filter uses Qt's form ("Text File (*.txt)").
QString GetSaveFileName(QWidget* parent, const QString& caption, const QString& fileName, const QString& filter,
                        const QString& defaultSuffix);

// Test hooks: while set, they answer instead of a person.
using MessageHook = std::function<void(const QString& caption, const QString& text, QMessageBox::Icon icon)>;
using SaveFileHook = std::function<QString(const QString& caption, const QString& fileName, const QString& filter)>;
void SetMessageHook(MessageHook hook);
void SetSaveFileHook(SaveFileHook hook);

}  // namespace Dialogs
