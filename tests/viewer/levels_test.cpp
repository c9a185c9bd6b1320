// A real model large enough to be packed in levels of detail (the earth of inventor-data, its seas
// and lands in two materials), shown by the viewer: every tick of a flight to it is drawn, the
// flight ends where its full level shows, in its colours, and from afar its coarse level shows
// and a click on it still picks the work.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>
#include <QScreen>
#include <QTemporaryDir>
#include <Inventor/SoPath.h>
#include <Inventor/actions/SoCallbackAction.h>
#include <Inventor/nodes/SoIndexedFaceSet.h>
#include <Inventor/nodes/SoPerspectiveCamera.h>
#include <Inventor/nodes/SoSelection.h>
#include <Inventor/Qt/viewers/SoQtExaminerViewer.h>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>

#include "scene/workqueries.h"
#include "programwindows.h"

namespace {

const char kEarth[] = "/usr/share/inventor/data/models/geography/earth.iv";
constexpr int kWork = 801;

class LevelsTest : public ::testing::Test, protected TProgramWindows {
 protected:
  static void SetUpTestSuite() {
    if (!std::filesystem::exists(kEarth)) return;
    Folder = new QTemporaryDir;
    const std::string dir = Folder->path().toStdString();
    std::ofstream(dir + "/room.iv") << "#Inventor V2.1 ascii\nSeparator { Material { diffuseColor 0.3 0.3 0.3 }\n"
                                       "Coordinate3 { point [ -9 0 -9, 9 0 -9, 9 0 9, -9 0 9 ] }\n"
                                       "IndexedFaceSet { coordIndex [ 0, 3, 2, 1, -1 ] } }\n";
    std::ofstream(dir + "/manifest.json") << R"({ "lists": [
      { "kind": "scene", "id": 110, "name": "Sala", "shape": "room.iv" },
      { "kind": "scene", "id": 120, "name": "Opere", "models": [
        { "file": ")" << kEarth << R"(", "work": 801, "position": [4, 0, 0], "facing": 270, "height": 0.8 } ] },
      { "kind": "opera", "id": 801, "name": "Terra" } ] })";
    const std::string command = std::string("'") + PINACORA_DATA_TOOL + "' pack '" + dir + "/manifest.json' -o '" +
                                dir + "/kddata.bin' --quiet";
    Packed = std::system(command.c_str()) == 0;
  }
  static void TearDownTestSuite() {
    delete Folder;
    Folder = nullptr;
  }
  void SetUp() override {
    if (Folder == nullptr) GTEST_SKIP() << "inventor-data is not installed";
    ASSERT_TRUE(Packed);
    StartProgramOn(Folder->filePath("kddata.bin").toStdString());
    SoPath* full = FindWork(viewer->SelectionNode, kWork);
    ASSERT_NE(full, nullptr);
    Full = full->getTail();
    full->unref();
  }
  void TearDown() override { StopProgram(); }

  // The work's face sets Coin takes for the view as its camera now stands.
  std::set<const SoNode*> Drawn() {
    std::set<const SoNode*> drawn;
    SoCallbackAction action(viewer->GetViewportRegion());
    action.addPreCallback(
        SoIndexedFaceSet::getClassTypeId(),
        [](void* data, SoCallbackAction*, const SoNode* node) {
          if (node->getName() == SbName("KD_801")) static_cast<std::set<const SoNode*>*>(data)->insert(node);
          return SoCallbackAction::CONTINUE;
        },
        &drawn);
    action.apply(viewer->SceneRoot);
    return drawn;
  }

  QImage View() {
    viewer->ExaminerViewer->render();
    QApplication::processEvents();
    QWidget* area = viewer->ExaminerViewer->getGLWidget();
    return QGuiApplication::primaryScreen()->grabWindow(area->winId()).toImage().convertToFormat(QImage::Format_RGB32);
  }

  static QTemporaryDir* Folder;
  static bool Packed;
  const SoNode* Full = nullptr;
};

QTemporaryDir* LevelsTest::Folder = nullptr;
bool LevelsTest::Packed = false;

TEST_F(LevelsTest, EveryTickOfTheFlightIsDrawnAndItEndsOnTheFullLevelInItsColours) {
  viewer->FlyToObject(kWork);
  ASSERT_TRUE(viewer->FlightActive);
  const int frames = RunFlightCountingFrames();
  EXPECT_FALSE(viewer->FlightActive);
  EXPECT_GE(frames, 80);
  const std::set<const SoNode*> drawn = Drawn();
  ASSERT_EQ(drawn.size(), 1u);
  EXPECT_EQ(*drawn.begin(), Full);

  // The middle of the view shows seas and lands.
  const QImage view = View();
  ASSERT_FALSE(view.isNull());
  int sea = 0, land = 0;
  for (int y = view.height() / 2 - 60; y < view.height() / 2 + 60; ++y) {
    for (int x = view.width() / 2 - 60; x < view.width() / 2 + 60; ++x) {
      const QRgb p = view.pixel(x, y);
      sea += qBlue(p) > qRed(p) + 40;
      land += qRed(p) > qBlue(p) + 30;
    }
  }
  EXPECT_GT(sea, 500);
  EXPECT_GT(land, 100);
}

TEST_F(LevelsTest, FromAfarACoarseLevelShowsAndAClickOnItPicksTheWork) {
  SbVec3f centre;
  ASSERT_TRUE(viewer->GetObjectCenter(kWork, centre));
  SoCamera* camera = viewer->ExaminerViewer->getCamera();
  camera->position = SbVec3f(-7, 1.75f, 0);
  camera->pointAt(centre);
  const std::set<const SoNode*> drawn = Drawn();
  ASSERT_EQ(drawn.size(), 1u);
  EXPECT_NE(*drawn.begin(), Full);

  // The middle of the view is the work's centre. A click picks in what was drawn last (the view
  // sets the camera's clipping planes as it draws).
  View();
  const SbVec2s size = viewer->GetViewportRegion().getWindowSize();
  viewer->PickAt(std::uint16_t(size[0] / 2), std::uint16_t(size[1] / 2));
  EXPECT_TRUE(viewer->FlightActive);
  EXPECT_EQ(viewer->LastPickedId, kWork);
  EXPECT_LT((viewer->FlightTarget - centre).length(), 0.5f);
}

}  // namespace
