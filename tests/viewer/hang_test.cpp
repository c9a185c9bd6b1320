// Exhibitions hung by pinacora-data from folders of pictures of every shape, some with real 3D
// models among them, shown by the real viewer: check passes, no two works overlap, every work can
// be chosen and flown to, the flight ends inside the room with the whole work in view, and the
// screen then shows the work.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>
#include <QScreen>
#include <QThread>
#include <Inventor/SbBox.h>
#include <Inventor/SbViewVolume.h>
#include <Inventor/actions/SoGetBoundingBoxAction.h>
#include <Inventor/actions/SoSearchAction.h>
#include <Inventor/nodes/SoCoordinate3.h>
#include <Inventor/nodes/SoIndexedFaceSet.h>
#include <Inventor/nodes/SoPerspectiveCamera.h>
#include <Inventor/nodes/SoSelection.h>
#include <Inventor/Qt/viewers/SoQtExaminerViewer.h>
#include <QTest>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <sys/wait.h>

#include "common/pseudorandom.h"
#include "programwindows.h"
#include "tempfolder.h"

namespace fs = std::filesystem;

namespace {

// Portrait, landscape, square, panoramic, tall and very wide, in pixels.
const QSize kShapes[] = {{30, 40}, {40, 30}, {32, 32}, {64, 16}, {20, 50}, {72, 12}};

// Real models from Debian packages: a textured glTF box, a slender lava lamp and a chess pawn in
// Inventor.
const char* const kModels[] = {"/usr/share/assimp/models/glTF2/BoxTextured-glTF-Binary/BoxTextured.glb",
                               "/usr/share/inventor/data/models/toys/lavalamp.iv",
                               "/usr/share/inventor/data/models/chess/pawn.iv"};

bool ModelsInstalled() {
  for (const char* model : kModels) {
    if (!fs::exists(model)) return false;
  }
  return true;
}

QColor ColourOf(int i) { return QColor::fromHsv((i * 47) % 360, 200 + (i % 3) * 20, 230); }

struct THangCase {
  int Works = 0;
  int Models = 0;  // spread evenly from the second work on
  int ModelHeightCm = 0;  // hang's default when 0
  bool IsModel(int i) const {
    const int step = Models > 0 ? std::max(1, (Works - 1) / Models) : 1;
    return Models > 0 && i >= 1 && (i - 1) % step == 0 && (i - 1) / step < Models;
  }
};

struct TFolderOfPictures {
  TTempFolder Scratch;
  const std::string& Root = Scratch.Path();
  THangCase Case;
  explicit TFolderOfPictures(const THangCase& which) : Case(which) {
    fs::create_directory(Root + "/quadri");
    int model = 0;
    for (int i = 0; i < Case.Works; ++i) {
      char name[64];
      if (Case.IsModel(i)) {
        const std::string file = kModels[model++ % 3];
        std::snprintf(name, sizeof name, "/quadri/opera %03d", i);
        fs::copy_file(file, Root + name + fs::path(file).extension().string());
        continue;
      }
      QImage image(kShapes[i % 6], QImage::Format_RGB888);
      image.fill(ColourOf(i));
      std::snprintf(name, sizeof name, "/quadri/opera %03d.%s", i, i % 2 == 0 ? "png" : "jpg");
      image.save(QString::fromStdString(Root + name), nullptr, 100);
    }
  }
  std::string Data() const { return Root + "/kddata.bin"; }
};

int RunShell(const std::string& command) {
  const int raw = std::system((command + " >/dev/null 2>&1 </dev/null").c_str());
  return raw != -1 && WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

std::string Tool() { return std::string("'") + PINACORA_DATA_TOOL + "'"; }

SbViewVolume ViewFrom(const SbVec3f& eye, const SbVec3f& target, float aspect) {
  auto* camera = new SoPerspectiveCamera;
  camera->ref();
  camera->position = eye;
  camera->pointAt(target);
  const SbViewVolume volume = camera->getViewVolume(aspect);
  camera->unref();
  return volume;
}

struct TWorkInWorld {
  int Id = 0;
  bool Model = false;
  std::vector<SbVec3f> Corners;  // a picture's four, a model's box's eight
  SbVec3f Center, Normal;
  float Distance = 0;
};

class HangTest : public ::testing::TestWithParam<THangCase>, protected TProgramWindows {
 protected:
  void SetUp() override {
    if (GetParam().Models > 0 && !ModelsInstalled()) GTEST_SKIP() << "assimp-testmodels or inventor-data is not installed";
    folder = std::make_unique<TFolderOfPictures>(GetParam());
    ASSERT_EQ(RunShell(Tool() + " hang '" + folder->Root + "/quadri' -o '" + folder->Data() + "' --quiet" +
                       (GetParam().ModelHeightCm > 0 ? " --model-height " + std::to_string(GetParam().ModelHeightCm) : "")), 0);
    StartProgramOn(folder->Data());
  }
  void TearDown() override { StopProgram(); }

  // A work as the viewer finds it: its face's corners in the world, centre, facing, distance.
  bool Find(int id, TWorkInWorld& work) {
    work.Id = id;
    if (!viewer->GetObjectCenter(id, work.Center) || !viewer->GetObjectNormal(id, work.Normal) ||
        !viewer->GetObjectViewDistance(id, work.Distance)) {
      return false;
    }
    SoSearchAction byName;
    byName.setName(SbName(("KD_" + std::to_string(id)).c_str()));
    byName.setInterest(SoSearchAction::FIRST);
    byName.apply(viewer->SelectionNode);
    SoPath* path = byName.getPath();
    if (path == nullptr) return false;
    path->ref();
    const SbMatrix matrix = viewer->GetPathMatrix(path);
    SoSearchAction coordinates;
    coordinates.setType(SoCoordinate3::getClassTypeId());
    coordinates.setInterest(SoSearchAction::LAST);
    coordinates.apply(path);
    bool found = false;
    work.Model = path->getTail()->isOfType(SoIndexedFaceSet::getClassTypeId()) &&
                 static_cast<SoIndexedFaceSet*>(path->getTail())->coordIndex.getNum() > 5;
    if (work.Model) {
      // The box of the faces the model draws, in the room.
      const auto* faces = static_cast<SoIndexedFaceSet*>(path->getTail());
      const auto* coords = coordinates.getPath() != nullptr &&
                                   coordinates.getPath()->getTail()->isOfType(SoCoordinate3::getClassTypeId())
                               ? static_cast<SoCoordinate3*>(coordinates.getPath()->getTail())
                               : nullptr;
      SbBox3f box;
      for (int i = 0; coords != nullptr && i < faces->coordIndex.getNum(); ++i) {
        const int index = faces->coordIndex[i];
        if (index < 0 || index >= coords->point.getNum()) continue;
        SbVec3f p;
        matrix.multVecMatrix(coords->point[index], p);
        box.extendBy(p);
      }
      found = !box.isEmpty();
      for (int c = 0; found && c < 8; ++c) {
        work.Corners.emplace_back(c & 1 ? box.getMax()[0] : box.getMin()[0], c & 2 ? box.getMax()[1] : box.getMin()[1],
                                  c & 4 ? box.getMax()[2] : box.getMin()[2]);
      }
    } else if (coordinates.getPath() != nullptr && coordinates.getPath()->getTail()->isOfType(SoCoordinate3::getClassTypeId())) {
      const auto* coords = static_cast<SoCoordinate3*>(coordinates.getPath()->getTail());
      found = coords->point.getNum() >= 4;
      for (int i = 0; found && i < 4; ++i) {
        SbVec3f p;
        matrix.multVecMatrix(coords->point[i], p);
        work.Corners.push_back(p);
      }
    }
    coordinates.reset();
    path->unref();
    byName.reset();
    return found;
  }

  SoCamera* Camera() { return viewer->ExaminerViewer->getCamera(); }

  SbBox3f RoomBox() {
    SoGetBoundingBoxAction box(viewer->GetViewportRegion());
    box.apply(viewer->ModelGroup);
    return box.getBoundingBox();
  }

  // The eye at the end of a flight, for the random draw r, as the viewer computes it.
  static SbVec3f EyeFor(const TWorkInWorld& work, int r) {
    SbVec3f eye = work.Center + work.Distance * work.Normal + SbVec3f(float(r) * 2.0f / 32767.0f - 1.5f, 0, 0);
    eye[1] = 1.75f;
    return eye;
  }

  // The view as it is on screen once a frame has reached it: under a loaded X server a grab taken
  // right after rendering can still see the black of a frame not yet shown, so it is taken again.
  QImage Screenshot() {
    QImage shot;
    for (int attempt = 0; attempt < 40; ++attempt) {
      for (int i = 0; i < 5; ++i) QApplication::processEvents();
      viewer->ExaminerViewer->render();
      QWidget* area = viewer->ExaminerViewer->getGLWidget();
      const QPoint origin = area->mapToGlobal(QPoint(0, 0));
      shot = QGuiApplication::primaryScreen()
                 ->grabWindow(0, origin.x(), origin.y(), area->width(), area->height())
                 .toImage()
                 .convertToFormat(QImage::Format_RGB888);
      if (!shot.isNull() && !AllBlack(shot)) break;
      QThread::msleep(50);
    }
    return shot;
  }

  static bool AllBlack(const QImage& image) {
    for (int y = 0; y < image.height(); y += 16) {
      for (int x = 0; x < image.width(); x += 16) {
        if (image.pixelColor(x, y) != Qt::black) return false;
      }
    }
    return true;
  }

  std::unique_ptr<TFolderOfPictures> folder;
};

TEST_P(HangTest, EveryWorkHangsApartAndIsSeenWholeFromTheEndOfItsFlight) {
  EXPECT_EQ(RunShell(Tool() + " check '" + folder->Data() + "'"), 0);

  // The browser's list: one opera per picture or model, in name order.
  TVecInfos operas;
  banker->ListOperas(operas);
  ASSERT_EQ(int(operas.size()), GetParam().Works);
  for (int i = 0; i < GetParam().Works; ++i) {
    char title[32];
    std::snprintf(title, sizeof title, "Opera %03d", i);
    EXPECT_EQ(operas[std::size_t(i)].Name, title);
  }

  const SbBox3f room = RoomBox();
  ASSERT_FALSE(room.isEmpty());
  std::vector<TWorkInWorld> works;
  int onEndWalls = 0;
  for (const TagInfo& opera : operas) {
    TWorkInWorld work;
    ASSERT_TRUE(Find(opera.Id, work)) << "opera " << opera.Id << " cannot be flown to";
    works.push_back(work);
    const int index = int(works.size()) - 1;
    EXPECT_EQ(work.Model, GetParam().IsModel(index)) << "opera " << opera.Id;
    // Hung upright on a wall (or standing in the room's middle), facing into the room, inside it
    // and above the floor: a model on its plinth.
    EXPECT_NEAR(std::fabs(work.Normal[0]) + std::fabs(work.Normal[2]), 1.0f, 1e-4f);
    EXPECT_NEAR(work.Normal[1], 0.0f, 1e-4f);
    if (!work.Model && std::fabs(work.Normal[0]) > 0.5f) ++onEndWalls;
    for (const SbVec3f& corner : work.Corners) {
      EXPECT_TRUE(room.intersect(corner)) << "opera " << opera.Id << " sticks out of the room";
      EXPECT_GT(corner[1], work.Model ? 0.1f : 0.25f);
    }
    // From both ends of the sideways spread of the flight's end, the eye stays in the room and
    // sees the whole work.
    for (const int r : {0, 16383, 32767}) {
      const SbVec3f eye = EyeFor(work, r);
      EXPECT_TRUE(room.intersect(eye)) << "opera " << opera.Id << " is looked at from outside the room";
      const SbViewVolume volume = ViewFrom(eye, work.Center, 4.0f / 3.0f);
      for (const SbVec3f& corner : work.Corners) {
        SbVec3f screen;
        volume.projectToScreen(corner, screen);
        EXPECT_TRUE(screen[0] > 0.02f && screen[0] < 0.98f && screen[1] > 0.02f && screen[1] < 0.98f)
            << "opera " << opera.Id << ": a corner is out of view from r = " << r;
      }
    }
  }

  // No two faces share any part of a wall, with room for their frames in between; no model
  // comes near another work, plinths included.
  for (std::size_t a = 0; a < works.size(); ++a) {
    SbBox3f boxA;
    for (const SbVec3f& p : works[a].Corners) boxA.extendBy(p);
    for (std::size_t b = a + 1; b < works.size(); ++b) {
      SbBox3f boxB;
      for (const SbVec3f& p : works[b].Corners) boxB.extendBy(p);
      if (works[a].Model || works[b].Model) {
        SbBox3f wide = boxA;
        wide.extendBy(boxA.getMin() - SbVec3f(0.5f, 5, 0.5f));
        wide.extendBy(boxA.getMax() + SbVec3f(0.5f, 5, 0.5f));
        EXPECT_FALSE(wide.intersect(boxB)) << "operas " << works[a].Id << " and " << works[b].Id << " overlap";
        continue;
      }
      // On one wall (the same flat coordinate), the two keep apart along the other.
      for (const int flat : {0, 2}) {
        const auto thin = [flat](const SbBox3f& box) { return box.getMax()[flat] - box.getMin()[flat] < 0.01f; };
        if (!thin(boxA) || !thin(boxB) || std::fabs(boxA.getMin()[flat] - boxB.getMin()[flat]) >= 0.01f) continue;
        const int along = 2 - flat;
        const float gap = std::max(boxB.getMin()[along] - boxA.getMax()[along], boxA.getMin()[along] - boxB.getMax()[along]);
        EXPECT_GT(gap, 0.25f) << "operas " << works[a].Id << " and " << works[b].Id << " overlap";
      }
    }
  }
  // A room of pictures alone has them on its end walls too.
  if (GetParam().Models == 0 && GetParam().Works >= 8) EXPECT_GT(onEndWalls, 0);
}

TEST_P(HangTest, TheChosenWorkFillsTheCentreOfTheViewAtTheEndOfItsFlight) {
  TVecInfos operas;
  banker->ListOperas(operas);
  const int count = GetParam().Works;
  ASSERT_EQ(int(operas.size()), count);
  // Every work of a small exhibition, and a spread of the large ones, each shape among them.
  std::vector<int> chosen;
  for (int i = 0; i < count; ++i) {
    if (count <= 12 || i < 6 || i == count - 1 || i % 37 == 0) chosen.push_back(i);
  }
  ProgramRandom().Seed(97);
  for (const int i : chosen) {
    const int id = operas[std::size_t(i)].Id;
    viewer->FlyToObject(id);
    ASSERT_TRUE(viewer->FlightActive);
    for (int tick = 0; tick < 80 && viewer->FlightActive; ++tick) viewer->TimerCameraSlerpTimer();
    const QImage shot = Screenshot();
    ASSERT_FALSE(shot.isNull());
    const QColor want = ColourOf(i);
    TWorkInWorld work;
    ASSERT_TRUE(Find(id, work));
    if (work.Model) {
      // The model is what the centre of the view shows: without its faces, the centre changes.
      auto* faces = static_cast<SoIndexedFaceSet*>(SoNode::getByName(("KD_" + std::to_string(id)).c_str()));
      ASSERT_NE(faces, nullptr);
      std::vector<std::int32_t> indices(faces->coordIndex.getValues(0), faces->coordIndex.getValues(0) + faces->coordIndex.getNum());
      faces->coordIndex.setNum(0);
      const QImage without = Screenshot();
      faces->coordIndex.setValues(0, int(indices.size()), indices.data());
      const QColor with = shot.pixelColor(shot.width() / 2, shot.height() / 2);
      const QColor behind = without.pixelColor(shot.width() / 2, shot.height() / 2);
      EXPECT_GT(std::abs(with.red() - behind.red()) + std::abs(with.green() - behind.green()) + std::abs(with.blue() - behind.blue()), 20)
          << "opera " << id << ": the centre shows " << behind.name().toStdString() << " with or without the model";
      continue;
    }
    // The centre and points a quarter of the way to the work's edges show the picture's colour.
    const SbViewportRegion region = viewer->GetViewportRegion();
    const SbViewVolume volume = Camera()->getViewVolume(region.getViewportAspectRatio());
    for (const float share : {0.0f, 0.4f}) {
      for (const SbVec3f& corner : work.Corners) {
        const SbVec3f point = work.Center + (corner - work.Center) * share;
        SbVec3f screen;
        volume.projectToScreen(point, screen);
        const int x = int(screen[0] * shot.width()), y = int((1 - screen[1]) * shot.height());
        ASSERT_TRUE(shot.rect().contains(x, y));
        if (share == 0.0f) {
          EXPECT_NEAR(x, shot.width() / 2, 2);
          EXPECT_NEAR(y, shot.height() / 2, 2);
        }
        const QColor got = shot.pixelColor(x, y);
        EXPECT_LE(std::abs(got.red() - want.red()) + std::abs(got.green() - want.green()) + std::abs(got.blue() - want.blue()), 60)
            << "opera " << id << " at " << x << "," << y << ": got " << got.name().toStdString() << ", painted "
            << want.name().toStdString();
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Pictures, HangTest,
                         ::testing::Values(THangCase{1, 0}, THangCase{8, 0}, THangCase{40, 0}, THangCase{150, 0}),
                         [](const ::testing::TestParamInfo<THangCase>& info) { return std::to_string(info.param.Works); });
// One picture and two models; the same with models as tall as a person (the slender lamp then
// needs a longer view than its width and height give); a dozen works, three of them models.
INSTANTIATE_TEST_SUITE_P(Models, HangTest, ::testing::Values(THangCase{3, 2}, THangCase{3, 2, 190}, THangCase{12, 3}),
                         [](const ::testing::TestParamInfo<THangCase>& info) {
                           return std::to_string(info.param.Works) + "with" + std::to_string(info.param.Models) +
                                  (info.param.ModelHeightCm > 0 ? "at" + std::to_string(info.param.ModelHeightCm) : "");
                         });

}  // namespace
