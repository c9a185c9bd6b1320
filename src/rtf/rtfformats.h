// Character and paragraph formats: the words that set a group's properties, and the Qt formats
// that the properties become.
#pragma once

#include "rtfgroupstate.h"

#include <QTextBlockFormat>
#include <QTextCharFormat>

#include <string>

class TRtfFontTable;
class TRtfColorTable;

// Character words (\plain, \f, \fs, \b, \i, the underlines, \strike, \v, \cf, \cb, \super ...)
// change props. Answers false for other words.
bool RtfCharacterWord(const std::string& word, bool has, int value, TRtfCharProps& props);

// Paragraph words (\pard, \intbl, alignment, indents, spacing, lists, \itap, tab stops) change
// props. Answers false for other words.
bool RtfParagraphWord(const std::string& word, bool has, int value, TRtfParaProps& props);

QTextCharFormat RtfCharFormat(const TRtfCharProps& props, const TRtfFontTable& fonts, const TRtfColorTable& colors);

// A paragraph's format; paragraphs outside tables keep their lines (nonBreakable).
QTextBlockFormat RtfBlockFormat(const TRtfParaProps& props, bool nonBreakable);
