#include "tstringrotator.h"

void TStringRotator::SetText(const QString& text) {
  Count = 0;
  Shown = text;
}

const QString& TStringRotator::Tick() {
  ++Count;
  if (Count > Delay && Shown.size() > 1) Shown = Shown.mid(1) + Shown.at(0);
  return Shown;
}
