#include "showtool.h"

#include <QEvent>
#include <QTimer>
#include <QWidget>

namespace {

// Turns a window manager's minimise of a tool window into a hide.
class TMinimiseToHide : public QObject {
 public:
  static constexpr const char* Name = "MinimiseToHide";
  explicit TMinimiseToHide(QWidget* window) : QObject(window), Window(window) { setObjectName(Name); }

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == Window && event->type() == QEvent::WindowStateChange && Window->isMinimized()) {
      QTimer::singleShot(0, Window, [window = Window] {
        window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
        ShowTool(window, false);
      });
    }
    return false;
  }

 private:
  QWidget* Window;
};

Qt::WindowFlags WithoutMinimise(Qt::WindowFlags flags) {
  flags |= Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
  flags &= ~(Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint);
  return flags;
}

}  // namespace

void ShowTool(QWidget* window, bool show) {
  if (window == nullptr) return;
  if (show) {
    window->showNormal();
    window->raise();
  } else {
    // Only hidden, never minimised first: a window manager that minimises a tool window takes
    // the whole 3D view down with it, and minimising a hidden window puts it on screen for a moment.
    window->hide();
  }
}

void PlaceToolWindow(QWidget* window, QWidget* viewer, const QPoint& position) {
  if (window == nullptr) return;
  const bool visible = window->isVisible();
  window->setParent(viewer, WithoutMinimise(window->windowFlags()));
  if (window->findChild<QObject*>(TMinimiseToHide::Name, Qt::FindDirectChildrenOnly) == nullptr)
    window->installEventFilter(new TMinimiseToHide(window));
  if (viewer != nullptr) window->move(viewer->mapToGlobal(position));
  window->setVisible(visible);
}

void PlaceToolWindow(QWidget* window, QWidget* viewer) {
  if (window == nullptr) return;
  PlaceToolWindow(window, viewer, window->pos());
}
