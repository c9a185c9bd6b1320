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

TEST(Names, EveryScriptIsStoredAndReadBack) {
  // Names Windows-1252 holds keep their one byte a letter, exactly as older files have them.
  std::string bytes;
  ASSERT_TRUE(EncodeName("Natività — caffè", bytes));
  EXPECT_EQ(bytes, "Nativit\xE0 \x97 caff\xE8");
  EXPECT_EQ(DecodeName(bytes), "Natività — caffè");
  ASSERT_TRUE(EncodeName("Opera 3", bytes));
  EXPECT_EQ(bytes, "Opera 3");

  // The others are stored as UTF-8 and read back as they were given.
  for (const std::string name : {"Ἀθηνᾶ Παρθένος", "Московский дворик", "富嶽三十六景 神奈川沖浪裏", "الخط العربي",
                                 "€ ok ✓", "U+0081 \xC2\x81 has no byte"}) {
    ASSERT_TRUE(EncodeName(name, bytes)) << name;
    EXPECT_EQ(bytes, name);
    EXPECT_EQ(DecodeName(bytes), name);
  }

  // A Windows-1252 name whose bytes form UTF-8 would read back as another name, so a new file
  // keeps it as UTF-8; an older file's bytes C3 A9 read as "é", the one name they cannot keep.
  ASSERT_TRUE(EncodeName("CAFÃ©", bytes));
  EXPECT_EQ(bytes, "CAF\xC3\x83\xC2\xA9");
  EXPECT_EQ(DecodeName(bytes), "CAFÃ©");
  EXPECT_EQ(DecodeName("CAF\xC3\xA9"), "CAFé");
  // Bytes that are not UTF-8, or only ASCII, are Windows-1252 as before.
  EXPECT_EQ(DecodeName("Citt\xE0 \xC3"), "Città Ã");
  EXPECT_EQ(DecodeName("\x80 \x93x\x94"), "€ “x”");

  bytes = "kept";
  EXPECT_FALSE(EncodeName("caff\xE8", bytes));  // not UTF-8 at all
  EXPECT_EQ(bytes, "kept");
}
