// Showing, hiding and placing the tool windows, the same way for every one of them.
#pragma once

#include <QPoint>

class QWidget;

// Hide: hide. Show: showNormal(), which also restores a minimised window, and raise it above the
// viewer. The widget's visible flag follows in both cases.
void ShowTool(QWidget* window, bool show);

// Makes a tool window a child of the viewer window (which then owns it) and places it at
// position in the viewer's client coordinates. The window keeps its kind and stacking flags but
// loses its minimise and maximise buttons: window managers minimise a window together with the
// window it is transient for, so minimising a tool window would take the 3D view down with it.
// Should a window manager minimise it all the same, the tool window is hidden instead.
void PlaceToolWindow(QWidget* window, QWidget* viewer, const QPoint& position);
// As above, at the window's own position, which it gave in the viewer's client coordinates.
void PlaceToolWindow(QWidget* window, QWidget* viewer);
