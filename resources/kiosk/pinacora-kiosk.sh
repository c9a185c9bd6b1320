#!/bin/bash
# Runs Pinacora as a kiosk on this X display, unattended for weeks:
# - the screen never blanks, and matchbox-window-manager keeps the program full-screen;
# - the exhibition file is checked (pinacora-data check) before it is shown, and Pinacora runs on
#   the session's own copy of the last good file, so a bad copy over the original loses nothing;
# - a missing or failing file puts a plain notice for staff on the screen until a good one comes;
# - the exhibition file is watched: a new good file is shown at the next return to the tour
#   (or after a minute without visitors), a bad one is refused and the old exhibition goes on;
# - Pinacora runs with --kiosk (Exit asks for the staff code) and --idle-return, and is started
#   again when it fails, waiting 1 s, 2 s, 4 s ... at most 60 s after repeated failures;
# - starts, restarts, changes and refusals go to the journal (tag pinacora-kiosk), or without a
#   journal to kiosk.log in ${XDG_STATE_HOME:-~/.local/state}/pinacora-kiosk.
# The session ends when staff end Pinacora with their code (it ends with status 0) or when the
# session itself is asked to stop (SIGTERM, SIGINT, SIGHUP).
#   pinacora-kiosk [FOLDER | FILE]
# Without an argument: EXHIBITION from ${XDG_CONFIG_HOME:-~/.config}/pinacora/kiosk.conf, else
# ~/.local/share/pinacora/kddata.bin when there is one, else the demo. kiosk.conf may also set
# IDLE_RETURN (seconds, default 180, 0 for never) and STAFF_CODE (read by Pinacora itself).
# PINACORA_KIOSK_DELAY: seconds before the first restart (default 1); PINACORA_KIOSK_MAX_DELAY
# (default 60); PINACORA_KIOSK_POLL: seconds between looks at the exhibition file (default 2).
set -u
here=$(dirname "$(readlink -f "$0")")
launcher=${PINACORA_LAUNCHER:-$here/pinacora}
checker=${PINACORA_DATA:-$here/pinacora-data}
first_delay=${PINACORA_KIOSK_DELAY:-1}
max_delay=${PINACORA_KIOSK_MAX_DELAY:-60}
poll=${PINACORA_KIOSK_POLL:-2}
config=${XDG_CONFIG_HOME:-$HOME/.config}/pinacora/kiosk.conf
state=${XDG_STATE_HOME:-$HOME/.local/state}/pinacora-kiosk
# Pinacora ends with this status when it makes way for a new exhibition.
exit_for_new_exhibition=75

setting() {
  [ -r "$config" ] || return 0
  sed -n "s/^[[:space:]]*$1[[:space:]]*=[[:space:]]*//p" "$config" | tail -n 1 | sed 's/[[:space:]]*$//'
}

mkdir -p "$state/current" "$state/incoming" || { echo "pinacora-kiosk: cannot make $state" >&2; exit 2; }
current=$state/current/kddata.bin
incoming=$state/incoming/kddata.bin
logfile=$state/kiosk.log

# The journal when there is one; else the log file (kept below about a megabyte, one old part).
journal=
if [ -S /run/systemd/journal/socket ]; then
  if command -v systemd-cat >/dev/null 2>&1; then journal=systemd-cat
  elif command -v logger >/dev/null 2>&1; then journal=logger; fi
fi
log() {
  echo "pinacora-kiosk: $*" >&2
  case $journal in
    systemd-cat) printf '%s\n' "$*" | systemd-cat -t pinacora-kiosk ;;
    logger) logger -t pinacora-kiosk -- "$*" ;;
    *)
      if [ -f "$logfile" ] && [ "$(stat -c %s "$logfile" 2>/dev/null || echo 0)" -gt 1000000 ]; then
        mv -f "$logfile" "$logfile.1"
      fi
      printf '%s %s\n' "$(date '+%Y-%m-%d %H:%M:%S')" "$*" >>"$logfile" ;;
  esac
}

if [ -z "${DISPLAY:-}" ]; then
  log "no X display (DISPLAY is not set)"
  exit 2
fi

# The exhibition's file: a folder means its kddata.bin.
target=${1:-$(setting EXHIBITION)}
if [ -z "$target" ]; then
  file=${XDG_DATA_HOME:-$HOME/.local/share}/pinacora/kddata.bin
  [ -r "$file" ] || file=$(readlink -f "$here/../share/pinacora/demo/kddata.bin")
elif [ -d "$target" ] || [ "${target%/}" != "$target" ]; then
  file=${target%/}/kddata.bin
elif [ -f "$target" ] || [ "$(basename "$target")" = kddata.bin ]; then
  file=$target
else
  file=$target/kddata.bin
fi

idle_return=$(setting IDLE_RETURN)
case ${idle_return:-180} in
  ''|*[!0-9]*) log "IDLE_RETURN=$idle_return in $config is not a number of seconds: using 180"; idle_return=180 ;;
  *) idle_return=${idle_return:-180} ;;
esac

# ---- the exhibition file

# What identifies one version of the file: a rename changes the inode, a copy the size or time.
signature() { stat -L -c '%i %s %Y' "$file" 2>/dev/null || echo missing; }

# Copies the exhibition file to the incoming place and checks the copy (what is checked is what
# will be shown, whatever happens to the original meanwhile). Answers 0 when it is good; else the
# reason is in $reason.
take_in() {
  reason=
  rm -f "$incoming"
  if [ ! -e "$file" ]; then reason="the file does not exist"; return 1; fi
  if [ ! -r "$file" ] || [ ! -f "$file" ]; then reason="the file cannot be read"; return 1; fi
  if ! cp -f "$file" "$incoming.part" 2>/dev/null || ! mv -f "$incoming.part" "$incoming"; then
    rm -f "$incoming.part"
    reason="the file cannot be copied to $state (disk full?)"
    return 1
  fi
  if ! command -v "$checker" >/dev/null 2>&1; then
    log "pinacora-data is missing: $file is shown unchecked"
    return 0
  fi
  local report status
  report=$(timeout 900 "$checker" check "$incoming" 2>/dev/null); status=$?
  [ "$status" -eq 0 ] && return 0
  reason=$(printf '%s\n' "$report" | grep -v '^warning:' | grep . | head -n 3 | sed "s|$incoming|kddata.bin|g" | paste -sd ';' -)
  case $status in
    124) reason="checking it took too long" ;;
    *) reason=${reason:-pinacora-data check failed with status $status} ;;
  esac
  rm -f "$incoming"
  return 1
}

# Waits until the file stays the same for one poll (a copy in progress changes it). Answers the
# signature it settled on in $settled.
settle() {
  settled=$(signature)
  local next
  while :; do
    sleep "$poll" & wait $!
    [ -n "$stopping" ] && return 1
    next=$(signature)
    [ "$next" = "$settled" ] && return 0
    settled=$next
  done
}

# ---- the notice for staff

notice=
show_notice() {
  command -v xmessage >/dev/null 2>&1 || return 0
  local size old=$notice
  size=$(xdpyinfo 2>/dev/null | awk '/dimensions:/ { print $2; exit }')
  xmessage -name pinacora-kiosk-notice -title 'Pinacora kiosk: staff notice' -geometry "${size:-1024x768}+0+0" \
    -bg '#202830' -fg white -fn '-*-helvetica-bold-r-normal--24-*-*-*-*-*-iso8859-1' -buttons '' \
    -xrm '*borderWidth: 0' -xrm '*message.borderWidth: 0' -xrm '*Text*background: #202830' \
    -xrm '*Text*foreground: white' -xrm '*message.scrollVertical: never' -xrm '*message.scrollHorizontal: never' \
    -xrm '*message.leftMargin: 48' -xrm '*message.topMargin: 48' \
    "$1" >/dev/null 2>&1 &
  notice=$!
  # The new notice is up before the old one goes, so the screen never shows what lies below.
  if [ -n "$old" ]; then sleep 0.5; kill "$old" 2>/dev/null && wait "$old" 2>/dev/null; fi
}
hide_notice() {
  [ -n "$notice" ] && kill "$notice" 2>/dev/null && wait "$notice" 2>/dev/null
  notice=
}
notice_text() {
  printf '%s\n' "Pinacora: the exhibition cannot be shown" "" \
    "File:     $file" "Problem:  $1" "" \
    "To fix it, copy a good exhibition file beside it under a temporary name" \
    "(for example kddata.bin.new) and then rename it to kddata.bin." \
    "The kiosk checks the new file and starts by itself; nothing else is needed." "" \
    "What happened is in the journal: journalctl -t pinacora-kiosk" \
    "(or, without a journal, in $logfile)."
}

# ---- stopping

program=
stopping=
stop() {
  stopping=yes
  [ -n "$program" ] && kill -TERM "$program" 2>/dev/null
}
trap stop TERM INT HUP

# ---- the screen and the window manager

# The screen stays on: no screen saver, no blanking, no power saving.
if command -v xset >/dev/null 2>&1; then
  xset s off s noblank -dpms 2>/dev/null || log "could not switch off screen blanking"
else
  log "xset is missing (package x11-xserver-utils): the screen may blank"
fi

wm=
if command -v matchbox-window-manager >/dev/null 2>&1; then
  matchbox-window-manager -use_titlebar no &
  wm=$!
else
  log "matchbox-window-manager is missing: running without a window manager"
fi

finish() {
  hide_notice
  [ -n "$wm" ] && kill "$wm" 2>/dev/null && wait "$wm" 2>/dev/null
  exit "$1"
}

log "kiosk session starts on $file (return to the tour after ${idle_return} s without visitors)"

# ---- the first good file

seen=$(signature)
if take_in; then
  mv -f "$incoming" "$current"
elif [ -r "$current" ]; then
  log "refused $file: $reason; showing the last good exhibition"
else
  log "refused $file: $reason; waiting for a good file"
  show_notice "$(notice_text "$reason")"
  while [ -z "$stopping" ]; do
    sleep "$poll" & wait $!
    [ -n "$stopping" ] && break
    [ "$(signature)" = "$seen" ] && continue
    settle || break
    seen=$settled
    if take_in; then
      mv -f "$incoming" "$current"
      log "exhibition changed: $file is good"
      break
    fi
    log "refused $file: $reason"
    show_notice "$(notice_text "$reason")"
  done
  hide_notice
  [ -n "$stopping" ] && finish 0
fi

# ---- running it

# Looks at the exhibition file once; a new version that settled is taken in: pending when good.
pending=
watch_file() {
  [ "$(signature)" = "$seen" ] && return 0
  settle || return 0
  seen=$settled
  if take_in; then
    pending=yes
    log "new exhibition $file is good: it is shown at the next return to the tour"
  else
    pending=
    log "refused $file: $reason; the current exhibition goes on"
  fi
}

describe() {
  if [ "$1" -gt 128 ]; then echo "signal $(kill -l $(($1 - 128)) 2>/dev/null || echo $(($1 - 128)))"
  else echo "status $1"; fi
}

delay=$first_delay
status=0
while [ -z "$stopping" ]; do
  started=$(date +%s)
  "$launcher" --kiosk --idle-return "$idle_return" "$state/current" &
  program=$!
  log "Pinacora started (pid $program)"
  asked=
  ended=
  while [ -z "$stopping" ]; do
    # wait -n does not report a program that ended before it began; wait does.
    if ! kill -0 "$program" 2>/dev/null; then wait "$program"; status=$?; ended=yes; break; fi
    # Whichever comes first: the program's end or the next look at the exhibition file.
    sleep "$poll" & ticker=$!
    finished=
    wait -n -p finished "$program" "$ticker"; rc=$?
    kill "$ticker" 2>/dev/null; wait "$ticker" 2>/dev/null
    if [ "${finished:-}" = "$program" ]; then status=$rc; ended=yes; break; fi
    [ -n "$stopping" ] && break
    kill -0 "$program" 2>/dev/null || continue
    watch_file
    if [ -n "$pending" ] && [ -z "$asked" ]; then
      # Pinacora ends by itself at its next return to the tour, or after a quiet minute.
      kill -USR1 "$program" 2>/dev/null && asked=yes
    fi
  done
  if [ -z "$ended" ]; then
    # Being stopped: wait for the program's own end (wait returns early when a signal arrives).
    while :; do
      wait "$program"; status=$?
      kill -0 "$program" 2>/dev/null || break
    done
  fi
  program=
  [ -n "$stopping" ] && break
  ran=$(($(date +%s) - started))
  if [ -n "$pending" ] && [ -r "$incoming" ]; then
    mv -f "$incoming" "$current"
    pending=
    log "exhibition changed: now showing $file"
    if [ "$status" -eq "$exit_for_new_exhibition" ]; then
      delay=$first_delay
      continue
    fi
  fi
  case $status in
    0) log "staff ended Pinacora: the kiosk session ends"; break ;;
    "$exit_for_new_exhibition") continue ;;
  esac
  # A program that ran for a while failed once: it comes back at once again.
  [ "$ran" -ge 120 ] && delay=$first_delay
  log "Pinacora ended with $(describe "$status") after $ran s; starting it again in $delay s"
  sleep "$delay" & wait $!
  delay=$(awk -v d="$delay" -v m="$max_delay" 'BEGIN { d *= 2; if (d > m) d = m; print d }')
done

[ -n "$stopping" ] && log "kiosk session stopped"
finish 0
