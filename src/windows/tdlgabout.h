// The modal about box: scrolling credits and music.
#pragma once

#include <QDialog>

class TDlgAbout : public QDialog {
  Q_OBJECT
 public:
  explicit TDlgAbout(QWidget* parent = nullptr);
  ~TDlgAbout() override;
};
