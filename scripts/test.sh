#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test headless (on a private Xvfb display).
#   scripts/test.sh            the normal build, in build/
#   scripts/test.sh sanitize   the AddressSanitizer + UBSan build, in build-sanitize/
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/install-deps.sh"

if [ "${1:-}" = "sanitize" ]; then
  export PINACORA_BUILD_DIR=$top/build-sanitize
  "$top/scripts/build.sh" -DPINACORA_SANITIZE=ON -DPINACORA_BUILD_BENCH=OFF
  export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0
  export LSAN_OPTIONS=suppressions=$top/scripts/lsan.supp:print_suppressions=0
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
else
  export PINACORA_BUILD_DIR=$top/build
  "$top/scripts/build.sh"
fi

export QT_QPA_PLATFORM=xcb
. "$top/scripts/own-display.sh"
# Each run gets an X server of its own, on a display number the server picks itself.
run_suite() {
  local folder status
  folder=$(mktemp -d)
  start_own_display "$folder"
  ctest --test-dir "$PINACORA_BUILD_DIR" --output-on-failure --timeout 300 -j2 "$@" && status=0 || status=$?
  kill "$xpid" 2>/dev/null
  wait "$xpid" 2>/dev/null
  rm -rf "$folder"
  return "$status"
}

if [ "${1:-}" = "sanitize" ]; then
  # Every test program runs with leak checking (the suppressions name only library leaks). The
  # end-to-end runs start the built program and the system's tools, whose exit statuses they
  # check; they run with every AddressSanitizer and UBSan check but without leak checking.
  run_suite -LE "e2e|hostile|soak"
  ASAN_OPTIONS=detect_leaks=0:abort_on_error=0 run_suite -L e2e -LE "hostile|soak|package"
else
  run_suite
fi
