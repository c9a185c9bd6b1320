#include "showtool.h"

#include <QWidget>

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
  window->setParent(viewer, window->windowFlags());
  if (viewer != nullptr) window->move(viewer->mapToGlobal(position));
  window->setVisible(visible);
}

void PlaceToolWindow(QWidget* window, QWidget* viewer) {
  if (window == nullptr) return;
  PlaceToolWindow(window, viewer, window->pos());
}
