#include "memorytrim.h"

#include <QTimer>
#include <malloc.h>

namespace {
constexpr int kTrimIntervalMs = 60000;
// Blocks from this size up get pages of their own, which go back to the system when freed.
constexpr int kOwnPagesFrom = 256 * 1024;
}  // namespace

TMemoryTrim::TMemoryTrim(QObject* parent) : QObject(parent) {
  // A background piece, a note, a movie's frames: the program takes and frees blocks of megabytes
  // all day. By default the allocator raises its threshold for own pages to the largest block
  // freed so far, after which such blocks come from the shared heap and stay with the process
  // once freed. A fixed threshold keeps every large block on pages of its own.
  mallopt(M_MMAP_THRESHOLD, kOwnPagesFrom);

  // The movie player's and the sound device's threads allocate in arenas of their own; when a
  // movie ends, a note closes or the about box goes, their freed pages stay with the process unless
  // they are handed back. A walk of the arenas takes well under a millisecond.
  TimerTrim = new QTimer(this);
  TimerTrim->setInterval(kTrimIntervalMs);
  connect(TimerTrim, &QTimer::timeout, this, [] { TrimNow(); });
  TimerTrim->start();
}

bool TMemoryTrim::TrimNow() { return malloc_trim(0) != 0; }
