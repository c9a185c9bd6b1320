# Sourced by the scripts that look at the program's windows on an X display ($DISPLAY):
#   start_window_manager NAME     none, openbox or matchbox; leaves its pid in wmpid
#   top_level ID                  the root's child that holds window ID (the window or its frame)
#   above_view ID                 true when window ID is mapped and stacked above the 3D view
#   windows_behind_view           prints the titles of the program's mapped windows that are not
#                                 stacked above the 3D view (the main window excepted)

start_window_manager() {
  wmpid=
  case $1 in
    none) return 0 ;;
    openbox) openbox --sm-disable >/dev/null 2>&1 & wmpid=$! ;;
    matchbox) matchbox-window-manager -use_titlebar no >/dev/null 2>&1 & wmpid=$! ;;
    *) echo "unknown window manager $1" >&2; return 1 ;;
  esac
  # A window manager owns the screen's WM_S0 selection once it is ready.
  for _ in $(seq 50); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
    sleep 0.1
  done
  sleep 0.5
}

_root_id() { xwininfo -root | awk '/Window id:/ { print $4 }'; }

top_level() {
  local id root parent
  id=$(printf '0x%x' "$1") root=$(_root_id)
  for _ in $(seq 10); do
    parent=$(xwininfo -id "$id" -children 2>/dev/null | awk '/Parent window id:/ { print $4 }')
    [ -z "$parent" ] && return 1
    [ "$(printf '0x%x' "$parent")" = "$(printf '0x%x' "$root")" ] && { echo "$id"; return 0; }
    id=$parent
  done
  return 1
}

# Stacking position of a root child: 0 is the top (xwininfo lists the top first).
_stack_position() {
  xwininfo -root -children | awk -v id="$(printf '0x%x' "$1")" '
    /^ +0x/ { n++; if ($1 == id) { print n; exit } }'
}

above_view() {
  local view window view_top window_top
  xwininfo -id "$1" 2>/dev/null | grep -q IsViewable || return 1
  view=$(xdotool search --name '^ Pinacora : 3D Viewer$' 2>/dev/null | head -n 1)
  [ -n "$view" ] || return 1
  view_top=$(top_level "$view") window_top=$(top_level "$1") || return 1
  [ "$view_top" = "$window_top" ] && return 1
  [ "$(_stack_position "$window_top")" -lt "$(_stack_position "$view_top")" ]
}

windows_behind_view() {
  local id title
  for id in $(xdotool search --onlyvisible --name 'Pinacora' 2>/dev/null); do
    title=$(xdotool getwindowname "$id" 2>/dev/null)
    case $title in
      *"Mostra virtuale"*|" Pinacora : 3D Viewer") continue ;;
    esac
    xwininfo -id "$id" 2>/dev/null | grep -q IsViewable || continue
    above_view "$id" || echo "$title"
  done
}
