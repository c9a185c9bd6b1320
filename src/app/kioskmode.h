// The program as a kiosk (--kiosk): visitors cannot end it (Exit and close requests ask for the
// staff code; with none set they do nothing), and the tool windows are sized for fingers.
#pragma once

#include <QObject>
#include <QString>

class TKioskMode : public QObject {
  Q_OBJECT
 public:
  TKioskMode(const QString& staffCode, QObject* parent = nullptr);

  // After the main window's start-up, when every window exists.
  void Apply();
  // Exit or a close request: the staff code, then the end; a wrong code or none changes nothing.
  void AskToEnd();
  bool IsAsking() const { return Asking; }

  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void guardExit();
  void sizeForTouch();

  QString StaffCode;
  bool Asking = false;
};
