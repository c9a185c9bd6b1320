#!/usr/bin/env bash
# Configures and builds Pinacora (and packs the demo exhibition) in build/.
#   scripts/build.sh [extra cmake arguments]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${PINACORA_BUILD_DIR:-$top/build}
cmake -S "$top" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
cmake --build "$build" -j"$(nproc)"
