// A real model large enough to be packed in levels of detail (the earth of inventor-data, its seas
// and lands in two materials), shown by the viewer: every tick of a flight to it is drawn, the
// flight ends where its full level shows, in its colours, and from afar its coarse level shows
// and a click on it still picks the work. A second earth beside it is drawn coarser while a flight
// goes to the first, and in full again once the flight is over. Every level of every work is drawn
// once out of sight, wherever it stands.
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

#include <Inventor/nodes/SoCallback.h>
#include <Inventor/nodes/SoCoordinate3.h>
#include <Inventor/nodes/SoLOD.h>
#include <Inventor/nodes/SoTranslation.h>
#include <QElapsedTimer>

#include "scene/workqueries.h"
#include "viewer/flightlevels.h"
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
        { "file": ")" << kEarth << R"(", "work": 801, "position": [4, 0, 0], "facing": 270, "height": 0.8 },
        { "file": ")" << kEarth << R"(", "work": 802, "position": [4, 0, 3], "facing": 270, "height": 0.8 } ] },
      { "kind": "opera", "id": 801, "name": "Terra" }, { "kind": "opera", "id": 802, "name": "Luna" } ] })";
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
  std::set<const SoNode*> Drawn(int work = kWork) {
    struct TWanted {
      SbName Name;
      std::set<const SoNode*> Drawn;
    } wanted{SbName(("KD_" + std::to_string(work)).c_str()), {}};
    SoCallbackAction action(viewer->GetViewportRegion());
    action.addPreCallback(
        SoIndexedFaceSet::getClassTypeId(),
        [](void* data, SoCallbackAction*, const SoNode* node) {
          auto* wanted = static_cast<TWanted*>(data);
          if (node->getName() == wanted->Name) wanted->Drawn.insert(node);
          return SoCallbackAction::CONTINUE;
        },
        &wanted);
    action.apply(viewer->SceneRoot);
    return wanted.Drawn;
  }
  const SoNode* FullLevelOf(int work) {
    SoPath* full = FindWork(viewer->SelectionNode, work);
    if (full == nullptr) return nullptr;
    const SoNode* tail = full->getTail();
    full->unref();
    return tail;
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

TEST_F(LevelsTest, ANeighbourIsDrawnCoarserOnlyWhileAFlightGoesToAnotherWork) {
  const SoNode* neighbour = FullLevelOf(802);
  ASSERT_NE(neighbour, nullptr);
  SbVec3f centre;
  ASSERT_TRUE(viewer->GetObjectCenter(802, centre));
  // Near both, where each shows its full level.
  auto standNear = [&] {
    SoCamera* camera = viewer->ExaminerViewer->getCamera();
    camera->position = SbVec3f(1.5f, 1.75f, 1.5f);
    camera->pointAt(centre);
  };
  standNear();
  ASSERT_EQ(Drawn(802), std::set<const SoNode*>{neighbour});
  ASSERT_EQ(Drawn(kWork), std::set<const SoNode*>{Full});

  viewer->FlyToObject(kWork);
  ASSERT_TRUE(viewer->FlightActive);
  std::set<const SoNode*> during = Drawn(802);
  ASSERT_EQ(during.size(), 1u);
  EXPECT_NE(*during.begin(), neighbour);
  EXPECT_EQ(Drawn(kWork), std::set<const SoNode*>{Full});  // the work flown to keeps it
  EXPECT_GE(RunFlightCountingFrames(), 80);
  ASSERT_FALSE(viewer->FlightActive);
  standNear();
  EXPECT_EQ(Drawn(802), std::set<const SoNode*>{neighbour});

  // A flight from the first to the second lowers neither: one is where it starts, one where it ends.
  viewer->FlyToObject(802);
  ASSERT_TRUE(viewer->FlightActive);
  EXPECT_EQ(Drawn(802), std::set<const SoNode*>{neighbour});
  EXPECT_EQ(Drawn(kWork), std::set<const SoNode*>{Full});
  RunFlightCountingFrames();
}

// Works of two levels, each level with a counter of the times the view's driver drew it; one of
// them stands behind the camera, one far off, one beside it.
class LevelsWarmTest : public ::testing::Test, protected TProgramWindows {
 protected:
  void SetUp() override { StartProgramOn(VIEWER_FIXTURE); }
  void TearDown() override {
    for (SoNode* work : Works) work->unref();
    StopProgram();
  }

  SoSeparator* MakeWork(int id, const SbVec3f& where, int* counters) {
    auto* work = new SoSeparator;
    work->ref();
    auto* place = new SoTranslation;
    place->translation = where;
    work->addChild(place);
    auto* points = new SoCoordinate3;
    const SbVec3f corners[] = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};
    points->point.setValues(0, 4, corners);
    work->addChild(points);
    auto* lod = new SoLOD;
    const float range = 5;
    lod->range.setValues(0, 1, &range);
    for (int level = 0; level < 2; ++level) {
      auto* group = new SoSeparator;
      auto* counter = new SoCallback;
      counter->setCallback(
          [](void* data, SoAction* action) {
            if (action->isOfType(SoGLRenderAction::getClassTypeId())) ++*static_cast<int*>(data);
          },
          &counters[level]);
      group->addChild(counter);
      auto* faces = new SoIndexedFaceSet;
      const int32_t indices[] = {0, 1, 2, 3, -1};
      faces->coordIndex.setValues(0, 5, indices);
      faces->setName(("KD_" + std::to_string(id)).c_str());
      group->addChild(faces);
      lod->addChild(group);
    }
    work->addChild(lod);
    Works.push_back(work);
    return work;
  }

  std::vector<SoNode*> Works;
};

TEST_F(LevelsWarmTest, EveryLevelOfEveryWorkIsDrawnOnceOutOfSightWhereverItStands) {
  int counts[3][2] = {};
  auto* works = new SoSeparator;
  works->ref();
  const SbVec3f where[] = {{0, 1, 30}, {60, 1, -60}, {2, 1, -3}};
  for (int w = 0; w < 3; ++w) works->addChild(MakeWork(901 + w, where[w], counts[w]));
  SoCamera* camera = viewer->ExaminerViewer->getCamera();
  camera->position = SbVec3f(0, 1.75f, 0);
  camera->pointAt(SbVec3f(0, 1.75f, -10));
  TFlightLevels levels(viewer->ExaminerViewer, nullptr);
  levels.Collect(works);
  EXPECT_EQ(levels.Count(), 3u);
  // Nothing is drawn while a flight is under way.
  levels.Begin(901, -1);
  EXPECT_EQ(levels.Lowered(), 2u);
  QTest::qWait(200);
  EXPECT_EQ(levels.WaitingToWarm(), 3u);
  levels.End();
  EXPECT_EQ(levels.Lowered(), 0u);
  QElapsedTimer wait;
  wait.start();
  while (levels.WaitingToWarm() > 0 && wait.elapsed() < 10000) QTest::qWait(20);
  EXPECT_EQ(levels.WaitingToWarm(), 0u);
  for (int w = 0; w < 3; ++w) {
    SCOPED_TRACE(w);
    EXPECT_GE(counts[w][0], 1);
    EXPECT_GE(counts[w][1], 1);
  }
  works->unref();
}

}  // namespace
