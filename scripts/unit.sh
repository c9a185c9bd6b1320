#!/usr/bin/env bash
# The tests that need no display (label "unit"), on the build that is there: a quick check while
# working. scripts/test.sh builds and runs everything.
#   scripts/unit.sh [BUILD_DIR] [ctest options...]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-${PINACORA_BUILD_DIR:-$top/build}}
[ $# -gt 0 ] && shift
ctest --test-dir "$build" -L unit -j2 --output-on-failure "$@"
