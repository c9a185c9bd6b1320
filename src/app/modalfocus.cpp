#include "modalfocus.h"

#include <QGuiApplication>
#include <QWindow>
#include <xcb/xcb.h>

namespace {

// The window of ours that the X window belongs to, or null.
QWindow* WindowOf(xcb_window_t id) {
  for (QWindow* window : QGuiApplication::allWindows()) {
    if (window->handle() != nullptr && static_cast<xcb_window_t>(window->winId()) == id) return window;
  }
  return nullptr;
}

// True when window is the modal dialog or one of the windows it owns (a menu of its own, say).
bool BelongsTo(const QWindow* window, const QWindow* modal) {
  for (const QWindow* w = window; w != nullptr; w = w->transientParent() ? w->transientParent() : w->parent()) {
    if (w == modal) return true;
  }
  return false;
}

}  // namespace

TModalFocus::TModalFocus() {
  Connection = xcb_connect(nullptr, nullptr);
  if (Connection != nullptr && xcb_connection_has_error(Connection) != 0) {
    xcb_disconnect(Connection);
    Connection = nullptr;
  }
}

TModalFocus::~TModalFocus() {
  if (Connection != nullptr) xcb_disconnect(Connection);
}

bool TModalFocus::nativeEventFilter(const QByteArray& eventType, void* message, long* /*result*/) {
  if (Connection == nullptr || eventType != "xcb_generic_event_t") return false;
  const auto* event = static_cast<const xcb_generic_event_t*>(message);
  const int type = event->response_type & 0x7f;
  if (type != XCB_FOCUS_IN && type != XCB_FOCUS_OUT) return false;
  const auto* focus = static_cast<const xcb_focus_in_event_t*>(message);  // same layout for both
  if (focus->mode != XCB_NOTIFY_MODE_NORMAL && focus->mode != XCB_NOTIFY_MODE_WHILE_GRABBED) return false;

  QWindow* modal = QGuiApplication::modalWindow();
  if (modal == nullptr || !modal->isVisible() || modal->handle() == nullptr) return false;
  QWindow* window = WindowOf(focus->event);
  if (window == nullptr) return false;
  // A window losing the focus while the dialog is open: Qt would ask the window manager to give it
  // to the dialog. The focus arriving at a blocked window comes back to the dialog below.
  if (type == XCB_FOCUS_OUT) return true;
  if (BelongsTo(window, modal)) return false;

  xcb_set_input_focus(Connection, XCB_INPUT_FOCUS_PARENT, static_cast<xcb_window_t>(modal->winId()),
                      XCB_CURRENT_TIME);
  xcb_flush(Connection);
  return true;
}
