#!/usr/bin/env bash
# The program as a kiosk on its own X server, under a window manager (none, openbox, matchbox):
# a visitor opens the browser and a note with single taps and walks away; after the idle time
# the windows are gone and the music plays again. The tool windows are at touch size on the
# screen, each has a close button, and Exit or a close request end the program only with the
# staff code.
#   kiosk_program_test.sh PROGRAM DATAFILE WINDOW_MANAGER
set -u
. "$(dirname "$0")/../../scripts/own-display.sh"
. "$(dirname "$0")/../../scripts/stacking.sh"
program=$1 data=$2 wm=${3:-none}
# Long enough that a busy machine taking screenshots between two taps does not look like a
# visitor who left.
idle=8
code=2468

work=$(mktemp -d)
pid= wmpid=
trap 'kill $pid 2>/dev/null; [ -n "$wmpid" ] && kill $wmpid 2>/dev/null; kill $xpid 2>/dev/null; rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; [ -f "$work/err.txt" ] && tail -5 "$work/err.txt"; exit 1; }

export XDG_CACHE_HOME=$work/cache XDG_RUNTIME_DIR=$work/run XDG_CONFIG_HOME=$work/config
mkdir -p "$work/run" "$work/config/pinacora" && chmod 700 "$work/run"
printf 'IDLE_RETURN=99\nSTAFF_CODE=%s\n' "$code" >"$work/config/pinacora/kiosk.conf"
# OpenAL writes what the program plays to a file, so the test hears the music.
printf '[general]\ndrivers=wave\n[wave]\nfile=%s\n' "$work/sound.wav" >"$work/alsoft.conf"
export ALSOFT_CONF=$work/alsoft.conf
unset ALSOFT_DRIVERS

start_own_display "$work" 1280x1024
start_window_manager "$wm" || exit 2
cd "$work" && cp "$data" kddata.bin

gone() { ! xwininfo -id "$1" 2>/dev/null | grep -q IsViewable; }
rect_of() { xwininfo -id "$1" | awk '/Absolute upper-left X/ { x = $4 } /Absolute upper-left Y/ { y = $4 } /Width:/ { w = $2 } /Height:/ { h = $2 } END { print x, y, w, h }'; }
menu_keys() {
  xdotool windowfocus "$(xdotool search --onlyvisible --name 'Mostra virtuale' | head -n 1)" 2>/dev/null
  xdotool key --clearmodifiers "$1"; sleep 0.7; xdotool key "$2"
}
# Of the last second of sound, how many bytes are not silence.
loudness() { sleep 1.2; tail -c 22050 "$work/sound.wav" | od -An -v -tu1 | tr -s ' ' '\n' | grep -c '[1-9]'; }
# A busy machine may paint a tap's selection a moment later: the measures are taken again for a
# few seconds before they count.
# The height of the selection band (the style's highlight blue) in a column of a fresh screenshot.
band_height() {
  import -window root "$work/band.png"
  convert "$work/band.png" -crop "1x${3}+${1}+${2}" +repage -fill black -opaque white \
    -fuzz 12% -fill white -opaque 'rgb(48,140,198)' -fuzz 0 -fill black +opaque white -format '%[fx:round(mean*h)]' info:
}

"$program" --kiosk --idle-return "$idle" >out.txt 2>err.txt & pid=$!
visible_window '^ Pinacora : 3D Viewer$' >/dev/null || fail "no 3D view"
sleep 3

# The browser, at touch size, with a close button; one tap on a note opens it.
menu_keys alt+v o
browser=$(visible_window 'Pinacora : Contribs') || fail "the browser did not open"
read -r bx by bw bh < <(rect_of "$browser")
echo "browser: $bw x $bh at +$bx +$by"
[ "$bw" -ge 600 ] && [ "$bh" -ge 260 ] || fail "the browser is not at touch size: $bw x $bh"
# A tap on "Contribs" (which opens nothing) selects it in a window that has the focus.
xdotool mousemove --window "$browser" 200 $((56 + 20)) click 1; sleep 0.5
# A window manager may have placed the window anew once it was mapped.
read -r bx by bw bh < <(rect_of "$browser")
for _ in $(seq 10); do row=$(band_height $((bx + bw / 2)) "$by" "$bh"); [ "$row" -ge 40 ] && break; sleep 0.3; done
echo "browser: selected row $row px high"
[ "$row" -ge 40 ] || fail "the browser's rows are $row px high, less than a finger"
# Rows below the 56-pixel list of works: Contribs, Notes, the first note.
xdotool mousemove --window "$browser" 200 $((56 + 2 * 40 + 20)) click 1
info=$(visible_window 'Pinacora :  Info') || fail "a single tap on a note did not open it"
above_view "$info" || fail "the note is not above the view"
loud_with_note=$(loudness)
echo "sound while the note is open: $loud_with_note loud bytes in the last second"
[ "$loud_with_note" -lt 100 ] || fail "the note did not stop the music"

# The visitor walks away: the windows close, the music comes back.
sleep $((idle + 2))
gone "$browser" || fail "the browser is still open $((idle + 2)) s after the last input"
gone "$info" || fail "the note is still open $((idle + 2)) s after the last input"
grep -q 'back to the tour' err.txt || fail "the program did not say it went back to the tour"
sleep 1
loud_after=$(loudness)
echo "sound after the return: $loud_after loud bytes in the last second"
[ "$loud_after" -ge 1000 ] || fail "the music does not play again after the return"

# The playlist at touch size: 40-pixel rows and check boxes, its own Close button closes it.
menu_keys alt+v p
playlist=$(visible_window 'Pinacora :  Playlist') || fail "the playlist did not open"
read -r px py pw ph < <(rect_of "$playlist")
xdotool mousemove --window "$playlist" 300 40 click 1; sleep 0.5
read -r px py pw ph < <(rect_of "$playlist")
for _ in $(seq 10); do row=$(band_height $((px + pw / 3)) "$py" "$ph"); [ "$row" -ge 40 ] && break; sleep 0.3; done
echo "playlist: $pw x $ph, playing row $row px high"
[ "$row" -ge 40 ] || fail "the playlist's rows are $row px high"
xdotool mousemove --window "$playlist" $((pw - 60)) $((ph - 30)) click 1
for _ in $(seq 30); do gone "$playlist" && break; sleep 0.1; done
gone "$playlist" || fail "the playlist's Close button did not close it"

# The browser's own close button.
menu_keys alt+v o
browser=$(visible_window 'Pinacora : Contribs') || fail "the browser did not open again"
read -r bx by bw bh < <(rect_of "$browser")
xdotool mousemove --window "$browser" $((bw - 50)) $((bh - 24)) click 1
for _ in $(seq 30); do gone "$browser" && break; sleep 0.1; done
gone "$browser" || fail "the browser's close button did not close it"

# Exit asks for the staff code; a wrong one changes nothing.
menu_keys alt+f e
prompt=$(visible_window 'Pinacora :  Personale') || fail "Exit did not ask for the staff code"
above_view "$prompt" || fail "the staff code prompt is not above the view"
xdotool windowfocus "$prompt" 2>/dev/null
xdotool type 1111; xdotool key Return; sleep 1
kill -0 "$pid" 2>/dev/null || fail "a wrong code ended the program"
gone "$prompt" && fail "the prompt went away after a wrong code"
# Left alone, the prompt goes with the idle return.
sleep $((idle + 2))
gone "$prompt" || fail "the staff code prompt stays after the visitor left"
kill -0 "$pid" 2>/dev/null || fail "the program ended on its own"

# A close request on the view (the window manager's, where there is one) asks as well; the right
# code ends the program with status 0, as staff leaving.
if [ "$wm" != none ]; then
  wmctrl -c ' Pinacora : 3D Viewer' || fail "wmctrl could not ask to close the view"
  prompt=$(visible_window 'Pinacora :  Personale') || fail "closing the view did not ask for the staff code"
  kill -0 "$pid" 2>/dev/null || fail "closing the view ended the program"
else
  menu_keys alt+f e
  prompt=$(visible_window 'Pinacora :  Personale') || fail "Exit did not ask for the staff code again"
fi
xdotool windowfocus "$prompt" 2>/dev/null
xdotool type "$code"; xdotool key Return
for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$pid" 2>/dev/null && fail "the right staff code did not end the program"
wait "$pid"; status=$?
pid=
[ "$status" -eq 0 ] || fail "the program ended with status $status after the staff code"

# Without a staff code, Exit does nothing at all.
sed -i '/STAFF_CODE/d' "$work/config/pinacora/kiosk.conf"
"$program" --kiosk >out.txt 2>err.txt & pid=$!
visible_window '^ Pinacora : 3D Viewer$' >/dev/null || fail "no 3D view the second time"
sleep 2
menu_keys alt+f e; sleep 1
visible_window 'Pinacora :  Personale' >/dev/null && fail "a prompt came without a staff code"
kill -0 "$pid" 2>/dev/null || fail "Exit without a staff code ended the kiosk"
echo "PASS: kiosk program under window manager $wm"
