// Kiosk touch sizes: the tool windows and dialogs grown so that every row and button takes a
// finger (at least 40 pixels) and text reads from a step away (at least 18 pixels), each tool
// window with a close button of its own, and notes and movies opened by a single tap.
#pragma once

#include <functional>

class QDialog;
class QMainWindow;
class QTextEdit;
class QWidget;
class TFormTreeView;

namespace TouchSize {

constexpr int kMinTarget = 40;
constexpr int kMinTextPixels = 18;
// The designed layouts grow by this much: their smallest control, the movie window's 24-pixel
// buttons, then takes a finger.
constexpr double kScale = 1.7;

// Rows, buttons, check boxes, scroll bars and text of a tool window at touch size.
void ApplyToToolWindow(QWidget* window);
// A "Close" button at the bottom of a tool window that has none (it hides the window).
void AddCloseButton(QWidget* window);
// Moves a window back inside the screen each time it is shown.
void KeepOnScreen(QWidget* window);
// The menu bar and its menus at touch size; barResized runs whenever the bar's height changes,
// so that what lies below it can follow.
void ApplyToMenus(QMainWindow* window, const std::function<void()>& barResized);
// A dialog's buttons and text at touch size (the about box, messages).
void ApplyToDialog(QDialog* dialog);
// Every note shown in the box is scaled so that most of its text is at least 18 pixels high and
// none of it smaller.
void EnlargeNotes(QTextEdit* box);
void EnlargeNoteText(QTextEdit* box);
// A single tap (click) on a note or a movie opens it; a second tap of a double one does not open
// it again.
void OpenOnSingleTap(TFormTreeView* browser);

}  // namespace TouchSize
