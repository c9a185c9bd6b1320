#!/usr/bin/env bash
# Builds the fuzz targets with clang in build-fuzz, writes the seed corpora and runs each target
# in turn for the given number of seconds (default 300). Logs go to build-fuzz/fuzz-logs/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-300}
build=$root/build-fuzz
CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DPINACORA_FUZZ=ON -DPINACORA_BUILD_GUI=OFF >/dev/null
cmake --build "$build" -j2 --target fuzz_chunklist fuzz_datafile fuzz_inflate fuzz_rtf fuzz_seeds fuzz_shapes
"$build/fuzz/fuzz_seeds" "$build/fuzz-seeds"
mkdir -p "$build/fuzz-logs" "$build/fuzz-artifacts"
for target in chunklist datafile inflate; do
  corpus=$build/fuzz-corpus/$target
  mkdir -p "$corpus"
  maxlen=65536
  [ "$target" = datafile ] && maxlen=131072
  "$build/fuzz/fuzz_$target" "$corpus" "$build/fuzz-seeds/$target" -max_total_time="$seconds" \
    -max_len=$maxlen -rss_limit_mb=2048 -artifact_prefix="$build/fuzz-artifacts/$target-" \
    >"$build/fuzz-logs/$target.log" 2>&1 || echo "fuzz_$target stopped with status $?"
  tail -n 12 "$build/fuzz-logs/$target.log"
done
# The RTF reader: seeds of our own and the test fixtures, which real writers made.
mkdir -p "$build/fuzz-corpus/rtf"
LSAN_OPTIONS=suppressions=$root/fuzz/rtf-lsan.supp "$build/fuzz/fuzz_rtf" "$build/fuzz-corpus/rtf" \
  "$root/fuzz/rtf-seeds" "$root/tests/rtf/fixtures" -dict="$root/fuzz/rtf.dict" \
  -max_total_time="$seconds" -timeout=25 -rss_limit_mb=2048 -artifact_prefix="$build/fuzz-artifacts/rtf-" \
  >"$build/fuzz-logs/rtf.log" 2>&1 || echo "fuzz_rtf stopped with status $?"
tail -n 12 "$build/fuzz-logs/rtf.log"

# Shape lists through the scene rules, seeded with the demo's scenes and the inventor-data models.
# Coin itself is not instrumented: its crashes and hangs are found, its branches do not guide.
corpus=$build/fuzz-corpus/shapes
mkdir -p "$corpus" "$build/fuzz-seeds/shapes"
cp "$root"/demo/scene/*.iv "$build/fuzz-seeds/shapes/"
if [ -d /usr/share/inventor/data/models ]; then
  find /usr/share/inventor/data/models -name '*.iv' -size -60k -exec cp {} "$build/fuzz-seeds/shapes/" \;
fi
LSAN_OPTIONS=suppressions=$root/scripts/lsan.supp "$build/fuzz/fuzz_shapes" "$corpus" "$build/fuzz-seeds/shapes" \
  -dict="$root/fuzz/shapes.dict" -max_total_time="$seconds" -max_len=16384 -timeout=20 -rss_limit_mb=2048 \
  -artifact_prefix="$build/fuzz-artifacts/shapes-" >"$build/fuzz-logs/shapes.log" 2>&1 || echo "fuzz_shapes stopped with status $?"
tail -n 12 "$build/fuzz-logs/shapes.log"
