// The developer's utility window: renames the scene node picked last.
#pragma once

#include <QWidget>

class QLineEdit;
class SoNode;

class TFormUtils : public QWidget {
  Q_OBJECT
 public:
  explicit TFormUtils(QWidget* parent = nullptr);
  ~TFormUtils() override;

  void ShowTool(bool show);
  // The viewer hands over a picked node while this window is visible.
  void SetHeldNode(SoNode* node);
  SoNode* GetHeldNode() const;

  QLineEdit* EditName = nullptr;
};
