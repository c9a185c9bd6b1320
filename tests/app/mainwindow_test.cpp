// The main window's own logic, without the start-up sequence: names in the status bar, the
// notifications from the viewer and the browser, autoplay and the random pick.
#include <gtest/gtest.h>

#include <QAction>
#include <QMenuBar>
#include <QTimer>

#include "common/globals.h"
#include "common/pseudorandom.h"
#include "app/tformmain.h"

namespace {

class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window = std::make_unique<TFormMain>();
    window->OperaList = {Opera(301, "Nativit\xe0"), Opera(302, "Citt\xe0 ideale"), Opera(303, "Ritratto")};
  }
  void TearDown() override {
    window.reset();
    FormMain = nullptr;
    SetTickCountSource({});
  }
  static TagInfo Opera(std::int32_t id, const char* name) {
    TagInfo info;
    info.Id = id;
    info.Name = name;
    return info;
  }
  std::unique_ptr<TFormMain> window;
};

TEST_F(MainWindowTest, ConstructionAssignsTheGlobalAndBuildsTheHiddenDebugMenu) {
  EXPECT_EQ(FormMain, window.get());
  EXPECT_EQ(FormViewer, nullptr);
  EXPECT_FALSE(window->Debug2->menuAction()->isVisible());
  QStringList captions;
  for (QAction* action : window->menuBar()->actions()) captions << action->text();
  EXPECT_EQ(captions, QStringList({"&File", "&View", "&Options", "&Help", "&Debug"}));
  EXPECT_FALSE(window->TimerAutoplay->isActive());
  EXPECT_TRUE(window->TimerPicAdRotator->isActive());
  EXPECT_EQ(window->TimerPicAdRotator->interval(), 300);
  EXPECT_EQ(window->TimerSndAdRotator->interval(), 250);
}

TEST_F(MainWindowTest, OperaNamesShowWithTheirAccentsAndUnknownIdsChangeNothing) {
  window->ShowOperaName(302);
  EXPECT_EQ(window->PicAdRotator.Shown, QString::fromUtf8("Città ideale") + QString(96, ' '));
  for (int i = 0; i < 45; ++i) window->PicAdRotator.Tick();
  const QString rotated = window->PicAdRotator.Shown;
  window->ShowOperaName(999);
  EXPECT_EQ(window->PicAdRotator.Shown, rotated);
  EXPECT_EQ(window->PicAdRotator.Count, 45);
}

TEST_F(MainWindowTest, BackgroundSoundNameIsFramedByItsLabelAndSpaces) {
  window->ShowBackgroundSound("Notturno");
  EXPECT_EQ(window->SndAdRotator.Shown, QString(" background sound :  Notturno") + QString(33, ' '));
}

TEST_F(MainWindowTest, OperaSelectedIgnoresNegativeIdsAndNeverTouchesAutoplay) {
  window->OperaSelected(nullptr, -1);
  EXPECT_EQ(window->CurrentOpera, -1);
  window->OperaSelected(nullptr, 303);
  EXPECT_EQ(window->CurrentOpera, 303);
  EXPECT_FALSE(window->AutoPlayOn);
  EXPECT_TRUE(window->PicAdRotator.Shown.startsWith("Ritratto"));
}

TEST_F(MainWindowTest, AutoplaySwitchFollowsTheMenuAndTheTimer) {
  window->SetAutoPlay(true);
  EXPECT_TRUE(window->AutoPlayOn);
  EXPECT_TRUE(window->MenuAutoPlay->isChecked());
  EXPECT_TRUE(window->TimerAutoplay->isActive());
  EXPECT_NE(window->CurrentOpera, -1);  // switching on picks at once
  window->MenuAutoPlay->trigger();      // the item flips its own check mark
  EXPECT_FALSE(window->AutoPlayOn);
  EXPECT_FALSE(window->TimerAutoplay->isActive());
}

TEST_F(MainWindowTest, RandomPickUsesTheTickCountAsSeed) {
  SetTickCountSource([] { return 1000u; });
  window->GotoRandomOpera();
  // Seed 1000 gives r = 14062, so index 14062 * 3 / 32767 = 1.
  EXPECT_EQ(window->CurrentOpera, 302);
}

TEST_F(MainWindowTest, RandomPickWithOneOperaAlwaysChoosesIt) {
  window->OperaList = {Opera(7, "Sola")};
  for (std::uint32_t tick = 0; tick < 200; tick += 7) {
    SetTickCountSource([tick] { return tick; });
    window->CurrentOpera = -1;
    window->GotoRandomOpera();
    ASSERT_EQ(window->CurrentOpera, 7);
  }
}

TEST_F(MainWindowTest, RandomPickWithNoOperasOnlyReseeds) {
  window->OperaList.clear();
  SetTickCountSource([] { return 42u; });
  window->GotoRandomOpera();
  EXPECT_EQ(window->CurrentOpera, -1);
  TPseudoRandom expected;
  expected.Seed(42);
  EXPECT_EQ(ProgramRandom().GetState(), expected.GetState());
}

TEST_F(MainWindowTest, AutoplayTimerDoesNothingWithoutViewerAndBrowser) {
  window->AutoPlayOn = true;
  window->TimerAutoplayTimer();
  EXPECT_EQ(window->CurrentOpera, -1);
}

}  // namespace
