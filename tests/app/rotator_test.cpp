#include <gtest/gtest.h>

#include "app/tstringrotator.h"

TEST(StringRotator, StandsStillForFortyTicksThenScrollsOneCharacterPerTick) {
  TStringRotator rotator;
  rotator.SetText("abcde");
  for (int i = 0; i < 40; ++i) ASSERT_EQ(rotator.Tick(), "abcde") << "tick " << i + 1;
  EXPECT_EQ(rotator.Tick(), "bcdea");
  EXPECT_EQ(rotator.Tick(), "cdeab");
}

TEST(StringRotator, SettingTheSameTextAgainRestartsTheDelayFromItsStart) {
  TStringRotator rotator;
  rotator.SetText("xyz");
  for (int i = 0; i < 42; ++i) rotator.Tick();
  ASSERT_NE(rotator.Shown, "xyz");
  rotator.SetText("xyz");
  for (int i = 0; i < 40; ++i) ASSERT_EQ(rotator.Tick(), "xyz");
  EXPECT_EQ(rotator.Tick(), "yzx");
}

TEST(StringRotator, ShortTextsAreUnchangedByTheRotation) {
  TStringRotator one;
  one.SetText("a");
  TStringRotator none;
  none.SetText("");
  for (int i = 0; i < 50; ++i) {
    one.Tick();
    none.Tick();
  }
  EXPECT_EQ(one.Shown, "a");
  EXPECT_EQ(none.Shown, "");
}
