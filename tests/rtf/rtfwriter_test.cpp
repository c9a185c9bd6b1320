#include <gtest/gtest.h>

#include "rtf/rtfwriter.h"
#include "rtflines.h"

namespace {

QStringList ReadBack(const QByteArray& rtf) { return RtfLines(rtf); }

}  // namespace

TEST(RtfWriter, EscapesWhatRtfReservesAndEncodesBeyondAscii) {
  const QByteArray rtf = WriteRtfLines({QStringLiteral("a\\b{c}"), QString::fromUtf8("Natività €"),
                                        QString::fromUtf8("Ω\tx"), QString::fromUtf8("\x01z")});
  EXPECT_TRUE(rtf.startsWith("{\\rtf1\\ansi\\ansicpg1252"));
  EXPECT_TRUE(rtf.contains("{\\fonttbl"));
  EXPECT_TRUE(rtf.contains("a\\\\b\\{c\\}\\par"));
  EXPECT_TRUE(rtf.contains("Nativit\\'e0 \\'80\\par"));
  EXPECT_TRUE(rtf.contains("\\u937?\\tab x\\par"));
  EXPECT_TRUE(rtf.contains("\nz\\par"));  // the control character is dropped
  EXPECT_TRUE(rtf.trimmed().endsWith('}'));
  for (const char byte : rtf) EXPECT_LT(static_cast<unsigned char>(byte), 0x80u);
}

TEST(RtfWriter, TheReaderGetsEveryLineBack) {
  const QStringList lines = {QStringLiteral("Mouse XY: 400,300  World XYZ:  5.000,  1.750, -4.000"),
                             QString(),
                             QStringLiteral("  leading spaces, {braces} and \\backslashes\\"),
                             QString::fromUtf8("Natività, Città, €, œ, Ω, 漢字, 😀"),
                             QStringLiteral("Center: 5.00, 1.75, -4.00")};
  EXPECT_EQ(ReadBack(WriteRtfLines(lines)), lines);
  EXPECT_TRUE(ReadBack(WriteRtfLines({})).isEmpty());
}
