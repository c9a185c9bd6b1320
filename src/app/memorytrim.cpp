#include "memorytrim.h"

#include <QTimer>
#include <malloc.h>

namespace {
constexpr int kTrimIntervalMs = 60000;
// Blocks from this size up get pages of their own, which go back to the system when freed (the
// largest the allocator takes).
constexpr int kOwnPagesFrom = 32 * 1024 * 1024;
// How much freed memory the heap may keep at its top between two trims.
constexpr int kKeepBetweenTrims = 64 * 1024 * 1024;
}  // namespace

TMemoryTrim::TMemoryTrim(QObject* parent) : QObject(parent) {
  // By default the allocator raises its threshold for own pages to the largest block freed so far
  // and gives back the top of the heap as soon as a little of it is free. Drawing a large model in
  // software takes and frees blocks of megabytes every frame: on pages of their own, or given back
  // at once, every one of them is faulted in afresh, which cost a third of each frame. Fixed
  // thresholds keep such blocks in the heap while the view is drawn; the trim once a minute gives
  // back what is left over, so memory does not creep over weeks either.
  mallopt(M_MMAP_THRESHOLD, kOwnPagesFrom);
  mallopt(M_TRIM_THRESHOLD, kKeepBetweenTrims);

  // The sound device's threads allocate in arenas of their own; when a piece ends, a note closes
  // or the about box goes, their freed pages stay with the process, as does what the heap keeps,
  // unless they are handed back. A walk of the arenas takes well under a millisecond.
  TimerTrim = new QTimer(this);
  TimerTrim->setInterval(kTrimIntervalMs);
  connect(TimerTrim, &QTimer::timeout, this, [] { TrimNow(); });
  TimerTrim->start();
}

bool TMemoryTrim::TrimNow() { return malloc_trim(0) != 0; }
