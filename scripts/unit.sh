#!/usr/bin/env bash
# The tests that need no display (label "unit"), on the build that is there: a quick check while
# working. scripts/test.sh builds and runs everything.
#   scripts/unit.sh [BUILD_DIR] [ctest options...]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-${PINACORA_BUILD_DIR:-$top/build}}
[ $# -gt 0 ] && shift
# The test programs are asked for their test lists before the run, the programs that draw too;
# Qt's offscreen platform lets them answer without a display.
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$build" -L unit -j2 --output-on-failure "$@"
