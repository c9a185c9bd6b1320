#!/usr/bin/env bash
# The installed kiosk session on an X server of its own: it switches screen blanking off, runs the
# program under matchbox-window-manager, starts it again after a kill, and ends with the program
# when staff choose File > Exit and give their code.
#   kiosk_session_test.sh BUILD_DIR
set -u
. "$(dirname "$0")/kiosk_test_setup.sh"
fail() { echo "FAIL: $*"; exit 1; }
command -v matchbox-window-manager >/dev/null || fail "matchbox-window-manager is not installed"

DESTDIR=$work/root cmake --install "$build" --prefix /usr >/dev/null || fail "install failed"
export HOME=$work/home XDG_CACHE_HOME=$work/cache XDG_RUNTIME_DIR=$work/run ALSOFT_DRIVERS=null
mkdir -p "$HOME/.config/pinacora" "$work/run" && chmod 700 "$work/run"
echo STAFF_CODE=7531 >"$HOME/.config/pinacora/kiosk.conf"
start_own_display "$work"


PINACORA_KIOSK_DELAY=0.5 "$work/root/usr/bin/pinacora-kiosk" "$work/root/usr/share/pinacora/demo" \
  >"$work/kiosk.out" 2>"$work/kiosk.err" &
kiosk=$!
first=$(wait_for_program) || fail "the program did not come up: $(tail -3 "$work/kiosk.err")"
wm=$(child matchbox)
[ -n "$wm" ] || fail "no matchbox-window-manager under the session"
xprop -root _NET_SUPPORTING_WM_CHECK | grep -q 'window id' || fail "no window manager on the screen"

# The screen never blanks.
xset q | grep -q 'timeout:  0' || fail "the screen saver is still on: $(xset q | grep timeout)"
xset q | grep -q 'DPMS is Enabled' && fail "power saving is still on"

# A killed program comes back.
kill -KILL "$first"
second=$(wait_for_program "$first") || fail "the program was not started again after a kill"
grep -q 'starting it again' "$work/kiosk.err" || fail "the session did not say why it restarted"
grep -q 'ended with signal KILL' "$work/home/.local/state/pinacora-kiosk/kiosk.log" ||
  [ -S /run/systemd/journal/socket ] || fail "the log does not tell how the program ended: $(cat "$work/home/.local/state/pinacora-kiosk/kiosk.log")"
echo "restarted: $first -> $second"

# Staff choose File > Exit and give their code: the program ends with status 0 and the session
# with it.
sleep 2
main=$(xdotool search --onlyvisible --name 'Mostra virtuale' | head -n 1)
xdotool windowfocus "$main" 2>/dev/null
xdotool key --clearmodifiers alt+f; sleep 0.5; xdotool key e
prompt=
for _ in $(seq 100); do prompt=$(xdotool search --onlyvisible --name 'Personale' 2>/dev/null | head -n 1); [ -n "$prompt" ] && break; sleep 0.1; done
[ -n "$prompt" ] || fail "Exit did not ask for the staff code"
xdotool windowfocus "$prompt" 2>/dev/null; sleep 0.3
xdotool type 7531; xdotool key Return
for _ in $(seq 200); do kill -0 "$kiosk" 2>/dev/null || break; sleep 0.1; done
kill -0 "$kiosk" 2>/dev/null && fail "the session went on after Exit"
wait "$kiosk"; status=$?
kiosk=
[ "$status" -eq 0 ] || fail "the session ended with status $status"
kill -0 "$second" 2>/dev/null && fail "the program is still running"
kill -0 "$wm" 2>/dev/null && fail "the window manager is still running"
grep -c 'starting it again' "$work/kiosk.err" | grep -qx 1 || fail "the session restarted after Exit: $(cat "$work/kiosk.err")"
echo "PASS: kiosk session"
