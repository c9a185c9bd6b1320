#!/usr/bin/env bash
# Movie stress: the movie window under a visitor who clicks as fast as one can, on movies in every
# container the curator's tool packs (ASF/WMV, MP4, Matroska, WebM, AVI, MPEG) and one damaged
# movie, each window manager on an X server of its own. Prints, per window manager, whether the
# program survived (a crash of the program is a crash of bench_movies) and its memory after 50 and
# after 1000 openings. Exit status 1 when the program crashed under any of them.
#   movie_stress.sh BENCH_MOVIES [OPERATIONS] [none openbox matchbox]
# Needs ffmpeg, Xvfb and the window managers asked for.
set -u
here=$(dirname "$0")
. "$here/../scripts/own-display.sh"
. "$here/../scripts/stacking.sh"
bench=$(realpath "$1") operations=${2:-2000}
shift $(( $# >= 2 ? 2 : 1 ))
managers=${*:-none openbox matchbox}

work=$(mktemp -d)
cleanup() {
  [ -n "${wmpid:-}" ] && kill "$wmpid" 2>/dev/null
  [ -n "${xpid:-}" ] && kill "$xpid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
export XDG_RUNTIME_DIR=$work/run QT_QPA_PLATFORM=xcb
mkdir -p "$work/run" && chmod 700 "$work/run"

# Two seconds of picture and sound in each container, as curators bring them.
make() { ffmpeg -nostdin -loglevel error -y -f lavfi -i "testsrc=size=$1:rate=25" \
           -f lavfi -i sine=frequency=440:sample_rate=44100 -t 2 "${@:3}" "$work/$2" || exit 2; }
make 160x120 movie.wmv -c:v wmv2 -c:a wmav2
make 320x240 movie.mp4 -c:v libx264 -pix_fmt yuv420p -c:a aac
make 176x144 movie.mkv -c:v mpeg4 -c:a libmp3lame
make 320x180 movie.webm -c:v libvpx -c:a libvorbis
make 160x120 movie.avi -c:v mpeg4 -c:a pcm_s16le
make 352x288 movie.mpg -c:v mpeg1video -c:a mp2
# The damaged one: a WMV whose headers after their first object and whose middle were overwritten
# with random bytes (still an ASF file by its first bytes).
cp "$work/movie.wmv" "$work/damaged.wmv"
size=$(stat -c %s "$work/damaged.wmv")
dd if=/dev/urandom of="$work/damaged.wmv" bs=1 seek=200 count=3000 conv=notrunc status=none
dd if=/dev/urandom of="$work/damaged.wmv" bs=1 seek=$((size / 3)) count=$((size / 3)) conv=notrunc status=none

crashes=0
for wm in $managers; do
  start_own_display "$work"
  start_window_manager "$wm" || exit 2
  "$bench" --operations "$operations" "$work"/movie.* --damaged "$work/damaged.wmv" \
    >"$work/report.txt" 2>"$work/errors.txt"
  status=$?
  if [ $status -eq 0 ]; then result=ok; else result="crashed (exit status $status)"; crashes=$((crashes + 1)); fi
  echo "== window manager $wm: $result"
  cat "$work/report.txt"
  [ $status -ne 0 ] && tail -n 5 "$work/errors.txt"
  [ -n "${wmpid:-}" ] && kill "$wmpid" 2>/dev/null; wmpid=
  kill "$xpid" 2>/dev/null; wait "$xpid" 2>/dev/null; xpid=
done
echo "crashes of the program: $crashes"
[ $crashes -eq 0 ]
