// The list mark before a paragraph's text. A writer's own mark (\listtext, \pntext) is shown as it
// was written; an empty one (blanks and a tab) only when the paragraph's list gives none. Where
// the writer left the mark out, the paragraph's list gives it.
#pragma once

#include "rtfgroupstate.h"
#include "rtftextbuffer.h"

#include <QString>

#include <cstdint>

class QTextCodec;
class TRtfFontTable;
class TRtfListNumbering;

// Text to insert with the properties it is shown in.
struct TRtfRun {
  QString Text;
  TRtfCharProps Props;
};

class TRtfParagraphMarks {
 public:
  explicit TRtfParagraphMarks(const TRtfFontTable& fonts) : Fonts(fonts) {}

  // A writer's mark starts (\listtext, \pntext); its text follows in the properties it is
  // written in.
  void StartWritten();
  void AddWrittenByte(std::uint8_t byte, const TRtfCharProps& props, QTextCodec* codec);
  void AddWrittenCharacter(char32_t c, const TRtfCharProps& props);
  // The writer's mark ends in text written with textProps. Answers true, with the run to show
  // before the paragraph's text, for a mark that is not blank; a blank one is kept for later.
  bool EndWritten(const TRtfCharProps& textProps, TRtfRun& run);
  // Drops a writer's mark that ends outside the text.
  void DropWritten() { WrittenText.Clear(); }

  // The paragraph's text begins: its list moves on. Answers true, with the run to insert, when a
  // mark is to be shown and the writer has not shown one.
  bool Begin(const TRtfParaProps& para, const TRtfCharProps& textProps, TRtfListNumbering& numbering, TRtfRun& run);
  bool Begun() const { return Current.Started; }
  // Whether a paragraph that ends before any text still counts as an item (the writer marked it).
  bool EndsAnItem() const { return !Current.Started && (Current.Shown || Current.HasBlank); }
  // The next paragraph starts.
  void NextParagraph() { Current = TMark(); }

 private:
  // What the current paragraph's mark has come to.
  struct TMark {
    bool Started = false;  // the paragraph's text has begun: its list moved on
    bool Shown = false;    // a mark stands before the text
    bool HasBlank = false;
    QString Blank;
    TRtfCharProps BlankProps;
  };

  void NoteWrittenProps(const TRtfCharProps& props);

  const TRtfFontTable& Fonts;
  TMark Current;
  TRtfTextBuffer WrittenText;
  TRtfCharProps WrittenProps;
  bool HasWrittenProps = false;
};
