// Windows-1252 names both ways: every assigned character round-trips, nothing else gets in.
#include <gtest/gtest.h>

#include <string>

#include "data/cp1252.h"

TEST(Cp1252, ItalianNamesAndTheHighControlsRoundTrip) {
  std::string bytes;
  ASSERT_TRUE(Utf8ToCp1252("Natività, caffè — “città” €", bytes));
  EXPECT_EQ(bytes, "Nativit\xE0, caff\xE8 \x97 \x93" "citt\xE0\x94 \x80");
  EXPECT_EQ(Cp1252ToUtf8(bytes), "Natività, caffè — “città” €");

  for (int b = 1; b < 256; ++b) {
    const std::string one(1, static_cast<char>(b));
    std::string back;
    const bool unassigned = b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D;
    EXPECT_EQ(Utf8ToCp1252(Cp1252ToUtf8(one), back), !unassigned) << b;
    if (!unassigned) {
      EXPECT_EQ(back, one) << b;
    }
  }
}

TEST(Cp1252, RefusesWhatItCannotHoldOrRead) {
  std::string bytes = "kept";
  EXPECT_FALSE(Utf8ToCp1252("Ελληνικά", bytes));
  EXPECT_FALSE(Utf8ToCp1252("caff\xE8", bytes));        // Windows-1252, not UTF-8
  EXPECT_FALSE(Utf8ToCp1252("\xC3", bytes));            // cut short
  EXPECT_FALSE(Utf8ToCp1252("\xC0\xA0", bytes));        // overlong
  EXPECT_FALSE(Utf8ToCp1252("\xED\xA0\x80", bytes));    // a surrogate
  EXPECT_FALSE(Utf8ToCp1252("\xC2\x81", bytes));        // U+0081 has no byte of its own
  EXPECT_EQ(bytes, "kept");
}
