// An exhibition of real scans and exports (glTF, OBJ with pictures, PLY, STL), packed by the tool
// and shown by the program's own windows: choosing each work in the operas browser flies the
// camera in front of it, and the view shows its front, in its pictures where it has them.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QGuiApplication>
#include <QScreen>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <Inventor/SbViewportRegion.h>
#include <Inventor/SoPickedPoint.h>
#include <Inventor/SoPath.h>
#include <Inventor/actions/SoRayPickAction.h>
#include <Inventor/Qt/viewers/SoQtExaminerViewer.h>
#include <Inventor/nodes/SoCamera.h>
#include <Inventor/nodes/SoSelection.h>
#include <algorithm>
#include <cmath>
#include <memory>

#include "programwindows.h"
#include "windows/tformtreeview.h"

namespace {

const QString kModels = QStringLiteral("/usr/share/assimp/models");

struct TWork {
  int Id;
  QString File;
  float X, Z, Facing;
  bool Textured;
};

// Around the visitor's start, each facing the middle of the room.
const TWork kWorks[] = {
    {401, kModels + "/glTF2/BoxTextured-glTF/BoxTextured.gltf", 4, 0, 270, true},
    {402, kModels + "/PLY/cube.ply", -4, 0, 90, false},
    {403, kModels + "/OBJ/spider.obj", 0, 4, 180, true},
    {404, kModels + "/STL/Spider_binary.stl", 0, -4, 0, false},
};

QString Manifest() {
  QString models, operas;
  for (const TWork& w : kWorks) {
    models += QString(R"(%1{ "file": "%2", "work": %3, "position": [%4, 0, %5], "facing": %6, "height": 1.2%7 })")
                  .arg(models.isEmpty() ? "" : ", ", w.File)
                  .arg(w.Id)
                  .arg(w.X)
                  .arg(w.Z)
                  .arg(w.Facing)
                  .arg(w.File.endsWith(".stl") ? R"(, "up": "+z", "front": "-y")" : "");
    operas += QString(R"(, { "kind": "opera", "id": %1, "name": "Opera %1" })").arg(w.Id);
  }
  return R"({ "lists": [
    { "kind": "scene", "id": 110, "name": "Sala", "shape": "room.iv" },
    { "kind": "scene", "id": 120, "name": "Opere", "models": [ )" +
         models + " ] }" + operas + " ] }";
}

const char kRoom[] = "#Inventor V2.1 ascii\nSeparator { Material { diffuseColor 0.3 0.3 0.3 }\n"
                     "Coordinate3 { point [ -9 0 -9, 9 0 -9, 9 0 9, -9 0 9 ] }\n"
                     "IndexedFaceSet { coordIndex [ 0, 3, 2, 1, -1 ] } }\n";

bool Write(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

class ModelWorksTest : public ::testing::Test, protected TProgramWindows {
 protected:
  static void SetUpTestSuite() {
    for (const TWork& w : kWorks) {
      if (!QFile::exists(w.File)) {
        Problem = "assimp-testmodels is not installed (" + w.File.toStdString() + ")";
        return;
      }
    }
    Folder = std::make_unique<QTemporaryDir>();
    const QString manifest = Folder->filePath("manifest.json");
    DataFile = Folder->filePath("kddata.bin").toStdString();
    if (!Write(Folder->filePath("room.iv"), kRoom) || !Write(manifest, Manifest().toUtf8())) {
      Problem = "cannot write the manifest";
      return;
    }
    QProcess pack;
    pack.start(PINACORA_DATA_TOOL, {"pack", manifest, "-o", QString::fromStdString(DataFile)});
    if (!pack.waitForFinished(60000) || pack.exitStatus() != QProcess::NormalExit || pack.exitCode() != 0) {
      Problem = "pack failed: " + pack.readAllStandardError().toStdString();
    }
  }
  static void TearDownTestSuite() { Folder.reset(); }

  void SetUp() override {
    if (!Problem.empty()) GTEST_SKIP() << Problem;
    StartProgramOn(DataFile, TFormMain::TreeViewWindow);
    Browser = FormTreeView;
  }
  void TearDown() override { StopProgram(); }

  // The 3D view as it is on screen, drawn afresh.
  QImage View() {
    viewer->ExaminerViewer->render();
    QApplication::processEvents();
    QWidget* area = viewer->ExaminerViewer->getGLWidget();
    return QGuiApplication::primaryScreen()->grabWindow(area->winId()).toImage().convertToFormat(QImage::Format_RGB32);
  }

  // The name of the nearest thing on the camera's line of sight, in the pickable model.
  std::string NameAhead() {
    const SbViewportRegion region = viewer->GetViewportRegion();
    SoRayPickAction pick(region);
    pick.setPoint(SbVec2s(region.getViewportSizePixels()[0] / 2, region.getViewportSizePixels()[1] / 2));
    pick.setRadius(2.0f);
    pick.apply(viewer->SelectionNode);
    const SoPickedPoint* point = pick.getPickedPoint();
    return point != nullptr && point->getPath() != nullptr ? point->getPath()->getTail()->getName().getString()
                                                           : std::string();
  }

  static std::unique_ptr<QTemporaryDir> Folder;
  static std::string DataFile;
  static std::string Problem;
  TFormTreeView* Browser = nullptr;
};

std::unique_ptr<QTemporaryDir> ModelWorksTest::Folder;
std::string ModelWorksTest::DataFile;
std::string ModelWorksTest::Problem;

TEST_F(ModelWorksTest, TheBrowserFliesToEachWorkAndSeesItFromTheFront) {
  main->ViewTreeViewClick();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(Browser));
  ASSERT_EQ(Browser->ComboBoxOperas->count(), 4);
  for (int index = 0; index < 4; ++index) {
    const TWork& work = kWorks[index];
    SCOPED_TRACE(work.File.toStdString());
    // Chosen in the list as a visitor chooses it.
    Browser->ComboBoxOperas->setCurrentIndex(index);
    emit Browser->ComboBoxOperas->activated(index);
    ASSERT_TRUE(viewer->FlightActive);
    for (int tick = 0; tick < 80 && viewer->FlightActive; ++tick) viewer->TimerCameraSlerpTimer();
    ASSERT_FALSE(viewer->FlightActive);

    SbVec3f centre, normal;
    ASSERT_TRUE(viewer->GetObjectCenter(work.Id, centre));
    ASSERT_TRUE(viewer->GetObjectNormal(work.Id, normal));
    const SbVec3f eye = viewer->ExaminerViewer->getCamera()->position.getValue();
    EXPECT_FLOAT_EQ(eye[1], 1.75f);
    // The work stands where the manifest put it and looks where it said.
    EXPECT_NEAR(centre[0], work.X, 0.7f);
    EXPECT_NEAR(centre[2], work.Z, 0.7f);
    const double facing = double(work.Facing) * M_PI / 180.0;
    EXPECT_NEAR(normal[0], std::sin(facing), 1e-4);
    EXPECT_NEAR(normal[2], std::cos(facing), 1e-4);
    // The camera is on the front side of the work, which faces the middle of the room.
    SbVec3f toEye = eye - centre;
    toEye[1] = 0;
    toEye.normalize();
    EXPECT_GT(toEye.dot(normal), 0.5f);

    // Straight ahead of the camera, the first thing in view is the work itself.
    EXPECT_EQ(NameAhead(), "KD_" + std::to_string(work.Id));

    // Where it has pictures, the middle of the view shows their colours; the others are grey.
    const QImage view = View();
    ASSERT_FALSE(view.isNull());
    const QPoint mid(view.width() / 2, view.height() / 2);
    int coloured = 0;
    for (int y = mid.y() - 40; y < mid.y() + 40; ++y) {
      for (int x = mid.x() - 40; x < mid.x() + 40; ++x) {
        const QRgb p = view.pixel(x, y);
        coloured += std::max({qRed(p), qGreen(p), qBlue(p)}) - std::min({qRed(p), qGreen(p), qBlue(p)}) > 40;
      }
    }
    if (work.Textured) {
      EXPECT_GT(coloured, 200);
    } else {
      EXPECT_EQ(coloured, 0);
    }
  }
}

}  // namespace
