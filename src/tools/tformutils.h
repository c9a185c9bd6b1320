// The developer's utility window: renames the scene node picked last.
#pragma once

#include <QString>
#include <QWidget>
#include <memory>

class QLabel;
class QLineEdit;
class QPushButton;
class SoNode;
namespace Ui {
class FormUtils;
}

class TFormUtils : public QWidget {
  Q_OBJECT
 public:
  static const QString SaveFilter;

  explicit TFormUtils(QWidget* parent = nullptr);
  ~TFormUtils() override;

  void ShowTool(bool show);
  // The viewer hands over a picked node while this window is visible. The window keeps a
  // reference to it, so the node stays valid even if the scene lets it go.
  void SetHeldNode(SoNode* node);
  SoNode* GetHeldNode() const;
  // The scene "Save to file" writes: the viewer's pickable scene, which the main window names.
  // Without one the button does nothing.
  void SetSceneToSave(SoNode* root);

  QLineEdit* EditName = nullptr;

 public slots:
  void ButtonUpdateClick();
  void ButtonSaveToFileClick();

 private:
  void connectSignals();
  // Writes the viewer's pickable scene as an ASCII Inventor file; a file that cannot be written
  // throws, naming it and the reason.
  static void SaveScene(SoNode* root, const QString& fileName);

  std::unique_ptr<Ui::FormUtils> ui;
  QLabel* Label1 = nullptr;
  QPushButton* ButtonUpdate = nullptr;
  QPushButton* ButtonSaveToFile = nullptr;
  SoNode* HeldNode = nullptr;
  SoNode* SceneToSave = nullptr;
};
