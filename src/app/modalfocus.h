// Keeps the keyboard with a modal dialog under window managers that hand the focus back to the
// window the dialog is transient for.
#pragma once

#include <QAbstractNativeEventFilter>

// While a modal dialog is open, the focus given to a window that the dialog blocks goes straight
// to the dialog. Qt itself passes such a focus on by asking the window manager to activate the
// dialog; matchbox answers that by focusing the dialog's parent again, and the two play the focus
// back and forth for as long as the dialog is open (the program busy, the dialog never animated).
// Setting the focus directly leaves the window manager out of it.
class TModalFocus : public QAbstractNativeEventFilter {
 public:
  TModalFocus();
  ~TModalFocus() override;
  TModalFocus(const TModalFocus&) = delete;
  TModalFocus& operator=(const TModalFocus&) = delete;

  bool nativeEventFilter(const QByteArray& eventType, void* message, long* result) override;

 private:
  struct xcb_connection_t* Connection = nullptr;  // our own, only to set the focus
};
