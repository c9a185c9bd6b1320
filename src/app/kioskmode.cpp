#include "kioskmode.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QTextEdit>
#include <QTimer>

#include "common/dialogs.h"
#include "common/globals.h"
#include "sound/tformplaylist.h"
#include "staffcodeprompt.h"
#include "tformmain.h"
#include "touchsize.h"
#include "viewer/tformviewer.h"
#include "windows/tformmediaplayer.h"
#include "windows/tformtextviewer.h"
#include "windows/tformtreeview.h"

namespace {
// The list of works, seven rows and the close button.
constexpr int kBrowserHeight = 56 + 7 * TouchSize::kMinTarget + 52;
}  // namespace

TKioskMode::TKioskMode(const QString& staffCode, QObject* parent) : QObject(parent), StaffCode(staffCode) {}

void TKioskMode::Apply() {
  guardExit();
  sizeForTouch();
  qApp->installEventFilter(this);
}

void TKioskMode::guardExit() {
  if (FormMain == nullptr) return;
  if (auto* exitItem = FormMain->findChild<QAction*>(QStringLiteral("FileExit"))) {
    QObject::disconnect(exitItem, &QAction::triggered, nullptr, nullptr);
    connect(exitItem, &QAction::triggered, this, &TKioskMode::AskToEnd);
  }
}

void TKioskMode::sizeForTouch() {
  // The taller menu bar pushes the view down, as the main window's own placement rule says.
  TouchSize::ApplyToMenus(FormMain, [] {
    if (FormMain != nullptr) FormMain->FormCanResize();
  });
  QWidget* toolWindows[] = {FormTreeView, FormTextViewer, FormMediaPlayer, FormPlaylist};
  for (QWidget* window : toolWindows) {
    if (window == nullptr) continue;
    TouchSize::ApplyToToolWindow(window);
    if (window != FormPlaylist) TouchSize::AddCloseButton(window);
    TouchSize::KeepOnScreen(window);
  }
  // At 40 pixels a row, the browser's designed height shows four rows: it shows seven.
  if (FormTreeView != nullptr) FormTreeView->resize(FormTreeView->width(), qMax(FormTreeView->height(), kBrowserHeight));
  if (FormTextViewer != nullptr) TouchSize::EnlargeNotes(FormTextViewer->findChild<QTextEdit*>());
  TouchSize::OpenOnSingleTap(FormTreeView);
}

void TKioskMode::AskToEnd() {
  if (StaffCode.isEmpty() || Asking) return;
  Asking = true;
  QWidget* owner = Dialogs::Owner();
  TStaffCodePrompt prompt(StaffCode, owner != nullptr ? owner : FormMain);
  const bool right = prompt.Ask();
  Asking = false;
  if (right) QCoreApplication::quit();
}

bool TKioskMode::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::Close && (watched == FormMain || watched == FormViewer)) {
    // The window stays; staff are asked once the close request has been answered.
    event->ignore();
    QTimer::singleShot(0, this, &TKioskMode::AskToEnd);
    return true;
  }
  if (event->type() == QEvent::Show) {
    auto* dialog = qobject_cast<QDialog*>(watched);
    if (dialog != nullptr && dialog->isWindow()) TouchSize::ApplyToDialog(dialog);
  }
  return QObject::eventFilter(watched, event);
}
