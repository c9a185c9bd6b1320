#include "memorytrim.h"

#include <QTimer>
#include <malloc.h>

namespace {
constexpr int kTrimIntervalMs = 60000;
}  // namespace

TMemoryTrim::TMemoryTrim(QObject* parent) : QObject(parent) {
  // The movie player's and the sound device's threads allocate in arenas of their own; when a
  // movie ends, a note closes or the about box goes, their freed pages stay with the process unless
  // they are handed back. A walk of the arenas takes well under a millisecond.
  TimerTrim = new QTimer(this);
  TimerTrim->setInterval(kTrimIntervalMs);
  connect(TimerTrim, &QTimer::timeout, this, [] { TrimNow(); });
  TimerTrim->start();
}

bool TMemoryTrim::TrimNow() { return malloc_trim(0) != 0; }
