#!/usr/bin/env bash
# Soak: runs the built program on an exhibition for a while and does what visitors and staff do,
# sampling its memory and CPU and checking that every window it opens is above the 3D view; ends
# with a report. Exit status 1 when the program crashed or hung, or a window was behind the view.
#   soak.sh [--wm none|openbox|matchbox] PROGRAM DATAFILE SECONDS [REPORT_FILE]
# The window manager (default none) is started on the private display before the program.
# Needs Xvfb, xdotool, x11-utils and OpenAL (its sound goes to a wave file in a scratch folder).
set -u
. "$(dirname "$0")/../scripts/own-display.sh"
. "$(dirname "$0")/../scripts/stacking.sh"
wm=none
if [ "${1:-}" = "--wm" ]; then wm=$2; shift 2; fi
program=$1 data=$2 seconds=$3 report=${4:-}
# The run happens in a scratch folder, so every path given is taken from here first.
program=$(realpath "$program") data=$(realpath "$data")
[ -n "$report" ] && report=$(realpath "$report")

work=$(mktemp -d)
cleanup() {
  kill "$pid" 2>/dev/null
  [ -n "${wmpid:-}" ] && kill "$wmpid" 2>/dev/null
  kill "$xpid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
export XDG_CACHE_HOME=$work/cache XDG_RUNTIME_DIR=$work/run
mkdir -p "$work/run" && chmod 700 "$work/run"
printf '[general]\ndrivers=wave\n[wave]\nfile=%s/sound.wav\n' "$work" > "$work/alsoft.conf"
export ALSOFT_CONF=$work/alsoft.conf

start_own_display "$work"
start_window_manager "$wm" || exit 2

cp "$data" "$work/kddata.bin"
cd "$work"
"$program" >program.out 2>program.err &
pid=$!
sleep 3

rss() { awk '/VmRSS/ { print $2 }' "/proc/$pid/status" 2>/dev/null; }
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$pid/stat" 2>/dev/null; }
alive() { kill -0 "$pid" 2>/dev/null; }
window() { xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1; }

main_window=$(window "Mostra virtuale")
actions=0
# Keys go to the main window, as a person with a keyboard at the kiosk would send them.
keys() { [ -n "$main_window" ] && xdotool windowfocus "$main_window" 2>/dev/null; xdotool key --clearmodifiers "$@"; actions=$((actions + 1)); }
click() { xdotool mousemove "$1" "$2" click 1; actions=$((actions + 1)); }

# Every window of the program that is on screen must be above the view; those that are not are
# counted (once per look) and named in the report.
behind=0
behind_names=$work/behind.txt
: > "$behind_names"
look() {
  local names
  names=$(windows_behind_view)
  if [ -n "$names" ]; then
    behind=$((behind + 1))
    echo "$(($(date +%s) - start)) s: $names" >> "$behind_names"
  fi
  for title in "About  Pinacora" "Pinacora : Contribs" "Pinacora :  Info" "Pinacora :  Media Player" "Pinacora :  Playlist"; do
    xdotool search --onlyvisible --name "$title" >/dev/null 2>&1 && seen["$title"]=$(( ${seen["$title"]:-0} + 1 ))
  done
}
declare -A seen

# One visitor action: the one numbered N (0 to 10), or a random one; action 9 opens a note (KIND 0)
# or a movie (KIND 1), a random one of the two without KIND.
visit() {
  local kind=${2:-$((RANDOM % 2))}
  case ${1:-$((RANDOM % 11))} in
    0|1|2) click $((RANDOM % 1280)) $((30 + RANDOM % 940)) ;;                  # anywhere in the view
    3) keys alt+v o ;;                                                           # Operas
    4) keys alt+v p ;;                                                           # PlayList
    5) keys alt+o a ;;                                                           # AutoPlay
    6|10) keys alt+h a; sleep 2; about=$(window "About  Pinacora")              # About, then OK
       look
       [ -n "$about" ] && xdotool windowfocus "$about" 2>/dev/null; xdotool key Return ;;
    7|8) browser=$(window "Pinacora : Contribs")                                 # a work in the browser
       if [ -n "$browser" ]; then
         xdotool windowfocus "$browser" 2>/dev/null
         xdotool key --window "$browser" Tab Down Down Return 2>/dev/null
         actions=$((actions + 1))
       else
         keys alt+v o
       fi ;;
    9) browser=$(window "Pinacora : Contribs")                                   # its notes and movies
       if [ -z "$browser" ]; then keys alt+v o; sleep 1.5; browser=$(window "Pinacora : Contribs"); fi
       if [ -n "$browser" ]; then
         xdotool windowfocus "$browser" 2>/dev/null
         if [ "$kind" -eq 0 ]; then
           xdotool key Tab Down Down Return; sleep 1; xdotool key Down Return     # a note
         else
           # The demo's "Nativita" has a movie as the last row of its tree: choose the work in
           # the list, then open that row.
           eval "$(xdotool getwindowgeometry --shell "$browser")"
           xdotool mousemove $((X + 90)) $((Y + 12)) click 1; sleep 0.5
           xdotool type Nativ; xdotool key Return; sleep 0.5; xdotool key Tab End Return
         fi
         sleep 1
         actions=$((actions + 1))
       fi ;;
  esac
  sleep 0.3
  look
}

# Every kind of action once before the clock starts (the about box, the browser, a note, a movie,
# the playlist), so that what a first use loads (a movie's codecs, a note's fonts) is in place
# before the first minute's reading and does not count as growth.
for action in 6 3 "9 0" "9 1" 4 4; do
  # shellcheck disable=SC2086
  visit $action
done

start=$(date +%s)
samples=$work/samples.txt
: > "$samples"
first_minute_rss=""
status=ok
while :; do
  now=$(date +%s)
  elapsed=$((now - start))
  [ "$elapsed" -ge "$seconds" ] && break
  if ! alive; then status=crashed; break; fi
  visit
  sleep 0.$((2 + RANDOM % 7))
  if [ $((elapsed % 5)) -eq 0 ]; then
    echo "$elapsed $(rss) $(cpu_ticks)" >> "$samples"
    [ -z "$first_minute_rss" ] && [ "$elapsed" -ge 60 ] && first_minute_rss=$(rss) && first_minute_at=$elapsed
  fi
done

end_rss=$(rss)
start_rss=$(awk 'NR == 1 { print $2 }' "$samples")
[ -z "$first_minute_rss" ] && first_minute_rss=$start_rss
ticks=$(cpu_ticks)
if alive; then
  kill -TERM "$pid"
  for _ in $(seq 100); do alive || break; sleep 0.1; done
  alive && status=hung
  wait "$pid"; exit_status=$?
else
  wait "$pid"; exit_status=$?
  status=crashed
fi
hours=$(awk -v s="$seconds" -v f="${first_minute_at:-60}" 'BEGIN { print (s > f ? s - f : s) / 3600 }')
growth=$(awk -v a="$first_minute_rss" -v b="$end_rss" -v h="$hours" -v s="$seconds" \
  'BEGIN { if (a > 0 && s > 300) printf "%.2f %% per hour", (b - a) * 100 / a / h; else print "n/a (run too short)" }')
# Two single readings swing with what the program holds at that moment (a background piece being
# made, a movie open, freed pages not yet handed back); the highest reading of each minute does not.
# The trend is the straight line through those minute peaks after the first minute.
trend=$(awk -v s="$seconds" '$1 >= 60 && $2 > 0 { m = int($1 / 60); if ($2 > peak[m]) peak[m] = $2 }
  END { for (m in peak) { n++; x += m; y += peak[m]; xx += m * m; xy += m * peak[m] }
        if (n < 5 || s <= 300) { print "n/a (run too short)"; exit }
        slope = (n * xy - x * y) / (n * xx - x * x); level = (y - slope * x) / n + slope
        printf "%.2f %% per hour (%+.1f MB per hour from %d MB)", slope * 60 * 100 / level, slope * 60 / 1024, level / 1024 }' "$samples")
{
  echo "soak: $seconds s on $(basename "$data") under window manager $wm, $actions actions"
  echo "result: $status (exit status $exit_status)"
  echo "resident memory: start $((${start_rss:-0} / 1024)) MB, after the first minute $((${first_minute_rss:-0} / 1024)) MB, end $((${end_rss:-0} / 1024)) MB"
  echo "growth after the first minute: $growth (from two readings); $trend (line through the highest reading of each minute)"
  echo "CPU time used: $(awk -v t="${ticks:-0}" 'BEGIN { printf "%.1f", t / 100 }') s"
  echo "sound written by OpenAL: $(stat -c %s sound.wav 2>/dev/null || echo 0) bytes"
  printf 'windows seen on screen (looks):'
  for title in "About  Pinacora" "Pinacora : Contribs" "Pinacora :  Info" "Pinacora :  Media Player" "Pinacora :  Playlist"; do
    printf ' "%s" %d;' "$title" "${seen["$title"]:-0}"
  done
  echo
  echo "looks that found a window behind the view: $behind"
  head -n 5 "$behind_names"
} | tee ${report:+"$report"}
# The samples (seconds, resident kB, CPU ticks) next to the report, to see the shape of the growth.
[ -n "$report" ] && cp "$samples" "$report.samples"
[ "$status" = ok ] && [ "$behind" -eq 0 ]
