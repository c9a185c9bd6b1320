#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTextEdit>
#include <Inventor/nodes/SoCoordinate3.h>
#include <Inventor/nodes/SoLineSet.h>
#include <Inventor/nodes/SoSeparator.h>
#include <Inventor/nodes/SoSphere.h>
#include <Inventor/nodes/SoTransform.h>
#include <stdexcept>

#include "rtflines.h"
#include "tools_fixture.h"

namespace {

QStringList ReadRtfFile(const QString& path) {
  QFile file(path);
  EXPECT_TRUE(file.open(QIODevice::ReadOnly));
  return RtfLines(file.readAll());
}

}  // namespace

TEST_F(ToolsTest, TheLogKeepsItsLinesWhileHiddenAndOnlyClearEmptiesIt) {
  EXPECT_EQ(debug->windowTitle(), QStringLiteral("  Pinacora  :   Debug"));
  {
    TFormDebug designed;  // as the main window makes it, before placing it in the viewer
    EXPECT_EQ(designed.geometry(), QRect(674, 212, 290, 320));
    EXPECT_EQ(designed.minimumSize(), QSize(290, 320));
  }
  EXPECT_TRUE(debug->Lines().isEmpty());
  debug->AppendLine("first");
  debug->AppendLine(QString());
  debug->AppendLine(QString::fromUtf8("<b>Città</b>"));  // never taken for markup
  EXPECT_FALSE(debug->isVisible());

  debug->ShowTool(true);
  EXPECT_TRUE(debug->isVisible());
  const QStringList expected = {"first", "", QString::fromUtf8("<b>Città</b>")};
  EXPECT_EQ(debug->Lines(), expected);

  debug->close();  // the close box hides and keeps the log
  EXPECT_FALSE(debug->isVisible());
  debug->ShowTool(true);
  debug->findChild<QPushButton*>("ButtonClose")->click();
  EXPECT_FALSE(debug->isVisible());
  EXPECT_EQ(debug->Lines(), expected);

  debug->findChild<QPushButton*>("Button1")->click();
  EXPECT_TRUE(debug->Lines().isEmpty());
  debug->AppendLine("again");
  EXPECT_EQ(debug->Lines(), QStringList{"again"});
}

TEST_F(ToolsTest, SaveWritesTheLogAsRtfAndCancelWritesNothing) {
  QTemporaryDir folder;
  ASSERT_TRUE(folder.isValid());
  const QStringList lines = {"Center: 5.00, 1.75, -4.00", QString::fromUtf8("Natività {\\} €"), "last"};
  for (const QString& line : lines) debug->AppendLine(line);

  QString answer;
  QString askedName;
  QString askedFilter;
  Dialogs::SetSaveFileHook([&](const QString&, const QString& fileName, const QString& filter) {
    askedName = fileName;
    askedFilter = filter;
    return answer;
  });

  debug->Button2Click();  // cancelled
  EXPECT_EQ(askedName, QStringLiteral("*.txt"));
  EXPECT_EQ(askedFilter, QStringLiteral("Text File (*.txt)"));
  EXPECT_TRUE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden).isEmpty());

  answer = folder.filePath("log.txt");
  debug->Button2Click();
  EXPECT_EQ(ReadRtfFile(answer), lines);
  EXPECT_EQ(debug->Lines(), lines);
}

TEST_F(ToolsTest, AFileThatCannotBeWrittenIsNamedInTheErrorAndTheLogStays) {
  QTemporaryDir folder;
  ASSERT_TRUE(folder.isValid());
  debug->AppendLine("kept");
  const QString path = folder.filePath("missing/log.txt");
  Dialogs::SetSaveFileHook([&](const QString&, const QString&, const QString&) { return path; });
  QStringList messages;
  Dialogs::SetMessageHook([&](const QString&, const QString& text, QMessageBox::Icon) { messages << text; });
  debug->ShowTool(true);
  ASSERT_TRUE(QTest::qWaitForWindowExposed(debug));
  QPushButton* save = debug->findChild<QPushButton*>("Button2");
  QTest::mouseClick(save, Qt::LeftButton, Qt::NoModifier, save->rect().center());
  Dialogs::SetMessageHook({});
  ASSERT_EQ(messages.size(), 1);
  EXPECT_TRUE(messages[0].startsWith(QStringLiteral("Cannot create file \"%1\". ").arg(path))) << messages[0].toStdString();
  EXPECT_EQ(debug->Lines(), QStringList{"kept"});
  EXPECT_FALSE(QFile::exists(path));
}

TEST_F(ToolsTest, CentreMarkersSitAtTheWorksAndAreLogged) {
  main->OperaList.push_back(TagInfo{99, 0, 4, "", "Fuori"});  // a work of the room, not pickable
  main->DrawCenters1Click();
  EXPECT_TRUE(debug->isVisible());

  // 11, 12 and 13 are found; "kd_7" is not found by its Id's exact name; 99 lies outside the
  // pickable part of the scene.
  const std::int32_t found[] = {11, 12, 13};
  ASSERT_EQ(viewer->OverlayGroup->getNumChildren(), 3);
  QStringList expected;
  for (int i = 0; i < 3; ++i) {
    SbVec3f center;
    ASSERT_TRUE(viewer->GetObjectCenter(found[i], center));
    SoNode* child = viewer->OverlayGroup->getChild(i);
    ASSERT_TRUE(child->isOfType(SoSeparator::getClassTypeId()));
    auto* marker = static_cast<SoSeparator*>(child);
    ASSERT_EQ(marker->getNumChildren(), 2);
    ASSERT_TRUE(marker->getChild(0)->isOfType(SoTransform::getClassTypeId()));
    ASSERT_TRUE(marker->getChild(1)->isOfType(SoSphere::getClassTypeId()));
    EXPECT_EQ(static_cast<SoTransform*>(marker->getChild(0))->translation.getValue(), center);
    EXPECT_FLOAT_EQ(static_cast<SoSphere*>(marker->getChild(1))->radius.getValue(), 0.1f);
  }
  // 11 is a picture centred at (5, 1.75, -4); 12 is a triangle whose corners average at x -4.67;
  // 13 is modelled off its local origin.
  const QStringList lines = debug->Lines();
  ASSERT_EQ(lines.size(), 3);
  EXPECT_EQ(lines[0], QStringLiteral("Center: 5.00, 1.75, -4.00"));
  EXPECT_EQ(lines[1], QStringLiteral("Center: -4.67, 1.75, -4.00"));
  EXPECT_EQ(lines[2], QStringLiteral("Center: 3.00, 3.25, 4.00"));

  // A second time adds a second set.
  main->DrawCenters1Click();
  EXPECT_EQ(viewer->OverlayGroup->getNumChildren(), 6);
}

TEST_F(ToolsTest, NormalLinesHaveUnitLengthAndTheLogShowsTheNormal) {
  main->OperaList.push_back(TagInfo{99, 0, 4, "", "Fuori"});
  main->DrawNormals1Click();
  EXPECT_TRUE(debug->isVisible());

  const std::int32_t found[] = {11, 12, 13};
  ASSERT_EQ(viewer->OverlayGroup->getNumChildren(), 6);
  for (int i = 0; i < 3; ++i) {
    SbVec3f center;
    ASSERT_TRUE(viewer->GetObjectCenter(found[i], center));
    SoNode* first = viewer->OverlayGroup->getChild(2 * i);
    ASSERT_TRUE(first->isOfType(SoCoordinate3::getClassTypeId()));
    ASSERT_TRUE(viewer->OverlayGroup->getChild(2 * i + 1)->isOfType(SoLineSet::getClassTypeId()));
    const SoMFVec3f& points = static_cast<SoCoordinate3*>(first)->point;
    ASSERT_EQ(points.getNum(), 2);
    EXPECT_EQ(points[0], center);
    EXPECT_NEAR((points[1] - points[0]).length(), 1.0f, 1e-5f);
  }
  const QStringList lines = debug->Lines();
  ASSERT_EQ(lines.size(), 3);
  // The normal, not the centre; turning a work leaves signed zeros in it.
  const QRegularExpression front("^Normal: -?0\\.00, -?0\\.00, 1\\.00$");
  const QRegularExpression back("^Normal: -?0\\.00, -?0\\.00, -1\\.00$");
  EXPECT_TRUE(front.match(lines[0]).hasMatch()) << lines[0].toStdString();
  EXPECT_TRUE(front.match(lines[1]).hasMatch()) << lines[1].toStdString();
  EXPECT_TRUE(back.match(lines[2]).hasMatch()) << lines[2].toStdString();
}

TEST_F(ToolsTest, PicksAreLoggedOnlyWhileTheLogIsVisible) {
  const QPoint at = FaceWork(11);
  PickAt(at);
  EXPECT_TRUE(debug->Lines().isEmpty());

  debug->ShowTool(true);
  PickAt(at);
  ASSERT_EQ(debug->Lines().size(), 1);
  const QRegularExpression format(
      "^Mouse XY: (\\d+),(\\d+)  World XYZ: ([ -]\\d\\.\\d{3}), ([ -]\\d\\.\\d{3}), ([ -]\\d\\.\\d{3})$");
  const QRegularExpressionMatch match = format.match(debug->Lines()[0]);
  ASSERT_TRUE(match.hasMatch()) << debug->Lines()[0].toStdString();
  EXPECT_EQ(match.captured(1).toInt(), at.x());
  EXPECT_EQ(match.captured(2).toInt(), at.y());
  EXPECT_NEAR(match.captured(3).toDouble(), 5.0, 0.05);
  EXPECT_NEAR(match.captured(4).toDouble(), 1.75, 0.05);
  EXPECT_NEAR(match.captured(5).toDouble(), -4.0, 0.005);
}
