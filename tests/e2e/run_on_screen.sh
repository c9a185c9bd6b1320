#!/usr/bin/env bash
# Runs one end-to-end case of the built program on its own X server.
#   run_on_screen.sh WIDTHxHEIGHT CASE PROGRAM [DATAFILE [WINDOW_MANAGER]]
# Each case starts the program in a fresh folder and checks what a person would see. The window
# manager (none, openbox or matchbox; default none) runs on the display before the program.
set -u
. "$(dirname "$0")/../../scripts/own-display.sh"
. "$(dirname "$0")/../../scripts/stacking.sh"
size=$1 case=$2 program=$3 data=${4:-} wm=${5:-none}

work=$(mktemp -d)
pid= wmpid=
trap 'kill $pid 2>/dev/null; [ -n "$wmpid" ] && kill $wmpid 2>/dev/null; kill $xpid 2>/dev/null; rm -rf "$work"' EXIT
export XDG_CACHE_HOME=$work/cache XDG_RUNTIME_DIR=$work/run ALSOFT_DRIVERS=null
mkdir -p "$work/run" && chmod 700 "$work/run"

# A free display of our own.
start_own_display "$work" "$size"
start_window_manager "$wm" || exit 2

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

# The part of a fresh screenshot inside a rectangle (X Y W H): how much of it is the dialogs'
# plain background (Qt's light grey, which nothing in the view shows), and its mean brightness.
shot_rect() { import -window root "$work/rect.png" && convert "$work/rect.png" -crop "${3}x${4}+${1}+${2}" +repage "$work/crop.png"; }
grey_share() { convert "$work/crop.png" -fill black +opaque 'rgb(239,239,239)' -fill white -opaque 'rgb(239,239,239)' -colorspace Gray -format '%[fx:mean]' info:; }
mean_of() { convert "$work/crop.png" -colorspace Gray -format '%[fx:mean]' info:; }
at_least() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(a >= b) }'; }
# The geometry of a window as X Y W H, frame excluded.
rect_of() { xwininfo -id "$1" | awk '/Absolute upper-left X/ { x = $4 } /Absolute upper-left Y/ { y = $4 } /Width:/ { w = $2 } /Height:/ { h = $2 } END { print x, y, w, h }'; }
# Keys for the main window's menus, which a person would reach by keyboard.
menu_keys() {
  xdotool windowfocus "$(xdotool search --onlyvisible --name 'Mostra virtuale' | head -n 1)" 2>/dev/null
  xdotool key --clearmodifiers "$@"
}
# Checks that a dialog is on screen above the view, looks like a dialog in a screenshot, takes the
# keyboard (Enter closes it) and leaves a redrawn view behind.
check_dialog() {
  local title=$1 least=$2 id x y w h share
  id=$(visible_window "$title") || fail "no window '$title' on screen"
  sleep 1
  above_view "$id" || fail "'$title' is not above the 3D view"
  read -r x y w h < <(rect_of "$id")
  shot_rect "$x" "$y" "$w" "$h"
  share=$(grey_share)
  echo "'$title' at $w x $h +$x +$y: $share of it dialog grey"
  at_least "$share" "$least" || fail "the screenshot shows no dialog where '$title' is (grey share $share)"
  [ "$(xdotool getwindowfocus getwindowname 2>/dev/null)" = "$(xdotool getwindowname "$id")" ] ||
    fail "'$title' does not have the keyboard: $(xdotool getwindowfocus getwindowname)"
  xdotool key Return
  for _ in $(seq 50); do xwininfo -id "$id" 2>/dev/null | grep -q IsViewable || break; sleep 0.1; done
  xwininfo -id "$id" 2>/dev/null | grep -q IsViewable && fail "Enter did not close '$title'"
  sleep 1
  shot_rect "$x" "$y" "$w" "$h"
  share=$(grey_share)
  at_least 0.02 "$share" || fail "'$title' stays painted over the view after closing (grey share $share)"
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
    # The first flight ends about 2 s after start-up, which a busy machine may take a while for.
    sleep 4
    for _ in $(seq 25); do
      kill -0 "$pid" 2>/dev/null || fail "the program ended on its own: $(cat err.txt)"
      import -window root shot.png || fail "no screenshot"
      mean=$(convert shot.png -colorspace Gray -format "%[fx:mean]" info:)
      colours=$(convert shot.png -format "%k" info:)
      awk -v m="$mean" -v c="$colours" 'BEGIN { exit !(m > 0.12 && c > 2000) }' && break
      sleep 1
    done
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
  above-view)
    # An exhibition whose works start no flight: the first frame must be drawn all the same. Its
    # works' names are no numbers, so a click on one shows the application's error display.
    "$program" >out.txt 2>err.txt & pid=$!
    view=$(visible_window '^ Pinacora : 3D Viewer$') || fail "no 3D view: $(tail -3 err.txt)"
    # Start-up may take a while on a busy machine; nothing but the program itself draws the view.
    read -r x y w h < <(rect_of "$view")
    for _ in $(seq 30); do
      sleep 1
      shot_rect $((x + w / 2)) $((y + h / 2)) $((w / 2)) $((h / 2))
      mean=$(mean_of)
      at_least "$mean" 0.1 && break
    done
    echo "first frame: the view's lower right quarter has mean brightness $mean"
    at_least "$mean" 0.1 || fail "the first frame is not drawn over the whole view (mean $mean)"

    menu_keys alt+h
    # The pop-up: a small mapped window of the program's, right below the menu bar. A busy machine
    # may take a while to map it; the key that picks its item waits for it.
    menu=""
    for _ in $(seq 20); do
      sleep 0.25
      menu=$(xwininfo -root -children | awk '/"pinacora": \("pinacora"/ { print $1 }' | while read -r id; do
        xwininfo -id "$id" | awk '/Map State: IsViewable/ { v = 1 } /Absolute upper-left Y/ { y = $4 } /Height:/ { h = $2 }
          END { exit !(v && y < 60 && h < 300) }' && echo "$id"; done | head -n 1)
      [ -n "$menu" ] && break
    done
    [ -n "$menu" ] && read -r mx my mw mh < <(rect_of "$menu")
    xdotool key a
    check_dialog '^  About  Pinacora  :$' 0.12
    # The Help menu's pop-up went with its click: the view is drawn where it was.
    if [ -n "$menu" ]; then
      shot_rect "$mx" "$my" "$mw" "$mh"
      share=$(grey_share)
      echo "where the Help menu was: $share of it dialog grey"
      at_least 0.05 "$share" || fail "the Help menu stays painted over the view (grey share $share)"
    fi

    # A work named "KD_99999999999": the click shows why it cannot be read, above the view.
    xdotool mousemove 265 660 click 1
    check_dialog '^Pinacora$' 0.3
    kill -0 "$pid" 2>/dev/null || fail "the program ended"
    [ -z "$(windows_behind_view)" ] || fail "windows behind the view: $(windows_behind_view)"
    ;;
  view-stays)
    # Minimising a tool window never takes the view along; a close request on the view ends the
    # program as Exit does.
    "$program" >out.txt 2>err.txt & pid=$!
    view=$(visible_window '^ Pinacora : 3D Viewer$') || fail "no 3D view: $(tail -3 err.txt)"
    sleep 2
    menu_keys alt+v; sleep 0.5; xdotool key o
    browser=$(visible_window 'Pinacora : Contribs') || fail "the browser did not open"
    above_view "$browser" || fail "the browser is not above the view"
    xdotool windowminimize "$browser"
    sleep 2
    xwininfo -id "$view" | grep -q IsViewable || fail "minimising the browser took the view along"
    xprop -id "$view" WM_STATE | grep -q Iconic && fail "the view was left minimised"
    wmctrl -c ' Pinacora : 3D Viewer' || fail "wmctrl could not ask the window manager to close the view"
    wait_exit; status=$?
    [ "$status" -eq 0 ] || fail "exit status $status after closing the view"
    ;;
  *) fail "unknown case $case" ;;
esac
echo "PASS: $case at $size under window manager $wm"
