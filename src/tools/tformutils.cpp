#include "tformutils.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSaveFile>
#include <Inventor/SbName.h>
#include <Inventor/SbString.h>
#include <Inventor/SoOutput.h>
#include <Inventor/actions/SoWriteAction.h>
#include <Inventor/nodes/SoNode.h>
#include <Inventor/nodes/SoSelection.h>
#include <cstdlib>
#include <memory>
#include <stdexcept>

#include "common/dialogs.h"
#include "common/showtool.h"
#include "common/texts.h"
#include "ui_tformutils.h"

const QString TFormUtils::SaveFilter = QStringLiteral("Open Inventor File (*.iv);;All file types (*)");

namespace {

const QPoint kDesignedPosition(663, 206);
const QString kSaveSuffix = QStringLiteral("iv");

// SoOutput grows its memory buffer with this.
void* GrowBuffer(void* buffer, size_t size) { return std::realloc(buffer, size); }

struct FreeDeleter {
  void operator()(void* buffer) const { std::free(buffer); }
};

// The node written as ASCII Inventor text.
QByteArray InventorText(SoNode* root) {
  constexpr size_t kInitialSize = 4096;
  std::unique_ptr<void, FreeDeleter> initial(std::malloc(kInitialSize));
  if (!initial) throw std::bad_alloc();
  SoOutput output;
  output.setBuffer(initial.release(), kInitialSize, GrowBuffer);
  SoWriteAction writer(&output);
  writer.apply(root);
  void* buffer = nullptr;
  size_t size = 0;
  output.getBuffer(buffer, size);
  // The buffer, moved by any growth, stays ours: the output never frees it.
  std::unique_ptr<void, FreeDeleter> owned(buffer);
  return QByteArray(static_cast<const char*>(owned.get()), static_cast<int>(size));
}

}  // namespace

TFormUtils::TFormUtils(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint), ui(std::make_unique<Ui::FormUtils>()) {
  ui->setupUi(this);
  Label1 = ui->Label1;
  EditName = ui->EditName;
  ButtonUpdate = ui->ButtonUpdate;
  ButtonSaveToFile = ui->ButtonSaveToFile;
  move(kDesignedPosition);  // the form's size comes with the form, its position does not
  connectSignals();
}

TFormUtils::~TFormUtils() {
  if (HeldNode != nullptr) HeldNode->unref();
}

void TFormUtils::connectSignals() {
  connect(ButtonUpdate, &QPushButton::clicked, this, &TFormUtils::ButtonUpdateClick);
  connect(ButtonSaveToFile, &QPushButton::clicked, this, &TFormUtils::ButtonSaveToFileClick);
}

void TFormUtils::ShowTool(bool show) { ::ShowTool(this, show); }

void TFormUtils::SetHeldNode(SoNode* node) {
  if (node != nullptr) node->ref();
  if (HeldNode != nullptr) HeldNode->unref();
  HeldNode = node;
  if (node != nullptr) EditName->setText(FromCp1252(node->getName().getString()));
}

SoNode* TFormUtils::GetHeldNode() const { return HeldNode; }

void TFormUtils::ButtonUpdateClick() {
  if (HeldNode == nullptr) return;
  const SbString text(ToCp1252(EditName->text()).c_str());
  HeldNode->setName(SbName(text));
}

void TFormUtils::SetSceneToSave(SoNode* root) { SceneToSave = root; }

void TFormUtils::ButtonSaveToFileClick() {
  if (SceneToSave == nullptr) return;
  const QString fileName = Dialogs::GetSaveFileName(this, QString(), QString(), SaveFilter, kSaveSuffix);
  if (fileName.isEmpty()) return;
  SaveScene(SceneToSave, fileName);
}

void TFormUtils::SaveScene(SoNode* root, const QString& fileName) {
  if (root == nullptr) {
    throw std::runtime_error(
        QStringLiteral("Cannot save \"%1\". There is no scene").arg(fileName).toLocal8Bit().toStdString());
  }
  const QByteArray text = InventorText(root);
  QSaveFile file(fileName);
  if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit()) {
    const QString message = QStringLiteral("Cannot create file \"%1\". %2").arg(fileName, file.errorString());
    throw std::runtime_error(message.toLocal8Bit().toStdString());
  }
}
