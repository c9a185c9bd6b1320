// Rich text read back as the lines of its paragraphs, for tests of what writes it.
#pragma once

#include <QByteArray>
#include <QStringList>
#include <QTextBlock>
#include <QTextDocument>
#include <gtest/gtest.h>

#include "rtf/rtfreader.h"

inline QStringList RtfLines(const QByteArray& rtf) {
  QTextDocument document;
  EXPECT_TRUE(ReadRtf(rtf, document));
  QStringList lines;
  for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) lines << block.text();
  // The last paragraph mark leaves an empty block behind it.
  if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
  return lines;
}
