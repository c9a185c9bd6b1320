#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <Inventor/SoDB.h>
#include <Inventor/SoInput.h>
#include <Inventor/actions/SoSearchAction.h>
#include <Inventor/nodes/SoCube.h>
#include <Inventor/nodes/SoIndexedFaceSet.h>
#include <Inventor/nodes/SoSelection.h>
#include <Inventor/nodes/SoSeparator.h>
#include <stdexcept>

#include "tools_fixture.h"

namespace {

// The names of the face sets under root.
QStringList FaceSetNames(SoNode* root) {
  SoSearchAction search;
  search.setType(SoIndexedFaceSet::getClassTypeId());
  search.setInterest(SoSearchAction::ALL);
  search.apply(root);
  QStringList names;
  const SoPathList& paths = search.getPaths();
  for (int i = 0; i < paths.getLength(); ++i) names << paths[i]->getTail()->getName().getString();
  names.sort();
  return names;
}

}  // namespace

TEST_F(ToolsTest, UpdateRenamesThePickedWorkSoTheNextPickReportsTheNewId) {
  EXPECT_EQ(utils->windowTitle(), QStringLiteral(" Pinacora : Utils"));
  EXPECT_EQ(utils->EditName->text(), QStringLiteral("KD_"));
  utils->ShowTool(true);
  const QPoint at = FaceWork(11);
  PickAt(at);
  ASSERT_NE(utils->GetHeldNode(), nullptr);
  EXPECT_TRUE(utils->GetHeldNode()->isOfType(SoIndexedFaceSet::getClassTypeId()));
  EXPECT_EQ(utils->EditName->text(), QStringLiteral("KD_11"));
  EXPECT_EQ(main->CurrentOpera, 11);

  utils->EditName->setText("KD_13");
  utils->ButtonUpdateClick();
  EXPECT_STREQ(utils->GetHeldNode()->getName().getString(), "KD_13");
  viewer->FlightActive = false;
  PickAt(at);
  EXPECT_EQ(main->CurrentOpera, 13);
  EXPECT_EQ(viewer->LastPickedId, 13);
}

TEST_F(ToolsTest, PickingWhileHiddenLeavesTheWindowAloneAndUpdateWithoutANodeDoesNothing) {
  utils->EditName->setText("KD_12");
  utils->ButtonUpdateClick();  // nothing held yet
  const QPoint at = FaceWork(11);
  PickAt(at);
  EXPECT_EQ(main->CurrentOpera, 11);
  EXPECT_EQ(utils->GetHeldNode(), nullptr);
  EXPECT_EQ(utils->EditName->text(), QStringLiteral("KD_12"));
  EXPECT_EQ(FaceSetNames(viewer->SelectionNode),
            (QStringList{"KD_11", "KD_12", "KD_13", "KD_abc", "kd_7"}));
}

TEST_F(ToolsTest, TheHeldNodeOutlivesTheSceneThatDropsIt) {
  auto* first = new SoCube;
  first->ref();
  utils->SetHeldNode(first);
  first->unref();  // the window's reference keeps it
  EXPECT_EQ(first->getRefCount(), 1);
  EXPECT_TRUE(utils->EditName->text().isEmpty());  // the cube has no name
  first->setName("KD_5");
  EXPECT_TRUE(utils->EditName->text().isEmpty());  // the text follows picks, not renames
  utils->EditName->setText("KD_6");
  utils->ButtonUpdateClick();
  EXPECT_STREQ(first->getName().getString(), "KD_6");

  auto* second = new SoCube;
  second->setName("KD_8");
  second->ref();
  utils->SetHeldNode(second);
  EXPECT_EQ(utils->EditName->text(), QStringLiteral("KD_8"));
  EXPECT_EQ(second->getRefCount(), 2);
  utils->SetHeldNode(second);  // the same node again keeps one reference
  EXPECT_EQ(second->getRefCount(), 2);
  second->unref();
}

TEST_F(ToolsTest, SaveToFileWritesTheScene) {
  QTemporaryDir folder;
  ASSERT_TRUE(folder.isValid());
  QString answer;
  QString askedFilter;
  Dialogs::SetSaveFileHook([&](const QString&, const QString&, const QString& filter) {
    askedFilter = filter;
    return answer;
  });
  utils->ButtonSaveToFileClick();  // cancelled
  EXPECT_EQ(askedFilter, QStringLiteral("Open Inventor File (*.iv);;All file types (*)"));
  EXPECT_TRUE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden).isEmpty());

  answer = folder.filePath("scene.iv");
  utils->ButtonSaveToFileClick();
  QFile file(answer);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_TRUE(file.readLine().startsWith("#Inventor V2.1 ascii"));
  file.close();

  SoInput input;
  ASSERT_TRUE(input.openFile(QFile::encodeName(answer).constData()));
  SoSeparator* root = SoDB::readAll(&input);
  ASSERT_NE(root, nullptr);
  root->ref();
  EXPECT_EQ(FaceSetNames(root), FaceSetNames(viewer->SelectionNode));
  root->unref();

  answer = folder.filePath("missing/scene.iv");
  try {
    utils->ButtonSaveToFileClick();
    FAIL() << "no error for " << answer.toStdString();
  } catch (const std::runtime_error& error) {
    EXPECT_TRUE(QString::fromLocal8Bit(error.what()).contains(answer)) << error.what();
  }
}
