# Sourced by the scripts that run the program on an X server of their own:
#   start_own_display FOLDER [WIDTHxHEIGHT]
# starts Xvfb on a free display (the server picks the number itself, so parallel runs never share
# one), waits until it answers, exports DISPLAY and leaves the server's pid in xpid.
start_own_display() {
  local folder=$1 size=${2:-1280x1024}
  # -noreset: without it the server regenerates whenever its last client leaves, and a client that
  # connects in that moment is refused.
  Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp -noreset 3>"$folder/display" >/dev/null 2>&1 &
  xpid=$!
  for _ in $(seq 100); do [ -s "$folder/display" ] && break; sleep 0.1; done
  export DISPLAY=:$(head -n 1 "$folder/display")
  for _ in $(seq 50); do xdpyinfo -display "$DISPLAY" >/dev/null 2>&1 && break; sleep 0.1; done
}

# Waits for a window on screen whose title matches; answers its id.
#   visible_window TITLE
visible_window() {
  local id
  for _ in $(seq 100); do
    id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1)
    [ -n "$id" ] && xwininfo -id "$id" 2>/dev/null | grep -q IsViewable && { echo "$id"; return 0; }
    sleep 0.1
  done
  return 1
}
