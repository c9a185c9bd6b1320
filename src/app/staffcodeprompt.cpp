#include "staffcodeprompt.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
constexpr int kKeySize = 64;
const QString kTitle = QStringLiteral(" Pinacora :  Personale");
const QString kAsk = QStringLiteral("Codice del personale per chiudere Pinacora:");
const QString kWrong = QStringLiteral("Codice errato. Riprovare.");

QPushButton* MakeKey(const QString& text, QWidget* parent) {
  auto* key = new QPushButton(text, parent);
  key->setMinimumSize(kKeySize, kKeySize);
  key->setAutoDefault(false);
  key->setFocusPolicy(Qt::NoFocus);
  return key;
}
}  // namespace

TStaffCodePrompt::TStaffCodePrompt(const QString& code, QWidget* parent) : QDialog(parent), Code(code) {
  setObjectName(QStringLiteral("StaffCodePrompt"));
  setWindowTitle(kTitle);
  setModal(true);
  QFont large = font();
  large.setPixelSize(22);
  setFont(large);
  Layout = new QVBoxLayout(this);
  createField();
  createKeypad();
  createButtons();
}

void TStaffCodePrompt::createField() {
  auto* ask = new QLabel(kAsk, this);
  Layout->addWidget(ask);
  CodeField = new QLineEdit(this);
  CodeField->setObjectName(QStringLiteral("CodeField"));
  CodeField->setEchoMode(QLineEdit::Password);
  CodeField->setMinimumHeight(kKeySize);
  Layout->addWidget(CodeField);
  MessageLabel = new QLabel(this);
  MessageLabel->setObjectName(QStringLiteral("CodeMessage"));
  Layout->addWidget(MessageLabel);
}

void TStaffCodePrompt::createKeypad() {
  Keypad = new QGridLayout();
  for (int digit = 1; digit <= 9; ++digit) {
    QPushButton* key = MakeKey(QString::number(digit), this);
    connect(key, &QPushButton::clicked, this, [this, digit] { Type(QString::number(digit)); });
    Keypad->addWidget(key, (digit - 1) / 3, (digit - 1) % 3);
  }
  QPushButton* erase = MakeKey(QStringLiteral("\u2190"), this);
  erase->setObjectName(QStringLiteral("KeyErase"));
  connect(erase, &QPushButton::clicked, this, &TStaffCodePrompt::Erase);
  Keypad->addWidget(erase, 3, 0);
  QPushButton* zero = MakeKey(QStringLiteral("0"), this);
  connect(zero, &QPushButton::clicked, this, [this] { Type(QStringLiteral("0")); });
  Keypad->addWidget(zero, 3, 1);
  Layout->addLayout(Keypad);
}

void TStaffCodePrompt::createButtons() {
  auto* row = new QHBoxLayout();
  auto* cancel = new QPushButton(QStringLiteral("Annulla"), this);
  cancel->setObjectName(QStringLiteral("ButtonCancel"));
  cancel->setMinimumHeight(kKeySize);
  cancel->setAutoDefault(false);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  auto* ok = new QPushButton(QStringLiteral("OK"), this);
  ok->setObjectName(QStringLiteral("ButtonOk"));
  ok->setMinimumHeight(kKeySize);
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &TStaffCodePrompt::Confirm);
  row->addWidget(cancel);
  row->addWidget(ok);
  Layout->addLayout(row);
}

void TStaffCodePrompt::Type(const QString& text) {
  CodeField->insert(text);
  CodeField->setFocus();
}

void TStaffCodePrompt::Erase() { CodeField->backspace(); }

void TStaffCodePrompt::Confirm() {
  if (SameCode(CodeField->text(), Code)) {
    accept();
    return;
  }
  CodeField->clear();
  MessageLabel->setText(kWrong);
}

bool TStaffCodePrompt::SameCode(const QString& given, const QString& code) {
  if (code.isEmpty()) return false;
  int difference = given.size() ^ code.size();
  for (int i = 0; i < given.size(); ++i) difference |= given[i].unicode() ^ code[i % code.size()].unicode();
  return difference == 0;
}

bool TStaffCodePrompt::Ask() {
  CodeField->clear();
  MessageLabel->clear();
  CodeField->setFocus();
  return exec() == QDialog::Accepted;
}
