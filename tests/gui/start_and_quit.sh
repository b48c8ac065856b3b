#!/usr/bin/env bash
# The real Qt program on a virtual screen: start it, cancel the open dialog,
# check the window title, the menu bar and the grey drawing area, quit with
# Escape, and find the options written beside the executable.
set -euo pipefail
here="$(readlink -f "$(dirname "$0")")"
program="$(readlink -f "$1")"
options_file="$(dirname "$program")/optionsKestrune.txt"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cd "$work"
rm -f "$options_file"

cat > session.sh <<'SESSION'
#!/usr/bin/env bash
set -euo pipefail
program="$1"
"$program" > program.log 2>&1 &
pid=$!
fail() { echo "FAIL: $*"; kill "$pid" 2>/dev/null || true; exit 1; }
source ./find_window.sh

# The open dialog comes first; Escape cancels it and the starting model is built.
dialog=$(find_window "Choisissez le fichier du mod") || fail "no open dialog"
xdotool windowfocus --sync "$dialog" 2>/dev/null || true
xdotool key Escape
window=$(find_window "^$title$") || fail "no main window"
sleep 2
eval "$(xdotool getwindowgeometry --shell "$window")"
import -window root screen.png
# Drawing area: clear colour 0.4 grey in the middle of the window.
centre=$(convert screen.png -format "%[pixel:p{$((X + WIDTH / 2)),$((Y + HEIGHT / 2))}]" info:)
echo "centre pixel: $centre"
case "$centre" in
  *"(102,102,102)"*|*"(40%,40%,40%)"*|*"gray(102)"*|*"grey40"*|*"gray40"*) ;;
  *) fail "drawing area is not grey: $centre" ;;
esac
# Menu bar: a strip at the top of the window that is not the drawing grey.
top=$(convert screen.png -format "%[pixel:p{$((X + 200)),$((Y + 5))}]" info:)
[ "$top" != "$centre" ] || fail "no menu bar above the drawing area"
quit_with_escape "$window"
echo "program ended with 0"
SESSION
cp "$here/find_window.sh" .
xvfb-run -a -n $((100 + RANDOM % 800)) -s "-screen 0 1024x768x24" bash session.sh "$program"
[ -f "$options_file" ] || { echo "FAIL: no options file at $options_file"; exit 1; }
grep -q "^option 0 = 2 " "$options_file" || { echo "FAIL: options file content"; cat -A "$options_file"; exit 1; }
rm -f "$options_file"
echo "PASS"
