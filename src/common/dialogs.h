// The program's dialogs pass through here, so that tests can answer them without a person.
#pragma once

#include <QMessageBox>
#include <QString>
#include <functional>

class QWidget;

namespace Dialogs {

// The window every dialog is transient for: the one the main window names (the 3D view) while it
// is on screen, else none. Window managers stack a dialog above the window it is transient for, also when that window stays
// on top of everything else, and raise it together with that window; without a window manager a
// dialog mapped after the view is above it anyway. A dialog that belonged to no window, or to the
// main window, would open below the always-on-top view: modal, holding the keyboard, unseen.
QWidget* Owner();
void SetOwner(QWidget* owner);

// An application-modal message box with one OK button, transient for Owner().
void ShowMessage(const QString& caption, const QString& text, QMessageBox::Icon icon);

// A save-file dialog, transient for parent (or Owner() when there is none); answers the chosen
// path, or an empty text when cancelled.
// filter uses Qt's form ("Text File (*.txt)").
QString GetSaveFileName(QWidget* parent, const QString& caption, const QString& fileName, const QString& filter,
                        const QString& defaultSuffix);

// Test hooks: while set, they answer instead of a person.
using MessageHook = std::function<void(const QString& caption, const QString& text, QMessageBox::Icon icon)>;
using SaveFileHook = std::function<QString(const QString& caption, const QString& fileName, const QString& filter)>;
void SetMessageHook(MessageHook hook);
void SetSaveFileHook(SaveFileHook hook);

}  // namespace Dialogs
