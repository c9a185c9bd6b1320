#!/usr/bin/env bash
# The exhibition website against the data file and the kiosk, side by side in one run: the site's
# size against the packed file's for the demo and the large exhibition (120 works, 1024 x 1024
# pictures, made by bench_startup), the first textured frame in headless Chromium against the
# kiosk program's start-up to its first frame, and a flight's duration in the page.
#   bench/bench_web.sh [BUILD_FOLDER]      (default: build)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$top/build}" && pwd)
tool=$build/cli/pinacora-data
export PINACORA_WEB_MODULES=$top/web
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

. "$top/scripts/own-display.sh"
start_own_display "$work"
export QT_QPA_PLATFORM=xcb

echo "== the kiosk program (bench_startup, large exhibition) =="
"$build/bench/bench_startup" --large-only | tee "$work/kiosk.txt" | grep -E "Generating|exhibition|medians"
kill "$xpid" 2>/dev/null || true
unset DISPLAY
large=/tmp/pinacora-bench-large.bin
kiosk=$(grep -o 'first frame [0-9.]* s' "$work/kiosk.txt" | tail -n 1 | grep -o '[0-9.]*' || echo 0)

size() { du -sb "$1" | cut -f1; }
mb() { awk "BEGIN { printf \"%.1f MB\", $1 / 1e6 }"; }
for name in demo large; do
  file=$build/kddata.bin
  [ "$name" = large ] && file=$large
  echo "== $name exhibition ($file) =="
  start=$(date +%s.%N)
  "$tool" web "$file" -o "$work/$name" --quiet
  seconds=$(awk "BEGIN { printf \"%.1f\", $(date +%s.%N) - $start }")
  site=$(size "$work/$name")
  packed=$(size "$file")
  echo "  written in $seconds s: site $(mb "$site") against the packed file's $(mb "$packed")" \
       "($(awk "BEGIN { printf \"%.0f\", 100 * $site / $packed }") %); scene.glb $(mb "$(size "$work/$name/scene.glb")")"
  node "$top/bench/bench_web.mjs" "$work/$name" 5 | tee "$work/$name.txt"
  if [ "$name" = large ]; then
    page=$(grep -o 'FIRST_FRAME_MS [0-9]*' "$work/$name.txt" | grep -o '[0-9]*$')
    awk "BEGIN { printf \"  the page's first textured frame: %.2f s against the kiosk's first frame %.2f s (%.2f x)\n\", \
         $page / 1000, $kiosk, ($kiosk > 0 ? $page / 1000 / $kiosk : 0) }"
  fi
done
