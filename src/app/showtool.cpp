#include "showtool.h"

#include <QWidget>

void ShowTool(QWidget* window, bool show) {
  if (window == nullptr) return;
  if (show) {
    window->showNormal();
    window->raise();
  } else if (window->isVisible()) {
    window->showMinimized();
    window->hide();
  } else {
    window->hide();  // minimising a hidden window would put it on screen for a moment
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
