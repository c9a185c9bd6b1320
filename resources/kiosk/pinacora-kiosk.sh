#!/bin/sh
# Runs Pinacora as a kiosk on this X display: the screen never blanks, matchbox-window-manager
# keeps the program full-screen, and the program is started again whenever it ends with a failure
# (a crash, a kill). The session ends when staff choose "Exit" (the program ends with status 0)
# or when the session itself is asked to stop (SIGTERM, SIGINT, SIGHUP).
#   pinacora-kiosk [FOLDER | FILE]
# Without an argument: EXHIBITION from ${XDG_CONFIG_HOME:-~/.config}/pinacora/kiosk.conf, else
# what the pinacora launcher chooses (~/.local/share/pinacora, else the demo).
# PINACORA_KIOSK_DELAY: seconds before a restart (default 2).
set -u
here=$(dirname "$(readlink -f "$0")")
launcher=${PINACORA_LAUNCHER:-$here/pinacora}
delay=${PINACORA_KIOSK_DELAY:-2}

exhibition=${1:-}
config=${XDG_CONFIG_HOME:-$HOME/.config}/pinacora/kiosk.conf
if [ -z "$exhibition" ] && [ -r "$config" ]; then
  exhibition=$(sed -n 's/^[[:space:]]*EXHIBITION[[:space:]]*=[[:space:]]*//p' "$config" | tail -n 1)
fi

say() { echo "pinacora-kiosk: $*" >&2; }

if [ -z "${DISPLAY:-}" ]; then
  say "no X display (DISPLAY is not set)"
  exit 2
fi

# The screen stays on: no screen saver, no blanking, no power saving.
if command -v xset >/dev/null 2>&1; then
  xset s off s noblank -dpms 2>/dev/null || say "could not switch off screen blanking"
else
  say "xset is missing (package x11-xserver-utils): the screen may blank"
fi

wm=
if command -v matchbox-window-manager >/dev/null 2>&1; then
  matchbox-window-manager -use_titlebar no &
  wm=$!
else
  say "matchbox-window-manager is missing: running without a window manager"
fi

program=
stopping=
stop() {
  stopping=yes
  [ -n "$program" ] && kill -TERM "$program" 2>/dev/null
}
trap stop TERM INT HUP

status=0
while [ -z "$stopping" ]; do
  if [ -n "$exhibition" ]; then "$launcher" "$exhibition" & else "$launcher" & fi
  program=$!
  # wait returns early when a signal arrives; wait again for the program's own end.
  while :; do
    wait "$program"; status=$?
    kill -0 "$program" 2>/dev/null || break
  done
  program=
  [ -n "$stopping" ] && break
  case $status in
    0) break ;;                                   # staff chose Exit
    2) say "the exhibition cannot be opened: ${exhibition:-the default one}"; break ;;
  esac
  say "Pinacora ended with status $status; starting it again in $delay s"
  sleep "$delay"
done

[ -n "$wm" ] && kill "$wm" 2>/dev/null && wait "$wm" 2>/dev/null
[ "$status" -eq 2 ] && exit 2
exit 0
