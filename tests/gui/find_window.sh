# Sourced by the scripts that drive the Qt program under Xvfb.
# find_window TITLE_REGEX: the id of the first window whose name matches.
# xdotool gives up when a window closes while it searches: retry until found.
find_window() {
  local id
  for _ in $(seq 1 200); do
    id=$(xdotool search --name "$1" 2>/dev/null | head -1 || true)
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.1
  done
  return 1
}

# The main window's title before a model is named: the version is the one of
# the build's kestrune_version.h, which CTest passes in KESTRUNE_VERSION.
title="Kestrune v ${KESTRUNE_VERSION:?KESTRUNE_VERSION is set by CTest}"

# quit_with_escape WINDOW: Escape in the main window; the program ($pid of the
# session) must then end, with exit code 0, within 10 s. Uses the session's fail.
quit_with_escape() {
  xdotool windowfocus --sync "$1" 2>/dev/null || true
  xdotool key Escape
  for _ in $(seq 1 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  kill -0 "$pid" 2>/dev/null && fail "program still running after Escape"
  wait "$pid" || fail "exit code $?"
}
