# Sourced by the kiosk session's tests (argument: the build folder): an X server of the test's own,
# a scratch folder in work, and a cleanup that ends the session started into kiosk, then both.
. "$(dirname "$0")/../../scripts/own-display.sh"
build=$1
work=$(mktemp -d)
kiosk=
cleanup() {
  [ -n "$kiosk" ] && kill -TERM "$kiosk" 2>/dev/null && sleep 1
  kill "$xpid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
# The kiosk's children: the program (the launcher becomes it) and the window manager.
child() { ps -o pid=,comm= --ppid "$kiosk" 2>/dev/null | awk -v name="$1" 'index($2, name) == 1 { print $1 }' | head -n 1; }
# Waits up to 20 s for a program shown by the session, other than the one whose pid is given.
wait_for_program() {
  local pid
  for _ in $(seq 200); do
    pid=$(child pinacora)
    if [ -n "$pid" ] && [ "$pid" != "${1:-}" ] && xdotool search --onlyvisible --name 'Mostra virtuale' >/dev/null 2>&1; then
      echo "$pid"; return 0
    fi
    sleep 0.1
  done
  return 1
}
