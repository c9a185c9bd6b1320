#!/usr/bin/env bash
# Runs one end-to-end case of the built program on its own X server.
#   run_on_screen.sh WIDTHxHEIGHT CASE PROGRAM [DATAFILE]
# Each case starts the program in a fresh folder and checks what a person would see.
set -u
. "$(dirname "$0")/../../scripts/own-display.sh"
size=$1 case=$2 program=$3 data=${4:-}

work=$(mktemp -d)
trap 'kill $pid 2>/dev/null; kill $xpid 2>/dev/null; rm -rf "$work"' EXIT
export XDG_CACHE_HOME=$work/cache XDG_RUNTIME_DIR=$work/run ALSOFT_DRIVERS=null
mkdir -p "$work/run" && chmod 700 "$work/run"

# A free display of our own.
start_own_display "$work" "$size"

fail() { echo "FAIL: $*"; exit 1; }

# Waits for a window whose title contains the text, presses Enter in it; answers its id.
dismiss() {
  local id
  id=$(timeout 20 xdotool search --sync --name "$1" 2>/dev/null | head -n 1) || fail "no window titled '$1'"
  [ -n "$id" ] || fail "no window titled '$1'"
  sleep 0.5
  xdotool windowfocus --sync "$id" 2>/dev/null
  xdotool key --clearmodifiers Return
}

# Waits up to 20 s for the program to end; answers its exit status.
wait_exit() {
  for _ in $(seq 200); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  kill -0 "$pid" 2>/dev/null && fail "the program did not end"
  wait "$pid"
}

cd "$work"
[ -n "$data" ] && cp "$data" kddata.bin

case $case in
  resolution-refused)
    "$program" >out.txt 2>err.txt & pid=$!
    dismiss "Errore di inizializzazione"
    wait_exit; status=$?
    [ "$status" -eq 255 ] || fail "exit status $status, expected 255 (-1)"
    ;;
  wrong-signature)
    printf 'NOT A PINACORA FILE' > kddata.bin
    head -c 70000 /dev/zero >> kddata.bin
    "$program" >out.txt 2>err.txt & pid=$!
    dismiss "Pinacora Errore :"
    wait_exit; status=$?
    [ "$status" -eq 3 ] || fail "exit status $status, expected 3"
    grep -q "Abnormal program termination" err.txt || fail "no notice of abnormal termination on standard error"
    ;;
  missing-file|starts)
    "$program" >out.txt 2>err.txt & pid=$!
    sleep 4
    kill -0 "$pid" 2>/dev/null || fail "the program ended on its own: $(cat err.txt)"
    for title in "Errore" "Pinacora :  Errore"; do
      xdotool search --name "$title" >/dev/null 2>&1 && fail "a message box appeared"
    done
    ;;
  screenshot)
    "$program" >out.txt 2>err.txt & pid=$!
    sleep 5
    kill -0 "$pid" 2>/dev/null || fail "the program ended on its own: $(cat err.txt)"
    import -window root shot.png || fail "no screenshot"
    mean=$(convert shot.png -colorspace Gray -format "%[fx:mean]" info:)
    colours=$(convert shot.png -format "%k" info:)
    echo "screenshot: mean brightness $mean, $colours colours"
    [ -n "${PINACORA_SHOT:-}" ] && cp shot.png "$PINACORA_SHOT"
    awk -v m="$mean" 'BEGIN { exit !(m > 0.12) }' || fail "the view is (almost) black: mean $mean"
    [ "$colours" -gt 2000 ] || fail "the view shows only $colours colours: not the textured gallery"
    ;;
  hostile)
    # A damaged exhibition: the program must stay up, bounded, and end cleanly when asked.
    "$program" >out.txt 2>err.txt & pid=$!
    peak=0
    for _ in $(seq 20); do
      sleep 0.5
      kill -0 "$pid" 2>/dev/null || { wait "$pid"; fail "the program ended on its own (status $?): $(tail -3 err.txt)"; }
      rss=$(awk '/VmRSS/ { print $2 }' /proc/$pid/status 2>/dev/null || echo 0)
      [ "${rss:-0}" -gt "$peak" ] && peak=$rss
    done
    [ "$peak" -lt 1048576 ] || fail "resident memory reached $((peak / 1024)) MB"
    kill -TERM "$pid"
    wait_exit; status=$?
    [ "$status" -eq 0 ] || fail "exit status $status after SIGTERM: $(tail -3 err.txt)"
    echo "peak resident memory $((peak / 1024)) MB"
    ;;
  *) fail "unknown case $case" ;;
esac
echo "PASS: $case at $size"
