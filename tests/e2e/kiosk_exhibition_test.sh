#!/usr/bin/env bash
# The installed kiosk session and the exhibition file, as staff meet them: a missing file puts a
# notice on the screen and the session waits without starting anything; a damaged file is refused
# and logged; a good file copied beside it and renamed starts the exhibition; a new good file is
# shown at the next return to the tour, a bad one is refused while the old exhibition goes on.
# Then, with a program that always crashes, the restarts back off.
#   kiosk_exhibition_test.sh BUILD_DIR
set -u
. "$(dirname "$0")/kiosk_test_setup.sh"
fail() { echo "FAIL: $*"; echo "--- log:"; cat "$log" 2>/dev/null; exit 1; }

DESTDIR=$work/root cmake --install "$build" --prefix /usr >/dev/null || fail "install failed"
bin=$work/root/usr/bin
demo=$work/root/usr/share/pinacora/demo/kddata.bin
export HOME=$work/home XDG_CACHE_HOME=$work/cache XDG_RUNTIME_DIR=$work/run ALSOFT_DRIVERS=null
museo=$work/museo
mkdir -p "$HOME/.config/pinacora" "$work/run" "$museo" && chmod 700 "$work/run"
printf 'EXHIBITION=%s\nIDLE_RETURN=3\n' "$museo" >"$HOME/.config/pinacora/kiosk.conf"
state=$HOME/.local/state/pinacora-kiosk
log=$state/kiosk.log
if [ -S /run/systemd/journal/socket ]; then
  echo "SKIP: this machine has a journal; the test reads the session's own log file"
  exit 0
fi
start_own_display "$work"

# Waits up to 20 s for a line in the log.
logged() { for _ in $(seq 200); do grep -q -- "$1" "$log" 2>/dev/null && return 0; sleep 0.1; done; return 1; }
notice_on_screen() { xdotool search --onlyvisible --name 'staff notice' >/dev/null 2>&1; }
# Staff copy a file beside the exhibition and rename it, as the manual tells them.
deliver() { cp "$1" "$museo/kddata.bin.new" && mv "$museo/kddata.bin.new" "$museo/kddata.bin"; }

PINACORA_KIOSK_POLL=0.5 "$bin/pinacora-kiosk" >"$work/kiosk.out" 2>"$work/kiosk.err" &
kiosk=$!

# No file: a notice for staff, nothing started, and no loop of attempts.
logged "refused $museo/kddata.bin: the file does not exist" || fail "the missing file was not logged"
for _ in $(seq 50); do notice_on_screen && break; sleep 0.1; done
notice_on_screen || fail "no notice on the screen for the missing file"
id=$(xdotool search --onlyvisible --name 'staff notice' | head -n 1)
size=$(xwininfo -id "$id" | awk '/Width:/ { w = $2 } /Height:/ { h = $2 } END { print w "x" h }')
echo "notice: $size"
[ "$size" = 1280x1024 ] || fail "the notice does not fill the screen: $size"
import -window root "$work/notice.png"
[ -n "${PINACORA_SHOT:-}" ] && cp "$work/notice.png" "$PINACORA_SHOT"
# Light text on a dark screen: some of it, not all of it.
share=$(convert "$work/notice.png" -colorspace Gray -threshold 60% -format '%[fx:mean]' info:)
echo "notice: $share of the screen is text"
awk -v s="$share" 'BEGIN { exit !(s > 0.005 && s < 0.3) }' || fail "the notice shows no text (light share $share)"
sleep 3
[ -z "$(child pinacora)" ] || fail "the program was started without a file"
grep -q 'Pinacora started' "$log" && fail "the session started the program on a missing file"

# Random bytes: refused with the checker's reason, the notice stays, still nothing started.
head -c 70000 /dev/urandom >"$work/random.bin"
deliver "$work/random.bin"
logged "refused $museo/kddata.bin: wrong signature" || fail "the damaged file was not refused with its reason"
sleep 1
notice_on_screen || fail "the notice went away for a damaged file"
[ -z "$(child pinacora)" ] || fail "the program was started on a damaged file"

# A good file: the notice goes, the exhibition starts from the session's own copy.
deliver "$demo"
first=$(wait_for_program) || fail "the good file did not start the program"
notice_on_screen && fail "the notice stays over the exhibition"
logged 'exhibition changed' || fail "the new exhibition was not logged"
cmp -s "$state/current/kddata.bin" "$demo" || fail "the session does not keep its own copy of the good file"
[ "$(readlink "/proc/$first/cwd")" = "$state/current" ] || fail "the program does not run on the session's copy"
tr '\0' ' ' <"/proc/$first/cmdline" | grep -q -- '--kiosk --idle-return 3' || fail "the program runs without the kiosk options"
echo "started on the good file: pid $first"

# A damaged copy over the running exhibition: refused, the exhibition goes on untouched.
deliver "$work/random.bin"
logged 'the current exhibition goes on' || fail "the damaged copy was not refused"
sleep 4
[ "$(child pinacora)" = "$first" ] || fail "the program was restarted for a damaged file"
cmp -s "$state/current/kddata.bin" "$demo" || fail "the damaged copy reached the session's copy"

# A new good file waits for the visitor to leave: the program ends at the next return to the tour
# and starts again on it.
cp "$demo" "$work/second.bin" && printf 'second' >>"$work/second.bin"
"$bin/pinacora-data" check "$work/second.bin" >/dev/null 2>&1 || { cp "$demo" "$work/second.bin"; touch -d '1 hour ago' "$work/second.bin"; }
deliver "$work/second.bin"
logged 'is shown at the next return to the tour' || fail "the new good file was not taken in"
xdotool mousemove 400 400; sleep 0.2; xdotool mousemove 420 420
second=$(wait_for_program "$first") || fail "the program did not make way for the new exhibition"
logged 'exhibition changed: now showing' || fail "the change was not logged"
cmp -s "$state/current/kddata.bin" "$work/second.bin" || fail "the new exhibition is not the one shown"
grep -q 'ended with' "$log" && fail "making way for the new exhibition was logged as a failure"
echo "new exhibition: $first -> $second"

kill -TERM "$kiosk"
for _ in $(seq 100); do kill -0 "$kiosk" 2>/dev/null || break; sleep 0.1; done
kill -0 "$kiosk" 2>/dev/null && fail "the session did not stop on SIGTERM"
wait "$kiosk"
kiosk=
kill -0 "$second" 2>/dev/null && fail "the program outlived the session"

# A program that always crashes: the pauses between its starts double up to the longest one.
cat >"$work/crasher" <<EOF
#!/bin/sh
date +%s.%N >>"$work/starts"
kill -SEGV \$\$
EOF
chmod +x "$work/crasher"
PINACORA_LAUNCHER=$work/crasher PINACORA_KIOSK_DELAY=0.25 PINACORA_KIOSK_MAX_DELAY=1 \
  "$bin/pinacora-kiosk" >"$work/kiosk.out" 2>"$work/kiosk.err" &
kiosk=$!
for _ in $(seq 150); do [ -f "$work/starts" ] && [ "$(wc -l <"$work/starts")" -ge 6 ] && break; sleep 0.1; done
kill -TERM "$kiosk"; wait "$kiosk"; kiosk=
gaps=$(awk 'NR > 1 { printf "%.2f ", $1 - last } { last = $1 }' "$work/starts")
echo "pauses between starts: $gaps"
awk -v gaps="$gaps" 'BEGIN {
  n = split(gaps, g, " "); if (n < 5) exit 1
  want[1] = 0.25; want[2] = 0.5; want[3] = 1; want[4] = 1; want[5] = 1
  for (i = 1; i <= 5; i++) if (g[i] < want[i] || g[i] > want[i] + 0.9) exit 1
}' || fail "the restarts do not back off 0.25, 0.5, 1, 1 s: $gaps"
grep -q 'ended with signal SEGV' "$log" || fail "the crash was not logged with its signal"
echo "PASS: kiosk exhibition changes and restarts"
