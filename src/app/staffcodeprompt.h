// The dialog that asks staff for their code before the kiosk ends: a field and a keypad, so that
// a touch screen without a keyboard will do.
#pragma once

#include <QDialog>
#include <QString>

class QLabel;
class QLineEdit;

class TStaffCodePrompt : public QDialog {
  Q_OBJECT
 public:
  TStaffCodePrompt(const QString& code, QWidget* parent = nullptr);

  // Shows the dialog modally; true once the right code was given.
  bool Ask();

  QLineEdit* Field() const { return CodeField; }
  QLabel* Message() const { return MessageLabel; }

  // Compares without stopping at the first differing character.
  static bool SameCode(const QString& given, const QString& code);

 private:
  void createField();
  void createKeypad();
  void createButtons();
  void Type(const QString& text);
  void Erase();
  void Confirm();

  QString Code;
  QLineEdit* CodeField = nullptr;
  QLabel* MessageLabel = nullptr;
  class QGridLayout* Keypad = nullptr;
  class QVBoxLayout* Layout = nullptr;
};
